// Helpers shared by the unit tests: the program's output captured, and hand-made
// journal records.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/output.h"
#include "base/wide_text.h"
#include "usn_encoder.h"

using WideString = std::basic_string<WideChar>;

// Sends the program's output to a temporary file until TakeOutput reads it back.
inline FILE*& CaptureFile()
{
    static FILE* file = nullptr;
    return file;
}

// An empty temporary file in the slot, closing the one an unfinished test left there.
inline FILE* FreshCapture(FILE*& file)
{
    if (file != nullptr)
        std::fclose(file);
    file = std::tmpfile();
    return file;
}

inline void CaptureOutput()
{
    SetOutputStream(FreshCapture(CaptureFile()));
}

// Everything written to the file, which is then closed.
inline std::string ReadBack(FILE* file)
{
    std::string text;
    std::rewind(file);
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) != 0)
        text.append(block, got);
    std::fclose(file);
    return text;
}

inline std::string TakeOutput()
{
    FlushOutput();
    std::string text = ReadBack(CaptureFile());
    CaptureFile() = nullptr;
    SetOutputStream(nullptr);
    return text;
}

// The messages that go apart from the output (in the timeline formats), likewise.
inline FILE*& MessageCaptureFile()
{
    static FILE* file = nullptr;
    return file;
}

inline void CaptureMessages()
{
    SetMessageStream(FreshCapture(MessageCaptureFile()));
}

inline std::string TakeMessages()
{
    std::string text = ReadBack(MessageCaptureFile());
    MessageCaptureFile() = nullptr;
    SetMessageStream(nullptr);
    return text;
}
