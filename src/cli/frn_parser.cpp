#include "cli/frn_parser.h"

namespace {

// The value of a hexadecimal digit, or -1.
int HexDigitValue(WideChar unit)
{
    if (unit >= '0' && unit <= '9')
        return unit - '0';
    if (unit >= 'A' && unit <= 'F')
        return unit - 'A' + 10;
    if (unit >= 'a' && unit <= 'f')
        return unit - 'a' + 10;
    return -1;
}

}  // namespace

uint64_t ParseFileReferenceNumber(const WideChar* text)
{
    uint64_t value = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (const WideChar* unit = text + 2; HexDigitValue(*unit) >= 0; ++unit)
            value = value * 16 + static_cast<uint64_t>(HexDigitValue(*unit));
        return value;
    }
    for (const WideChar* unit = text; *unit >= '0' && *unit <= '9'; ++unit)
        value = value * 10 + static_cast<uint64_t>(*unit - '0');
    return value;
}
