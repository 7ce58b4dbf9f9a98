// Reads from the device or image: pread only, so the file is never written or moved.
#pragma once

#include <cstddef>
#include <cstdint>

// Fills the whole buffer from `offset`. Returns 0, or ERROR_IO_DEVICE when the read fails
// or the file ends first: inside the volume a short read is a device fault.
uint32_t ReadBytes(int fd, uint64_t offset, unsigned char* buffer, size_t length);

// The same, for looking at places that may lie past the end of an image (partition
// tables, candidate boot sectors): returns NTFS_NOT_FOUND when the file ends first.
uint32_t ProbeBytes(int fd, uint64_t offset, unsigned char* buffer, size_t length);
