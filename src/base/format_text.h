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

// "00" to "ff".
const char HEX_PAIRS[] =
    "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
    "202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f"
    "404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f"
    "606162636465666768696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f"
    "808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f"
    "a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7b8b9babbbcbdbebf"
    "c0c1c2c3c4c5c6c7c8c9cacbcccdcecfd0d1d2d3d4d5d6d7d8d9dadbdcdddedf"
    "e0e1e2e3e4e5e6e7e8e9eaebecedeeeff0f1f2f3f4f5f6f7f8f9fafbfcfdfeff";

// Exactly `count` lowercase hexadecimal digits (an even count), with leading zeros.
inline char* WriteHexDigits(char* out, uint64_t value, int count)
{
    for (int i = count - 2; i >= 0; i -= 2) {
        std::memcpy(out + i, HEX_PAIRS + 2 * (value & 0xFF), 2);
        value >>= 8;
    }
    return out + count;
}
