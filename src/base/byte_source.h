// Reads from a device, image or file: pread only, so it is never written or moved.
#pragma once

#include <cstddef>
#include <cstdint>

// Not a Windows code: the file ends before the bytes asked for.
const uint32_t SOURCE_ENDS_FIRST = 0xFFFFFFFE;

// Fills the whole buffer from `offset`. Returns 0, or WIN_ERROR_IO_DEVICE when the read
// fails or the file ends first: inside a volume a short read is a device fault.
uint32_t ReadBytes(int fd, uint64_t offset, unsigned char* buffer, size_t length);

// The same, for looking at places that may lie past the end of an image (partition
// tables, candidate boot sectors): returns SOURCE_ENDS_FIRST when the file ends first.
uint32_t ProbeBytes(int fd, uint64_t offset, unsigned char* buffer, size_t length);
