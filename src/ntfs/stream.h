// Attribute values as byte streams: gathering an attribute's segments (through the
// attribute list when the file has one) and reading any range of its value.
#pragma once

#include <cstdint>

#include "ntfs/attribute.h"
#include "ntfs/ntfs_types.h"

// Releases what *stream holds and leaves it empty.
void FreeStream(NtfsStream* stream);

// Adds one segment of an attribute to *stream: a resident value is copied, a
// non-resident segment's runs are appended. Returns 0, WIN_ERROR_FILE_CORRUPT (segments out
// of order, sizes impossible, compressed or encrypted data, which this reader does not
// decode) or WIN_ERROR_OUTOFMEMORY.
uint32_t AddSegment(const NtfsVolume* volume, const NtfsAttribute& attribute, NtfsStream* stream);

// Loads attribute `type` named `name` of the file whose checked base record is `base`
// (MFT record `baseNumber`), following $ATTRIBUTE_LIST into extension records. *stream
// must be empty; on failure the caller frees it. Returns 0, NTFS_NOT_FOUND,
// WIN_ERROR_FILE_CORRUPT, WIN_ERROR_IO_DEVICE or WIN_ERROR_OUTOFMEMORY.
uint32_t LoadAttributeStream(const NtfsVolume* volume, const unsigned char* base,
                             uint64_t baseNumber, uint32_t type, const char* name,
                             NtfsStream* stream);

// Reads `length` bytes of the value from `offset`. Sparse runs and bytes past the
// initialized size read as zeros. Returns 0, WIN_ERROR_FILE_CORRUPT or WIN_ERROR_IO_DEVICE.
uint32_t ReadStream(const NtfsVolume* volume, const NtfsStream* stream, uint64_t offset,
                    unsigned char* buffer, uint32_t length);

// The first offset at or after `offset` whose bytes may be non-zero: sparse runs and the
// uninitialized tail are passed over through the runlist. Returns dataSize when nothing
// but zeros remains (and `offset` itself when that is already past the end).
uint64_t NextDataOffset(const NtfsVolume* volume, const NtfsStream* stream, uint64_t offset);

// Where byte `offset` of a non-resident value lies in the input (device, image or file),
// for messages that name it; UINT64_MAX when it is not stored there.
uint64_t StreamInputOffset(const NtfsVolume* volume, const NtfsStream* stream, uint64_t offset);
