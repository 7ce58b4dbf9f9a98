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

// "00" to "99": two digits a step halves the divisions.
const char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline int DecimalDigitCount(uint64_t value)
{
    int count = 1;
    for (; value >= 10; value /= 10)
        ++count;
    return count;
}

// Exactly `count` decimal digits, with leading zeros.
inline char* WriteDecimalDigits(char* out, uint64_t value, int count)
{
    int i = count;
    for (; i >= 2; i -= 2) {
        std::memcpy(out + i - 2, DIGIT_PAIRS + 2 * (value % 100), 2);
        value /= 100;
    }
    if (i == 1)
        out[0] = static_cast<char>('0' + value % 10);
    return out + count;
}

inline char* WriteDecimal(char* out, uint64_t value)
{
    return WriteDecimalDigits(out, value, DecimalDigitCount(value));
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
