#include "journal/name_text.h"

#include <cstring>

#include "base/utf8_text.h"
#include "journal/path_index.h"

namespace {

// The longest UTF-8 text: a path of MAX_PATH_UNITS units at three bytes each.
char unescaped[3 * MAX_PATH_UNITS];

}  // namespace

char* WriteText(char* out, const unsigned char* utf16, size_t units, const NameEscape& escape)
{
    char* end = WriteUtf8(out, utf16, units);
    for (const char* p = out; p != end; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || *p == escape.first || *p == escape.second) {
            size_t length = static_cast<size_t>(end - out);
            std::memcpy(unescaped, out, length);
            return escape.escape(out, unescaped, unescaped + length);
        }
    }
    return end;
}
