#include "base/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "base/windows_errors.h"

namespace {

// Large enough that the writes themselves cost nothing next to the formatting.
const size_t OUTPUT_BUFFER_SIZE = OUTPUT_RESERVE_LARGEST;

char outputBuffer[OUTPUT_BUFFER_SIZE];
size_t outputUsed = 0;
FILE* outputStream = nullptr;  // standard output until a test says otherwise
bool outputFailed = false;
bool messagesSeparate = false;
bool messagesMuted = false;
FILE* messageStream = nullptr;  // standard error until a test says otherwise
uint32_t outputError = 0;

// errno of a failed write, as the Windows code a user of either build would see.
uint32_t WriteErrorCode(int error)
{
    switch (error) {
    case ENOSPC: return WIN_ERROR_DISK_FULL;
    case EPIPE: return WIN_ERROR_NO_DATA;
    default: return WIN_ERROR_WRITE_FAULT;
    }
}

void WriteBuffered()
{
    FILE* stream = outputStream ? outputStream : stdout;
    if (!outputFailed && outputUsed != 0) {
        errno = 0;
        if (std::fwrite(outputBuffer, 1, outputUsed, stream) != outputUsed ||
            std::fflush(stream) != 0) {
            outputFailed = true;
            outputError = WriteErrorCode(errno);
        }
    }
    outputUsed = 0;
}

}  // namespace

char* ReserveOutput(size_t size)
{
    if (OUTPUT_BUFFER_SIZE - outputUsed < size)
        WriteBuffered();
    return outputBuffer + outputUsed;
}

void CommitOutput(char* end)
{
    outputUsed = static_cast<size_t>(end - outputBuffer);
}

void WriteText(const char* text)
{
    size_t length = std::strlen(text);
    while (length != 0) {
        size_t part = length < OUTPUT_RESERVE_MAX ? length : OUTPUT_RESERVE_MAX;
        char* out = ReserveOutput(part);
        std::memcpy(out, text, part);
        CommitOutput(out + part);
        text += part;
        length -= part;
    }
}

void PrintMessage(const char* format, ...)
{
    va_list values;
    if (messagesMuted)
        return;
    va_start(values, format);
    if (messagesSeparate) {
        FILE* stream = messageStream ? messageStream : stderr;
        std::vfprintf(stream, format, values);
        std::fputc('\n', stream);
        va_end(values);
        return;
    }
    char* out = ReserveOutput(OUTPUT_RESERVE_MAX);
    int length = std::vsnprintf(out, OUTPUT_RESERVE_MAX - 1, format, values);
    va_end(values);
    if (length < 0)
        length = 0;
    if (static_cast<size_t>(length) > OUTPUT_RESERVE_MAX - 2)
        length = static_cast<int>(OUTPUT_RESERVE_MAX - 2);
    out[length] = '\n';
    CommitOutput(out + length + 1);
}

void MuteMessages(bool muted)
{
    messagesMuted = muted;
}

void SeparateMessages(bool separate)
{
    messagesSeparate = separate;
}

void SetMessageStream(FILE* stream)
{
    messageStream = stream;
}

void UseBinaryOutput()
{
#ifdef _WIN32
    FILE* stream = outputStream ? outputStream : stdout;
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
#endif
}

bool FlushOutput()
{
    WriteBuffered();
    return !outputFailed;
}

bool OutputFailed()
{
    return outputFailed;
}

uint32_t OutputErrorCode()
{
    return outputError;
}

void SetOutputStream(FILE* stream)
{
    outputUsed = 0;
    outputStream = stream;
    outputFailed = false;
    outputError = 0;
}
