// Why a volume or journal was refused, or a stretch of a journal skipped, for an examiner
// who asks (--verbose): the structure and its byte offset in the input. Written on
// standard error, never on standard output, so the output and the exit status are the
// same with or without it.
#pragma once

#include <cstdio>

void EnableDiagnostics(bool enabled);
bool DiagnosticsEnabled();

// One line: "jrnlpeek: " and the printf-style text. Nothing is formatted while
// diagnostics are off.
void Diagnose(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Where the lines go; standard error unless a test says otherwise.
void SetDiagnosticStream(FILE* stream);
