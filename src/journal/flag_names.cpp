#include "journal/flag_names.h"

#include <cstring>

#include "base/format_text.h"

char* WriteFlagNames(char* out, uint32_t flags, const FlagName* table, size_t count, char separator)
{
    const char* start = out;
    for (size_t i = 0; flags != 0 && i < count; ++i) {
        if ((flags & table[i].bit) == 0)
            continue;
        if (out != start)
            *out++ = separator;
        out = WriteBytes(out, table[i].name, table[i].length);
        flags &= ~table[i].bit;
    }
    if (flags != 0) {
        if (out != start)
            *out++ = separator;
        out = WriteHexDigits(WriteLiteral(out, "0x"), flags, 8);
    }
    return out;
}
