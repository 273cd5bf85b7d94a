#include "driver/report.h"

#include <cstdarg>
#include <cstdio>

namespace zelvik {

static const char* Prefix = "";
static ReportWriter Writer;

void SetReportPrefix(const char* program) { Prefix = program != nullptr ? program : ""; }
void SetReportWriter(ReportWriter writer) { Writer = writer; }

// Writes "<lead><program>: <formatted text>", with one line end when
// `endLine`. Text that brings its own line ends (other libraries' messages)
// loses them. The line is formatted into one buffer and written with one
// call, so that lines from different threads never interleave.
static void Write(const char* lead, bool endLine, const char* format, va_list args)
{
    char line[1024];
    const int used = std::snprintf(line, sizeof line, "%s%s%s", lead, Prefix, *Prefix != '\0' ? ": " : "");
    if (used < 0) return;
    const int wanted = std::vsnprintf(line + used, sizeof line - static_cast<size_t>(used), format, args);
    if (wanted < 0) return;
    size_t length = static_cast<size_t>(used) + static_cast<size_t>(wanted);
    if (length > sizeof line - 2) length = sizeof line - 2;  // a cut line still ends
    while (length > static_cast<size_t>(used) && line[length - 1] == '\n') --length;
    if (endLine) line[length++] = '\n';
    if (Writer != nullptr) Writer(line, length, static_cast<size_t>(used));
    else std::fwrite(line, 1, length, stderr);
}

void Report(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Write("", true, format, args);
    va_end(args);
}

void ReportProgress(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Write("\r", false, format, args);
    va_end(args);
}

}  // namespace zelvik
