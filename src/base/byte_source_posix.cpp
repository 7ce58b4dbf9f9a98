#include "base/byte_source.h"

#include <cerrno>
#include <cstdint>
#include <unistd.h>

#include "base/windows_errors.h"

namespace {

// Returns 0, WIN_ERROR_IO_DEVICE, or `endCode` when the file ends before the buffer is full.
uint32_t ReadFully(int fd, uint64_t offset, unsigned char* buffer, size_t length, uint32_t endCode)
{
    if (offset > uint64_t(INT64_MAX) - length)
        return endCode;
    while (length != 0) {
        ssize_t got = pread(fd, buffer, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return WIN_ERROR_IO_DEVICE;
        if (got == 0)
            return endCode;
        buffer += got;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<size_t>(got);
    }
    return 0;
}

}  // namespace

uint32_t ReadBytes(int fd, uint64_t offset, unsigned char* buffer, size_t length)
{
    return ReadFully(fd, offset, buffer, length, WIN_ERROR_IO_DEVICE);
}

uint32_t ProbeBytes(int fd, uint64_t offset, unsigned char* buffer, size_t length)
{
    return ReadFully(fd, offset, buffer, length, SOURCE_ENDS_FIRST);
}
