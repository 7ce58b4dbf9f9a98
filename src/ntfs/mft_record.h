// MFT records ("FILE"): reading record N through $MFT's runlist and checking its header.
#pragma once

#include <cstdint>

#include "ntfs/ntfs_types.h"

const uint16_t MFT_RECORD_IN_USE = 0x0001;
const uint16_t MFT_RECORD_IS_DIRECTORY = 0x0002;

// Applies the fixups and checks the header fields that attribute walking relies on.
// Returns 0 or ERROR_FILE_CORRUPT.
uint32_t CheckMftRecord(unsigned char* record, uint32_t size);

inline uint16_t MftRecordFlags(const unsigned char* record)
{
    return static_cast<uint16_t>(record[22] | record[23] << 8);
}

// Reads and checks record `number` into `record` (volume->mftRecordSize bytes). Returns
// 0, ERROR_FILE_CORRUPT (damaged record, or a number past the end of $MFT) or
// ERROR_IO_DEVICE.
uint32_t ReadMftRecord(const NtfsVolume* volume, uint64_t number, unsigned char* record);

// Reads a file's base record, checking that it is in use, is a base record and carries
// the sequence number of `reference` (when that has one).
uint32_t ReadBaseRecord(const NtfsVolume* volume, uint64_t reference, unsigned char* record);
