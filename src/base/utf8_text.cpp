#include "base/utf8_text.h"

#include "base/little_endian.h"

namespace {

const char16_t ESCAPE_BASE = 0xDC00;

// Length of the well-formed UTF-8 sequence at `p` and its code point, or 0 if the bytes
// there are not one (overlong forms and encoded surrogates included).
int DecodeSequence(const unsigned char* p, char32_t* codePoint)
{
    int length;
    char32_t value;
    if (p[0] < 0x80) {
        *codePoint = p[0];
        return 1;
    } else if ((p[0] & 0xE0) == 0xC0) {
        length = 2;
        value = p[0] & 0x1F;
    } else if ((p[0] & 0xF0) == 0xE0) {
        length = 3;
        value = p[0] & 0x0F;
    } else if ((p[0] & 0xF8) == 0xF0) {
        length = 4;
        value = p[0] & 0x07;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)  // also stops at the terminating zero
            return 0;
        value = value << 6 | (p[i] & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

// The UTF-8 bytes of one code point.
char* WriteCodePoint(char* out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        *out++ = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        *out++ = static_cast<char>(0xC0 | codePoint >> 6);
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        *out++ = static_cast<char>(0xE0 | codePoint >> 12);
        *out++ = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | codePoint >> 18);
        *out++ = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}

}  // namespace

std::u16string DecodeUtf8(const char* text)
{
    std::u16string wide;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        char32_t codePoint;
        int length = DecodeSequence(p, &codePoint);
        if (length == 0) {
            wide += static_cast<char16_t>(ESCAPE_BASE + *p);
            ++p;
            continue;
        }
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            wide += static_cast<char16_t>(0xD800 + (codePoint >> 10));
            wide += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            wide += static_cast<char16_t>(codePoint);
        }
        p += length;
    }
    return wide;
}

std::string EncodeUtf8(const char16_t* text)
{
    std::string narrow;
    for (; *text != 0; ++text) {
        char32_t codePoint = *text;
        if (codePoint >= 0xDC80 && codePoint <= 0xDCFF) {
            narrow += static_cast<char>(codePoint - ESCAPE_BASE);
            continue;
        }
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        }
        char bytes[4];
        narrow.append(bytes, static_cast<size_t>(WriteCodePoint(bytes, codePoint) - bytes));
    }
    return narrow;
}

char* WriteUtf8(char* out, const unsigned char* utf16, size_t units)
{
    for (size_t i = 0; i < units; ++i) {
        char32_t codePoint = LoadU16(utf16 + 2 * i);
        if (codePoint < 0x80) {
            *out++ = static_cast<char>(codePoint);
            continue;
        }
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            char32_t low = i + 1 < units ? LoadU16(utf16 + 2 * i + 2) : 0;
            if (codePoint <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                codePoint = 0xFFFD;
            }
        }
        out = WriteCodePoint(out, codePoint);
    }
    return out;
}
