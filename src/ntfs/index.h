// Directory indexes ($I30): finding a file's reference by name.
#pragma once

#include <cstdint>

#include "ntfs/ntfs_types.h"

// Sub-nodes still to visit in a bounded walk of the index tree.
struct IndexWalk {
    int64_t pending[MAX_INDEX_NODES];
    uint32_t pendingCount;
    uint32_t queued;  // sub-nodes ever queued: a tree that names more is damaged or cyclic
};

// Scans the entries of one index node (`node` starts at its node header, `length` bytes
// held) for a $FILE_NAME key equal to `name`, queueing the sub-nodes it points to.
// Returns 0 with *reference set, NTFS_NOT_FOUND, or WIN_ERROR_FILE_CORRUPT.
uint32_t ScanIndexNode(const unsigned char* node, uint32_t length, const char* name,
                       uint64_t* reference, IndexWalk* walk);

// Looks `name` up in the $I30 index of the directory whose checked base record is
// `directory` (record `number`). Every node reachable from the root is visited, at most
// MAX_INDEX_NODES of them, so the answer does not depend on the index's collation order.
// Returns 0 with *reference set, NTFS_NOT_FOUND, WIN_ERROR_FILE_CORRUPT, WIN_ERROR_IO_DEVICE or
// WIN_ERROR_OUTOFMEMORY.
uint32_t FindInDirectory(const NtfsVolume* volume, const unsigned char* directory, uint64_t number,
                         const char* name, uint64_t* reference);
