// Text and numbers written straight into an output buffer: no locale, no printf. Each
// returns the end of what it wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline char* WriteBytes(char* out, const char* text, size_t length)
{
    std::memcpy(out, text, length);
    return out + length;
}

// A string literal or character array, without its terminator.
template <size_t N>
char* WriteLiteral(char* out, const char (&text)[N])
{
    return WriteBytes(out, text, N - 1);
}

inline char* WriteDecimal(char* out, uint64_t value)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count != 0)
        *out++ = digits[--count];
    return out;
}

// Exactly `count` lowercase hexadecimal digits, with leading zeros.
inline char* WriteHexDigits(char* out, uint64_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    }
    return out + count;
}

// Exactly `count` decimal digits, with leading zeros.
inline char* WriteDecimalDigits(char* out, uint64_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + count;
}
