// $ATTRIBUTE_LIST entries: where each attribute (or each VCN segment of a large one) of a
// file spread over several MFT records is held.
#pragma once

#include <cstddef>
#include <cstdint>

struct AttributeListEntry {
    uint32_t type;
    const unsigned char* name;  // UTF-16LE, points into the list
    uint32_t nameLength;        // in UTF-16 units
    int64_t firstVcn;
    uint64_t reference;  // file reference of the MFT record holding the attribute
    uint16_t id;
};

// Steps to the next entry; *offset starts at 0. Returns 0, NTFS_NOT_FOUND after the last
// entry, or WIN_ERROR_FILE_CORRUPT.
uint32_t NextAttributeListEntry(const unsigned char* list, uint32_t size, uint32_t* offset,
                                AttributeListEntry* entry);

// Gathers the entries of attribute `type` named `name`, sorted by first VCN, into
// *entries (malloc'd, to be freed by the caller; nullptr when *count is 0). Returns 0,
// WIN_ERROR_FILE_CORRUPT or WIN_ERROR_OUTOFMEMORY.
uint32_t CollectListSegments(const unsigned char* list, uint32_t size, uint32_t type,
                             const char* name, AttributeListEntry** entries, size_t* count);
