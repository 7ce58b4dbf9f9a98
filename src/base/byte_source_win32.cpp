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

#include "base/byte_source_read.h"
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

// One ReadFile at an offset; the handle is synchronous, so the OVERLAPPED only carries
// the offset.
uint32_t ReadFileAt(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                    size_t* got)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!ReadFile(Handle(source), buffer, static_cast<DWORD>(std::min<size_t>(length, LARGEST_READ)), &read,
                  &at) &&
        GetLastError() != ERROR_HANDLE_EOF) {
        Diagnose("input at 0x%" PRIX64 ": read failed with error %lu", offset, GetLastError());
        return WIN_ERROR_IO_DEVICE;
    }
    *got = read;
    return 0;
}

// A device is read in whole aligned units, into an aligned block of which the bytes asked
// for are copied out.
uint32_t ReadDeviceAt(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                      size_t* got)
{
    const uint32_t unit = source.readUnit;
    uint64_t start = offset - offset % unit;
    uint64_t skip = offset - start;
    uint64_t span = std::min<uint64_t>(DEVICE_BLOCK, (skip + length + unit - 1) / unit * unit);
    span = std::min(span, source.size > start ? source.size - start : 0);
    *got = 0;
    if (span <= skip)
        return 0;
    unsigned char* held = static_cast<unsigned char*>(std::malloc(DEVICE_BLOCK + unit));
    if (held == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    unsigned char* block = held + (unit - reinterpret_cast<uintptr_t>(held) % unit) % unit;
    size_t read = 0;
    uint32_t status = ReadFileAt(source, start, block, static_cast<size_t>(span), &read);
    if (status == 0 && read > skip) {
        *got = static_cast<size_t>(std::min<uint64_t>(length, read - skip));
        std::memcpy(buffer, block + skip, *got);
    }
    std::free(held);
    return status;
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

uint32_t ReadSomeBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                       size_t* got)
{
    if (source.readUnit > 1)
        return ReadDeviceAt(source, offset, buffer, length, got);
    return ReadFileAt(source, offset, buffer, length, got);
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
