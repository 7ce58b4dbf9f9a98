#include "base/byte_source.h"

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstring>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/byte_source_read.h"
#include "base/diagnostics.h"
#include "base/windows_errors.h"

namespace {

int Descriptor(const ByteSource& source)
{
    return static_cast<int>(source.handle);
}

}  // namespace

uint32_t ReadSomeBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                       size_t* got)
{
    for (;;) {
        ssize_t read = pread(Descriptor(source), buffer, length, static_cast<off_t>(offset));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            Diagnose("input at 0x%" PRIX64 ": read failed: %s", offset, std::strerror(errno));
            return WIN_ERROR_IO_DEVICE;
        }
        *got = static_cast<size_t>(read);
        return 0;
    }
}

ByteSource MakeByteSource(intptr_t handle)
{
    ByteSource source = {handle, false, 0, 1};
    struct stat info;
    if (fstat(Descriptor(source), &info) != 0)
        return source;
    if (S_ISREG(info.st_mode)) {
        source.sized = true;
        source.size = static_cast<uint64_t>(info.st_size);
    } else if (S_ISBLK(info.st_mode)) {
        uint64_t size = 0;
        source.sized = ioctl(Descriptor(source), BLKGETSIZE64, &size) == 0;
        source.size = source.sized ? size : 0;
    }
    return source;
}

// SEEK_DATA moves the descriptor's position, which no read here depends on (pread).
uint64_t NextStoredOffset(const ByteSource& source, uint64_t offset)
{
    if (!source.sized || offset >= source.size)
        return offset;
    off_t data = lseek(Descriptor(source), static_cast<off_t>(offset), SEEK_DATA);
    if (data >= 0)
        return static_cast<uint64_t>(data) < source.size ? static_cast<uint64_t>(data) : source.size;
    // ENXIO: nothing but a hole from `offset` on. Otherwise the file system cannot say.
    return errno == ENXIO ? source.size : offset;
}
