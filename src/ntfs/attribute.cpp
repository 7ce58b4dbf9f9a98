#include "ntfs/attribute.h"

#include <cinttypes>

#include "base/diagnostics.h"
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

// An attribute that does not fit its record.
uint32_t Refuse(uint32_t at, uint32_t type, const char* why)
{
    Diagnose("attribute 0x%X at 0x%X of its MFT record: %s", type, at, why);
    return WIN_ERROR_FILE_CORRUPT;
}

// Fills the fields that depend on residency; `length` is the attribute's checked length.
uint32_t ParseForm(const unsigned char* header, uint32_t length, uint32_t at, NtfsAttribute* attribute)
{
    uint32_t type = attribute->type;
    if (!attribute->nonResident) {
        if (length < RESIDENT_HEADER_SIZE)
            return Refuse(at, type, "shorter than a resident attribute's header");
        uint32_t valueLength = LoadU32(header + offsetof(Resident, ValueLength));
        uint32_t valueOffset = LoadU16(header + offsetof(Resident, ValueOffset));
        if (valueOffset > length || valueLength > length - valueOffset)
            return Refuse(at, type, "its value runs past the attribute's length");
        attribute->value = header + valueOffset;
        attribute->valueLength = valueLength;
        return 0;
    }
    if (length < NON_RESIDENT_HEADER_SIZE)
        return Refuse(at, type, "shorter than a non-resident attribute's header");
    uint32_t runlistOffset = LoadU16(header + offsetof(NonResident, RunlistOffset));
    if (runlistOffset < NON_RESIDENT_HEADER_SIZE || runlistOffset > length)
        return Refuse(at, type, "its runlist offset is not within the attribute");
    attribute->firstVcn = LoadI64(header + offsetof(NonResident, FirstVcn));
    attribute->lastVcn = LoadI64(header + offsetof(NonResident, LastVcn));
    attribute->runlist = header + runlistOffset;
    attribute->runlistLength = length - runlistOffset;
    attribute->dataSize = LoadU64(header + offsetof(NonResident, DataSize));
    attribute->initializedSize = LoadU64(header + offsetof(NonResident, InitializedSize));
    return 0;
}

}  // namespace

uint32_t NextAttribute(const unsigned char* record, uint32_t size, uint32_t* offset,
                       NtfsAttribute* attribute)
{
    uint32_t limit = LoadU32(record + offsetof(MftRecordLayout, UsedSize));
    if (limit > size)
        limit = size;
    uint32_t at = *offset == 0 ? LoadU16(record + offsetof(MftRecordLayout, FirstAttributeOffset)) : *offset;
    if (at > limit || limit - at < 4) {
        Diagnose("MFT record: no attribute end marker before its used size 0x%X", limit);
        return WIN_ERROR_FILE_CORRUPT;
    }
    const unsigned char* header = record + at;
    uint32_t type = LoadU32(header + offsetof(Header, Type));
    if (type == ATTRIBUTE_END)
        return NTFS_NOT_FOUND;
    if (limit - at < RESIDENT_HEADER_SIZE)
        return Refuse(at, type, "its header runs past the record's used size");
    uint32_t length = LoadU32(header + offsetof(Header, Length));
    unsigned char nonResident = header[offsetof(Header, NonResident)];
    if (length < RESIDENT_HEADER_SIZE)
        return Refuse(at, type, "its length is shorter than an attribute header");
    if (length > limit - at) {
        Diagnose("attribute 0x%X at 0x%X of its MFT record: length 0x%X ends at 0x%" PRIX64
                 ", past the record's used size 0x%X", type, at, length, uint64_t(at) + length, limit);
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (nonResident > 1)
        return Refuse(at, type, "its non-resident flag is neither 0 nor 1");
    *attribute = NtfsAttribute{};
    attribute->type = type;
    attribute->nonResident = nonResident == 1;
    attribute->nameLength = header[offsetof(Header, NameLength)];
    uint32_t nameOffset = LoadU16(header + offsetof(Header, NameOffset));
    if (nameOffset > length || 2 * attribute->nameLength > length - nameOffset)
        return Refuse(at, type, "its name runs past the attribute's length");
    attribute->name = header + nameOffset;
    attribute->flags = LoadU16(header + offsetof(Header, Flags));
    attribute->id = LoadU16(header + offsetof(Header, Id));
    uint32_t status = ParseForm(header, length, at, attribute);
    if (status != 0)
        return status;
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
