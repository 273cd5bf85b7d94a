#include "driver/report.h"

#include <cstdarg>
#include <cstdio>

namespace zelvik {

static const char* Prefix = "";

void SetReportPrefix(const char* program) { Prefix = program != nullptr ? program : ""; }

const char* ReportPrefix() { return Prefix; }

void Report(const char* format, ...)
{
    // Formatted into one buffer and written with one call, so that lines
    // from different threads never interleave.
    char line[1024];
    int used = 0;
    if (*Prefix != '\0') used = std::snprintf(line, sizeof line, "%s: ", Prefix);
    va_list args;
    va_start(args, format);
    const int wanted = std::vsnprintf(line + used, sizeof line - static_cast<size_t>(used), format, args);
    va_end(args);
    if (wanted < 0) return;
    size_t length = static_cast<size_t>(used) + static_cast<size_t>(wanted);
    if (length > sizeof line - 2) length = sizeof line - 2;  // a cut line still ends
    // Text that brings its own line end (other libraries' messages) gets one.
    while (length > static_cast<size_t>(used) && line[length - 1] == '\n') --length;
    line[length] = '\n';
    std::fwrite(line, 1, length + 1, stderr);
}

}  // namespace zelvik
