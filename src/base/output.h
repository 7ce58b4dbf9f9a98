// The one writer of all the program's text. Everything goes to standard output through a
// single block buffer that is written when full and at exit, so a run of millions of
// records costs a few large writes and no allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The text of any one line but a timeline record's: an event line with every reason name
// and the longest name fits well within it.
const size_t OUTPUT_RESERVE_MAX = 4096;
// The most one call may reserve: a timeline record with the longest path Windows can
// name, every unit of it escaped.
const size_t OUTPUT_RESERVE_LARGEST = 256 * 1024;

// Returns room for at least `size` bytes (size <= OUTPUT_RESERVE_LARGEST); CommitOutput
// then takes the bytes written up to `end`.
char* ReserveOutput(size_t size);
void CommitOutput(char* end);

void WriteText(const char* text);
// A message: printf-style text with the given values, then the line break.
void PrintMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Messages (PrintMessage) go into the output with everything else, unless the output is
// for machines to read: then they go to the message stream, standard error, instead.
void SeparateMessages(bool separate);
// Where separated messages go; standard error unless a test says otherwise.
void SetMessageStream(FILE* stream);
// While muted, messages are dropped: a first pass over a journal that only gathers what
// the second will print says nothing.
void MuteMessages(bool muted);

// Output that is read by machines is written byte for byte: on Windows the stream leaves
// text mode, which would turn a line break inside a file name into CR LF. Lines then end
// with OUTPUT_LINE_END, the platform's own line end, written out in full.
void UseBinaryOutput();
#ifdef _WIN32
const char OUTPUT_LINE_END[] = "\r\n";
#else
const char OUTPUT_LINE_END[] = "\n";
#endif

// Writes what is buffered. False once any write to the stream has failed: from then on
// output is dropped and the run must not report success.
bool FlushOutput();
bool OutputFailed();
// The Windows error code that describes the failed write (disk full, pipe closed, ...).
uint32_t OutputErrorCode();

// Where the text goes; standard output unless a test says otherwise. Resets the failure.
void SetOutputStream(FILE* stream);
