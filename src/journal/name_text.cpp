#include "journal/name_text.h"

#include <cstring>

#include "base/utf8_text.h"

char* WriteName(char* out, const UsnRecord& record, const NameEscape& escape)
{
    char* end = WriteUtf8(out, record.FileName, record.FileNameUnits);
    for (const char* p = out; p != end; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || *p == escape.first || *p == escape.second) {
            char text[NAME_UTF8_MAX];
            size_t length = static_cast<size_t>(end - out);
            std::memcpy(text, out, length);
            return escape.escape(out, text, text + length);
        }
    }
    return end;
}
