// Filling the path index from an MFT: every record's name, folder and sequence number,
// in use or not (a deleted file's last name still names the folder it was).
#pragma once

#include <cstdint>

#include "ntfs/ntfs_types.h"
#include "paths/path_index.h"

// Adds `count` MFT records of `recordSize` bytes held in `records` (which are changed:
// their fixups are applied), the first of them record `firstNumber`. Damaged records are
// passed over.
void AddMftRecords(PathIndex* index, uint64_t firstNumber, unsigned char* records,
                   uint32_t count, uint32_t recordSize);

// Reads the whole $MFT of the volume into `index`. Returns 0, or the error of the read
// that stopped it with the index holding what came before (WIN_ERROR_IO_DEVICE,
// WIN_ERROR_FILE_CORRUPT, WIN_ERROR_OUTOFMEMORY).
uint32_t LoadVolumeMft(const NtfsVolume* volume, PathIndex* index);
