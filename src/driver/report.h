// One-line messages on stderr. Every line a program writes there starts
// with the program's name ("zelvik: ...", "zelvik-capture: ..."), wherever
// in the program it comes from; each program names itself once at start.
#pragma once

namespace zelvik {

// The name put before every line; nullptr or "" for none (the unit tests,
// which match the lines themselves).
void SetReportPrefix(const char* program);

// Writes "<program>: <formatted text>\n" to stderr in one piece.
[[gnu::format(printf, 1, 2)]] void Report(const char* format, ...);

// A progress line that the next one replaces on a terminal: "\r<program>:
// <formatted text>" in one piece, without a line end.
[[gnu::format(printf, 1, 2)]] void ReportProgress(const char* format, ...);

}  // namespace zelvik
