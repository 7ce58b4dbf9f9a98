// The NTFS boot sector: recognising it and taking the volume's geometry from it.
#pragma once

#include <cstdint>

#include "ntfs/ntfs_types.h"

const uint32_t BOOT_SECTOR_SIZE = sizeof(BootSectorLayout);

bool HasNtfsOemId(const unsigned char* sector);

// Fills the geometry fields of *volume (not fd, offset or the MFT stream). Returns 0,
// WIN_ERROR_INVALID_FUNCTION when the sector is not NTFS, or WIN_ERROR_FILE_CORRUPT when it says
// NTFS but describes an impossible volume.
uint32_t ParseBootSector(const unsigned char* sector, NtfsVolume* volume);
