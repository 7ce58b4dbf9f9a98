// An NTFS volume opened as far as its MFT: the boot sector's geometry and $MFT's own
// runlist, through which any MFT record can then be read.
#pragma once

#include <cstdint>

#include "base/byte_source.h"
#include "ntfs/ntfs_types.h"

// Opens the volume whose boot sector is at `offset` in the source. Returns 0, or
// WIN_ERROR_INVALID_FUNCTION (no NTFS boot sector), WIN_ERROR_FILE_CORRUPT,
// WIN_ERROR_IO_DEVICE or WIN_ERROR_OUTOFMEMORY; on failure the caller still closes it.
uint32_t OpenNtfsVolume(const ByteSource& source, uint64_t offset, NtfsVolume* volume);
void CloseNtfsVolume(NtfsVolume* volume);
