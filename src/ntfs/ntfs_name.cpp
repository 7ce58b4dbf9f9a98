#include "ntfs/ntfs_name.h"

#include <cstring>

#include "base/little_endian.h"

namespace {

uint32_t FoldAscii(uint32_t unit)
{
    return unit >= 'a' && unit <= 'z' ? unit - 'a' + 'A' : unit;
}

}  // namespace

bool NtfsNameEquals(const unsigned char* name, uint32_t units, const char* ascii)
{
    if (units != std::strlen(ascii))
        return false;
    for (uint32_t i = 0; i < units; i++) {
        uint32_t unit = LoadU16(name + 2 * i);
        if (FoldAscii(unit) != FoldAscii(static_cast<unsigned char>(ascii[i])))
            return false;
    }
    return true;
}
