#include "ntfs/attribute.h"

#include "journal/little_endian.h"
#include "ntfs/ntfs_name.h"
#include "ntfs/ntfs_types.h"

namespace {

const uint32_t RESIDENT_HEADER_SIZE = 24;
const uint32_t NON_RESIDENT_HEADER_SIZE = 64;

// Fills the fields that depend on residency; `length` is the attribute's checked length.
bool ParseForm(const unsigned char* header, uint32_t length, NtfsAttribute* attribute)
{
    if (!attribute->nonResident) {
        if (length < RESIDENT_HEADER_SIZE)
            return false;
        uint32_t valueLength = LoadU32(header + 16);
        uint32_t valueOffset = LoadU16(header + 20);
        if (valueOffset > length || valueLength > length - valueOffset)
            return false;
        attribute->value = header + valueOffset;
        attribute->valueLength = valueLength;
        return true;
    }
    if (length < NON_RESIDENT_HEADER_SIZE)
        return false;
    uint32_t runlistOffset = LoadU16(header + 32);
    if (runlistOffset < NON_RESIDENT_HEADER_SIZE || runlistOffset > length)
        return false;
    attribute->firstVcn = LoadI64(header + 16);
    attribute->lastVcn = LoadI64(header + 24);
    attribute->runlist = header + runlistOffset;
    attribute->runlistLength = length - runlistOffset;
    attribute->dataSize = LoadU64(header + 48);
    attribute->initializedSize = LoadU64(header + 56);
    return true;
}

}  // namespace

uint32_t NextAttribute(const unsigned char* record, uint32_t size, uint32_t* offset,
                       NtfsAttribute* attribute)
{
    uint32_t limit = LoadU32(record + 24);
    if (limit > size)
        limit = size;
    uint32_t at = *offset == 0 ? LoadU16(record + 20) : *offset;
    if (at > limit || limit - at < 4)
        return ERROR_FILE_CORRUPT;
    const unsigned char* header = record + at;
    uint32_t type = LoadU32(header);
    if (type == ATTRIBUTE_END)
        return NTFS_NOT_FOUND;
    if (limit - at < RESIDENT_HEADER_SIZE)
        return ERROR_FILE_CORRUPT;
    uint32_t length = LoadU32(header + 4);
    if (length < RESIDENT_HEADER_SIZE || length > limit - at || header[8] > 1)
        return ERROR_FILE_CORRUPT;
    *attribute = NtfsAttribute{};
    attribute->type = type;
    attribute->nonResident = header[8] == 1;
    attribute->nameLength = header[9];
    uint32_t nameOffset = LoadU16(header + 10);
    if (nameOffset > length || 2 * attribute->nameLength > length - nameOffset)
        return ERROR_FILE_CORRUPT;
    attribute->name = header + nameOffset;
    attribute->flags = LoadU16(header + 12);
    attribute->id = LoadU16(header + 14);
    if (!ParseForm(header, length, attribute))
        return ERROR_FILE_CORRUPT;
    *offset = at + length;
    return 0;
}

uint32_t FindAttribute(const unsigned char* record, uint32_t size, uint32_t type,
                       const char* name, uint32_t id, NtfsAttribute* attribute)
{
    uint32_t offset = 0;
    for (;;) {
        uint32_t status = NextAttribute(record, size, &offset, attribute);
        if (status != 0)
            return status;
        if (attribute->type == type && NtfsNameEquals(attribute->name, attribute->nameLength, name) &&
            (id == ANY_ATTRIBUTE_ID || attribute->id == id))
            return 0;
    }
}
