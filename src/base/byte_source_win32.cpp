#include "base/byte_source.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "base/diagnostics.h"
#include "base/windows_errors.h"

namespace {

// Disks and volumes are read in whole sectors at sector offsets. 4096 is a multiple of
// every sector size in use; a device's size is a multiple of its own sector size, so a
// read clipped at the device's end stays whole sectors too.
const uint32_t DEVICE_READ_UNIT = 4096;
// The largest piece of a device read at once through the aligned block.
const uint32_t DEVICE_BLOCK = 64 * 1024;
const DWORD LARGEST_READ = 1u << 30;

HANDLE Handle(const ByteSource& source)
{
    return reinterpret_cast<HANDLE>(source.handle);
}

// Reads at an offset; the handle is synchronous, so the OVERLAPPED only carries the
// offset. Returns 0, WIN_ERROR_IO_DEVICE, or `endCode` when the source ends first.
uint32_t ReadAt(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                uint32_t endCode)
{
    while (length != 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD part = static_cast<DWORD>(std::min<size_t>(length, LARGEST_READ));
        DWORD got = 0;
        if (!ReadFile(Handle(source), buffer, part, &got, &at) && GetLastError() != ERROR_HANDLE_EOF) {
            Diagnose("input at 0x%" PRIX64 ": read failed with error %lu", offset, GetLastError());
            return WIN_ERROR_IO_DEVICE;
        }
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

// A device read: whole aligned units into an aligned block, of which the bytes asked for
// are copied out.
uint32_t ReadDevice(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                    uint32_t endCode)
{
    const uint32_t unit = source.readUnit;
    unsigned char* held = static_cast<unsigned char*>(std::malloc(DEVICE_BLOCK + unit));
    if (held == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    unsigned char* block = held + (unit - reinterpret_cast<uintptr_t>(held) % unit) % unit;
    uint32_t status = 0;
    while (length != 0 && status == 0) {
        uint64_t start = offset - offset % unit;
        if (start >= source.size) {
            status = endCode;
            break;
        }
        uint64_t skip = offset - start;
        uint64_t span = std::min<uint64_t>(DEVICE_BLOCK, (skip + length + unit - 1) / unit * unit);
        span = std::min(span, source.size - start);
        if (span <= skip) {
            status = endCode;
            break;
        }
        status = ReadAt(source, start, block, static_cast<size_t>(span), endCode);
        size_t piece = static_cast<size_t>(std::min<uint64_t>(length, span - skip));
        if (status == 0)
            std::memcpy(buffer, block + skip, piece);
        buffer += piece;
        offset += piece;
        length -= piece;
    }
    std::free(held);
    return status;
}

uint32_t ReadFully(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                   uint32_t endCode)
{
    if (offset > uint64_t(INT64_MAX) - length)
        return endCode;
    if (source.readUnit > 1)
        return ReadDevice(source, offset, buffer, length, endCode);
    return ReadAt(source, offset, buffer, length, endCode);
}

}  // namespace

ByteSource MakeByteSource(intptr_t handle)
{
    ByteSource source = {handle, false, 0, 1};
    // Pipes and character devices are read only in order; reading one at an offset could
    // wait for ever.
    if (GetFileType(Handle(source)) != FILE_TYPE_DISK)
        return source;
    GET_LENGTH_INFORMATION device = {};
    DWORD returned = 0;
    if (DeviceIoControl(Handle(source), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &device, sizeof device,
                        &returned, nullptr)) {
        source.sized = true;
        source.size = static_cast<uint64_t>(device.Length.QuadPart);
        source.readUnit = DEVICE_READ_UNIT;
        return source;
    }
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(Handle(source), &size)) {
        source.sized = true;
        source.size = static_cast<uint64_t>(size.QuadPart);
    }
    return source;
}

uint32_t ReadBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length)
{
    return ReadFully(source, offset, buffer, length, WIN_ERROR_IO_DEVICE);
}

uint32_t ProbeBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length)
{
    return ReadFully(source, offset, buffer, length, SOURCE_ENDS_FIRST);
}

// A sparse file's allocated ranges; a device, or a file system that cannot tell, is taken
// as stored throughout.
uint64_t NextStoredOffset(const ByteSource& source, uint64_t offset)
{
    if (!source.sized || offset >= source.size || source.readUnit > 1)
        return offset;
    FILE_ALLOCATED_RANGE_BUFFER query = {};
    query.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
    query.Length.QuadPart = static_cast<LONGLONG>(source.size - offset);
    FILE_ALLOCATED_RANGE_BUFFER range = {};
    DWORD returned = 0;
    BOOL done = DeviceIoControl(Handle(source), FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, &range,
                                sizeof range, &returned, nullptr);
    if (!done && GetLastError() != ERROR_MORE_DATA)
        return offset;
    if (returned < sizeof range)
        return done ? source.size : offset;  // no range at all: only a hole is left
    uint64_t start = static_cast<uint64_t>(range.FileOffset.QuadPart);
    return std::min(std::max(start, offset), source.size);
}
