#include "ntfs/fixup.h"

#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/ntfs_types.h"

bool ApplyFixups(unsigned char* block, uint32_t size)
{
    if (size == 0 || size % FIXUP_STRIDE != 0)
        return false;
    uint32_t arrayOffset = LoadU16(block + offsetof(MultiSectorHeaderLayout, UsaOffset));
    uint32_t count = LoadU16(block + offsetof(MultiSectorHeaderLayout, UsaCount));
    // The array must lie in the first stride, clear of the header and of that stride's
    // own check bytes.
    if (count != size / FIXUP_STRIDE + 1 || arrayOffset < sizeof(MultiSectorHeaderLayout) ||
        arrayOffset + 2 * count > FIXUP_STRIDE - 2) {
        Diagnose("update sequence array at 0x%X with %u entries does not fit %u strides of 512 bytes",
                 arrayOffset, count, size / FIXUP_STRIDE);
        return false;
    }
    const unsigned char* array = block + arrayOffset;
    uint16_t sequence = LoadU16(array);
    for (uint32_t i = 1; i < count; i++) {
        unsigned char* check = block + i * FIXUP_STRIDE - 2;
        if (LoadU16(check) != sequence) {
            Diagnose("update sequence: bytes 0x%X hold 0x%04X, not 0x%04X (a torn write)",
                     i * FIXUP_STRIDE - 2, LoadU16(check), sequence);
            return false;
        }
        StoreU16(check, LoadU16(array + 2 * i));
    }
    return true;
}
