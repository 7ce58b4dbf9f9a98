// Arguments, paths and file names are zero-terminated UTF-16, in the platform's own
// wide type: wchar_t on Windows, char16_t elsewhere.
#pragma once

#ifdef _WIN32
using WideChar = wchar_t;
#define WIDE(text) L##text
#else
using WideChar = char16_t;
#define WIDE(text) u##text
#endif

inline bool IsAsciiLetter(WideChar unit)
{
    return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z');
}
