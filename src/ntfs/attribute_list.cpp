#include "ntfs/attribute_list.h"

#include <algorithm>
#include <cstdlib>

#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/ntfs_name.h"
#include "ntfs/ntfs_types.h"

namespace {

using Entry = AttributeListEntryLayout;

const uint32_t ENTRY_HEADER_SIZE = sizeof(Entry);

}  // namespace

uint32_t NextAttributeListEntry(const unsigned char* list, uint32_t size, uint32_t* offset,
                                AttributeListEntry* entry)
{
    uint32_t at = *offset;
    // Bytes too few for another entry are slack after the last one.
    if (at > size || size - at < ENTRY_HEADER_SIZE)
        return NTFS_NOT_FOUND;
    const unsigned char* bytes = list + at;
    uint32_t length = LoadU16(bytes + offsetof(Entry, Length));
    uint32_t nameLength = bytes[offsetof(Entry, NameLength)];
    uint32_t nameOffset = bytes[offsetof(Entry, NameOffset)];
    if (length < ENTRY_HEADER_SIZE || length > size - at) {
        Diagnose("attribute list entry at 0x%X: length 0x%X is shorter than an entry or runs past the "
                 "list's 0x%X bytes", at, length, size);
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (nameOffset > length || 2 * nameLength > length - nameOffset) {
        Diagnose("attribute list entry at 0x%X: its name runs past the entry's length 0x%X", at, length);
        return WIN_ERROR_FILE_CORRUPT;
    }
    entry->type = LoadU32(bytes + offsetof(Entry, Type));
    entry->name = bytes + nameOffset;
    entry->nameLength = nameLength;
    entry->firstVcn = LoadI64(bytes + offsetof(Entry, FirstVcn));
    entry->reference = LoadU64(bytes + offsetof(Entry, Reference));
    entry->id = LoadU16(bytes + offsetof(Entry, Id));
    *offset = at + length;
    return 0;
}

uint32_t CollectListSegments(const unsigned char* list, uint32_t size, uint32_t type,
                             const char* name, AttributeListEntry** entries, size_t* count)
{
    *entries = nullptr;
    *count = 0;
    // Every entry takes at least a header, which bounds the array.
    size_t capacity = size / ENTRY_HEADER_SIZE;
    if (capacity == 0)
        return 0;
    AttributeListEntry* found =
        static_cast<AttributeListEntry*>(std::malloc(capacity * sizeof(AttributeListEntry)));
    if (found == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    size_t used = 0;
    uint32_t offset = 0;
    AttributeListEntry entry;
    uint32_t status;
    while ((status = NextAttributeListEntry(list, size, &offset, &entry)) == 0) {
        if (entry.type == type && NtfsNameEquals(entry.name, entry.nameLength, name))
            found[used++] = entry;
    }
    if (status != NTFS_NOT_FOUND) {
        std::free(found);
        return status;
    }
    std::stable_sort(found, found + used, [](const AttributeListEntry& a, const AttributeListEntry& b) {
        return a.firstVcn < b.firstVcn;
    });
    if (used == 0) {
        std::free(found);
        found = nullptr;
    }
    *entries = found;
    *count = used;
    return 0;
}
