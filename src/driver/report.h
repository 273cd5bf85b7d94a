// One-line messages on stderr. Every line a program writes there starts
// with the program's name ("zelvik: ...", "zelvik-capture: ..."), wherever
// in the program it comes from; each program names itself once at start.
#pragma once

#include <cstddef>

namespace zelvik {

// The name put before every line; nullptr or "" for none (the unit tests,
// which match the lines themselves).
void SetReportPrefix(const char* program);

// Where the finished lines go instead of stderr, for a system on which
// stderr is not where a person reads them (a Windows GUI program). The
// writer gets each line whole, with its lead, the program's name and its
// line end, and where in it the message itself starts; nullptr puts stderr
// back. It may be called from any thread.
using ReportWriter = void (*)(const char* line, size_t length, size_t messageStart);
void SetReportWriter(ReportWriter writer);

// Writes "<program>: <formatted text>\n" to stderr in one piece.
[[gnu::format(printf, 1, 2)]] void Report(const char* format, ...);

// A progress line that the next one replaces on a terminal: "\r<program>:
// <formatted text>" in one piece, without a line end.
[[gnu::format(printf, 1, 2)]] void ReportProgress(const char* format, ...);

}  // namespace zelvik
