#include "ntfs/file_name.h"

#include "base/little_endian.h"
#include "ntfs/attribute.h"
#include "ntfs/ntfs_types.h"

namespace {

using FileName = FileNameLayout;

uint32_t Rank(uint8_t nameSpace)
{
    switch (nameSpace) {
    case FILE_NAME_WIN32:
    case FILE_NAME_WIN32_AND_DOS:
        return FILE_NAME_RANK_WIN32;
    case FILE_NAME_POSIX:
        return FILE_NAME_RANK_POSIX;
    case FILE_NAME_DOS:
        return FILE_NAME_RANK_DOS;
    default:
        return FILE_NAME_RANK_NONE;
    }
}

}  // namespace

uint32_t FindFileName(const unsigned char* record, uint32_t size, FileNameFound* found)
{
    found->rank = FILE_NAME_RANK_NONE;
    uint32_t offset = 0;
    NtfsAttribute attribute;
    uint32_t status;
    while ((status = NextAttribute(record, size, &offset, &attribute)) == 0) {
        // $FILE_NAME is always resident; a value too short for its name is damage, and
        // passed over like an attribute of another type.
        if (attribute.type != ATTRIBUTE_FILE_NAME || attribute.nonResident ||
            attribute.valueLength < sizeof(FileName))
            continue;
        const unsigned char* value = attribute.value;
        uint32_t units = value[offsetof(FileName, NameLength)];
        if (2 * units > attribute.valueLength - sizeof(FileName))
            continue;
        uint32_t rank = Rank(value[offsetof(FileName, Namespace)]);
        if (rank <= found->rank)
            continue;
        found->parent = LoadU64(value + offsetof(FileName, ParentReference));
        found->name = value + sizeof(FileName);
        found->units = units;
        found->rank = rank;
    }
    if (status != NTFS_NOT_FOUND)
        return status;
    return found->rank == FILE_NAME_RANK_NONE ? NTFS_NOT_FOUND : 0;
}
