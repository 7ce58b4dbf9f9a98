// Attributes of an MFT record: walking them with every length checked, and finding one
// by type and name.
#pragma once

#include <cstdint>

#include "ntfs/ntfs_layout.h"

const uint32_t ANY_ATTRIBUTE_ID = 0xFFFFFFFF;

// One attribute as found in a record; the pointers point into that record.
struct NtfsAttribute {
    uint32_t type;
    uint16_t flags;
    uint16_t id;
    bool nonResident;
    const unsigned char* name;  // UTF-16LE
    uint32_t nameLength;        // in UTF-16 units
    // Resident attributes.
    const unsigned char* value;
    uint32_t valueLength;
    // Non-resident attributes (sizes are meaningful in the segment starting at VCN 0).
    int64_t firstVcn;
    int64_t lastVcn;
    const unsigned char* runlist;
    uint32_t runlistLength;
    uint64_t dataSize;
    uint64_t initializedSize;
};

// Steps to the next attribute of `record` (`size` bytes, header already checked); *offset
// is 0 before the first call. Returns 0 with *attribute filled, NTFS_NOT_FOUND at the end
// marker, or WIN_ERROR_FILE_CORRUPT when an attribute does not fit its record.
uint32_t NextAttribute(const unsigned char* record, uint32_t size, uint32_t* offset,
                       NtfsAttribute* attribute);

// Finds the first attribute of `type` named `name` ("" for unnamed) and, unless `id` is
// ANY_ATTRIBUTE_ID, with that attribute id. Returns 0, NTFS_NOT_FOUND or WIN_ERROR_FILE_CORRUPT.
uint32_t FindAttribute(const unsigned char* record, uint32_t size, uint32_t type,
                       const char* name, uint32_t id, NtfsAttribute* attribute);
