#include "ntfs/attribute.h"

#include "base/little_endian.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_name.h"
#include "ntfs/ntfs_types.h"

namespace {

using Header = AttributeHeaderLayout;
using Resident = ResidentAttributeLayout;
using NonResident = NonResidentAttributeLayout;

const uint32_t RESIDENT_HEADER_SIZE = sizeof(Resident);
const uint32_t NON_RESIDENT_HEADER_SIZE = sizeof(NonResident);

// Fills the fields that depend on residency; `length` is the attribute's checked length.
bool ParseForm(const unsigned char* header, uint32_t length, NtfsAttribute* attribute)
{
    if (!attribute->nonResident) {
        if (length < RESIDENT_HEADER_SIZE)
            return false;
        uint32_t valueLength = LoadU32(header + offsetof(Resident, ValueLength));
        uint32_t valueOffset = LoadU16(header + offsetof(Resident, ValueOffset));
        if (valueOffset > length || valueLength > length - valueOffset)
            return false;
        attribute->value = header + valueOffset;
        attribute->valueLength = valueLength;
        return true;
    }
    if (length < NON_RESIDENT_HEADER_SIZE)
        return false;
    uint32_t runlistOffset = LoadU16(header + offsetof(NonResident, RunlistOffset));
    if (runlistOffset < NON_RESIDENT_HEADER_SIZE || runlistOffset > length)
        return false;
    attribute->firstVcn = LoadI64(header + offsetof(NonResident, FirstVcn));
    attribute->lastVcn = LoadI64(header + offsetof(NonResident, LastVcn));
    attribute->runlist = header + runlistOffset;
    attribute->runlistLength = length - runlistOffset;
    attribute->dataSize = LoadU64(header + offsetof(NonResident, DataSize));
    attribute->initializedSize = LoadU64(header + offsetof(NonResident, InitializedSize));
    return true;
}

}  // namespace

uint32_t NextAttribute(const unsigned char* record, uint32_t size, uint32_t* offset,
                       NtfsAttribute* attribute)
{
    uint32_t limit = LoadU32(record + offsetof(MftRecordLayout, UsedSize));
    if (limit > size)
        limit = size;
    uint32_t at = *offset == 0 ? LoadU16(record + offsetof(MftRecordLayout, FirstAttributeOffset)) : *offset;
    if (at > limit || limit - at < 4)
        return WIN_ERROR_FILE_CORRUPT;
    const unsigned char* header = record + at;
    uint32_t type = LoadU32(header + offsetof(Header, Type));
    if (type == ATTRIBUTE_END)
        return NTFS_NOT_FOUND;
    if (limit - at < RESIDENT_HEADER_SIZE)
        return WIN_ERROR_FILE_CORRUPT;
    uint32_t length = LoadU32(header + offsetof(Header, Length));
    unsigned char nonResident = header[offsetof(Header, NonResident)];
    if (length < RESIDENT_HEADER_SIZE || length > limit - at || nonResident > 1)
        return WIN_ERROR_FILE_CORRUPT;
    *attribute = NtfsAttribute{};
    attribute->type = type;
    attribute->nonResident = nonResident == 1;
    attribute->nameLength = header[offsetof(Header, NameLength)];
    uint32_t nameOffset = LoadU16(header + offsetof(Header, NameOffset));
    if (nameOffset > length || 2 * attribute->nameLength > length - nameOffset)
        return WIN_ERROR_FILE_CORRUPT;
    attribute->name = header + nameOffset;
    attribute->flags = LoadU16(header + offsetof(Header, Flags));
    attribute->id = LoadU16(header + offsetof(Header, Id));
    if (!ParseForm(header, length, attribute))
        return WIN_ERROR_FILE_CORRUPT;
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
