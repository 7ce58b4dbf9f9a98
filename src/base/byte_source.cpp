#include "base/byte_source.h"

#include <cinttypes>

#include "base/byte_source_read.h"
#include "base/diagnostics.h"
#include "base/windows_errors.h"

namespace {

// Returns 0, WIN_ERROR_IO_DEVICE, or `endCode` when the source ends before the buffer is
// full.
uint32_t ReadFully(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                   uint32_t endCode)
{
    if (offset > uint64_t(INT64_MAX) - length)
        return endCode;
    while (length != 0) {
        size_t got = 0;
        uint32_t status = ReadSomeBytes(source, offset, buffer, length, &got);
        if (status != 0)
            return status;
        if (got == 0) {
            if (endCode == WIN_ERROR_IO_DEVICE)
                Diagnose("input ends at 0x%" PRIX64 ", %" PRIu64 " bytes short of what is read there",
                         offset, uint64_t(length));
            return endCode;
        }
        buffer += got;
        offset += got;
        length -= got;
    }
    return 0;
}

}  // namespace

uint32_t ReadBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length)
{
    return ReadFully(source, offset, buffer, length, WIN_ERROR_IO_DEVICE);
}

uint32_t ProbeBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length)
{
    return ReadFully(source, offset, buffer, length, SOURCE_ENDS_FIRST);
}
