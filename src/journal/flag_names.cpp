#include "journal/flag_names.h"

#include <cstring>

#include "base/format_text.h"

namespace {

// The position of the lowest bit set in a value other than 0, by the de Bruijn sequence
// 0x077CB531: each lowest bit times it gives a different top five bits.
int LowestBitPosition(uint32_t value)
{
    static const int POSITIONS[32] = {0,  1,  28, 2,  29, 14, 24, 3,  30, 22, 20,
                                      15, 25, 17, 4,  8,  31, 27, 13, 23, 21, 19,
                                      16, 7,  26, 12, 18, 6,  11, 5,  10, 9};
    return POSITIONS[((value & (0u - value)) * 0x077CB531u) >> 27];
}

}  // namespace

FlagNameIndex IndexFlagNames(const FlagName* table, size_t count)
{
    FlagNameIndex index = {};
    for (size_t i = 0; i < count; ++i)
        index.byBit[LowestBitPosition(table[i].bit)] = &table[i];
    return index;
}

char* WriteFlagNames(char* out, uint32_t flags, const FlagNameIndex& names, char separator)
{
    const char* start = out;
    uint32_t unnamed = 0;
    for (; flags != 0; flags &= flags - 1) {
        const FlagName* flag = names.byBit[LowestBitPosition(flags)];
        if (flag == nullptr) {
            unnamed |= flags & (0u - flags);
            continue;
        }
        if (out != start)
            *out++ = separator;
        out = WriteBytes(out, flag->name, flag->length);
    }
    if (unnamed != 0) {
        if (out != start)
            *out++ = separator;
        out = WriteHexDigits(WriteLiteral(out, "0x"), unnamed, 8);
    }
    return out;
}
