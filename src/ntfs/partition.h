// Finding the NTFS volumes in a device or image: a bare volume, or the partitions of a
// whole-disk image with an MBR (logical drives in extended partitions included) or GPT.
#pragma once

#include <cstdint>

#include "ntfs/ntfs_types.h"

struct NtfsVolumeList {
    uint64_t offsets[MAX_NTFS_PARTITIONS];  // byte offsets of the boot sectors, table order
    uint32_t count;
};

// Fills *volumes. Returns 0 when at least one NTFS volume was found,
// WIN_ERROR_INVALID_FUNCTION when none was, or WIN_ERROR_IO_DEVICE.
uint32_t FindNtfsVolumes(const ByteSource& source, NtfsVolumeList* volumes);
