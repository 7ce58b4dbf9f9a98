// MFT records ("FILE"): reading record N through $MFT's runlist and checking its header.
#pragma once

#include <cstdint>

#include "base/little_endian.h"
#include "ntfs/ntfs_types.h"

// Applies the fixups and checks the header fields that attribute walking relies on.
// Returns 0 or WIN_ERROR_FILE_CORRUPT.
uint32_t CheckMftRecord(unsigned char* record, uint32_t size);

inline uint16_t MftRecordFlags(const unsigned char* record)
{
    return LoadU16(record + offsetof(MftRecordLayout, Flags));
}

inline uint16_t MftRecordSequence(const unsigned char* record)
{
    return LoadU16(record + offsetof(MftRecordLayout, SequenceNumber));
}

// The base record of an extension record; 0 in a base record.
inline uint64_t MftBaseReference(const unsigned char* record)
{
    return LoadU64(record + offsetof(MftRecordLayout, BaseRecordReference));
}

inline uint16_t ReferenceSequence(uint64_t reference)
{
    return static_cast<uint16_t>(reference >> FILE_REFERENCE_SEQUENCE_SHIFT);
}

// Reads and checks record `number` into `record` (volume->mftRecordSize bytes). Returns
// 0, WIN_ERROR_FILE_CORRUPT (damaged record, or a number past the end of $MFT) or
// WIN_ERROR_IO_DEVICE.
uint32_t ReadMftRecord(const NtfsVolume* volume, uint64_t number, unsigned char* record);

// With diagnostics on, one line about record `number`: "MFT record N at 0x...: " and the
// printf-style text.
void DiagnoseRecord(const NtfsVolume* volume, uint64_t number, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Reads a file's base record, checking that it is in use, is a base record and carries
// the sequence number of `reference` (when that has one).
uint32_t ReadBaseRecord(const NtfsVolume* volume, uint64_t reference, unsigned char* record);
