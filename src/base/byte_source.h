// Reading a device, image or file at offsets. Sources are only ever read: nothing here
// writes to them, so an examiner's evidence stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>

// An open file descriptor on Linux, an open HANDLE on Windows; the caller opens it for
// reading and closes it.
struct ByteSource {
    intptr_t handle;
    bool sized;         // a regular file or a disk: its length is known and any offset reads
    uint64_t size;      // bytes, when sized
    uint32_t readUnit;  // reads are made in whole aligned units of this many bytes (the
                        // sectors of a Windows device); 1 when any read will do
};

// Looks at what the handle is: a file, a disk or volume device, or something that can only
// be read in order (a pipe, a character device), which is not sized.
ByteSource MakeByteSource(intptr_t handle);

// Not a Windows code: the source ends before the bytes asked for.
const uint32_t SOURCE_ENDS_FIRST = 0xFFFFFFFE;

// Fills the whole buffer from `offset`. Returns 0, or WIN_ERROR_IO_DEVICE when the read
// fails or the source ends first: inside a volume a short read is a device fault.
uint32_t ReadBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length);

// The same, for looking at places that may lie past the end of an image (partition
// tables, candidate boot sectors): returns SOURCE_ENDS_FIRST when the source ends first.
uint32_t ProbeBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length);

// The first offset at or after `offset` where a sized source may hold stored bytes: the
// holes of a sparse file are passed over without being read. Returns the size when only
// holes remain, and `offset` itself when the platform cannot tell.
uint64_t NextStoredOffset(const ByteSource& source, uint64_t offset);
