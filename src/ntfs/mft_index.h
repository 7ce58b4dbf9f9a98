// Filling the path index from an MFT: every record's name, folder and sequence number,
// in use or not (a deleted file's last name still names the folder it was).
#pragma once

#include <cstdint>

#include "base/byte_source.h"
#include "journal/path_index.h"
#include "ntfs/ntfs_types.h"

// Adds `count` MFT records of `recordSize` bytes held in `records` (which are changed:
// their fixups are applied), the first of them record `firstNumber`. Damaged records are
// passed over.
void AddMftRecords(PathIndex* index, uint64_t firstNumber, unsigned char* records,
                   uint32_t count, uint32_t recordSize);

// Reads the whole $MFT of the volume into `index`. Returns 0, or the error that kept its
// first block from being read (WIN_ERROR_IO_DEVICE, WIN_ERROR_FILE_CORRUPT,
// WIN_ERROR_OUTOFMEMORY); a later failure keeps what came before it.
uint32_t ReadVolumeMft(const NtfsVolume* volume, PathIndex* index);

// The same from a file that holds a copy of $MFT (as collectors export it: record N at N
// times the record size, which its first record gives). WIN_ERROR_FILE_CORRUPT when the
// file does not start with an MFT record.
uint32_t ReadMftFile(const ByteSource& source, PathIndex* index);
