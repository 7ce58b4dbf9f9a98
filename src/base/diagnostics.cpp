#include "base/diagnostics.h"

#include <cstdarg>

namespace {

bool enabled = false;
FILE* diagnosticStream = nullptr;  // standard error until a test says otherwise

}  // namespace

void EnableDiagnostics(bool on)
{
    enabled = on;
}

bool DiagnosticsEnabled()
{
    return enabled;
}

void Diagnose(const char* format, ...)
{
    if (!enabled)
        return;
    FILE* stream = diagnosticStream ? diagnosticStream : stderr;
    std::fputs("jrnlpeek: ", stream);
    va_list values;
    va_start(values, format);
    std::vfprintf(stream, format, values);
    va_end(values);
    std::fputc('\n', stream);
}

void SetDiagnosticStream(FILE* stream)
{
    diagnosticStream = stream;
}
