#include "ntfs/stored_usn_record.h"

#include <cstring>

#include "journal/little_endian.h"
#include "journal/usn_record.h"

namespace {

const uint32_t V2_HEADER_SIZE = 60;
const uint32_t V3_HEADER_SIZE = 76;
const uint32_t V4_HEADER_SIZE = 64;
const uint32_t V2_REASON = 40;
const uint32_t V2_NAME_LENGTH = 56;
const uint32_t V3_REASON = 56;
const uint32_t V3_NAME_LENGTH = 72;
// V3 keeps the V2 fields from Usn to FileAttributes, shifted by the wider ids.
const uint32_t V3_USN = 40;
const uint32_t V2_USN = 24;
const uint32_t USN_TO_ATTRIBUTES_SIZE = 32;

uint32_t RoundUp8(uint32_t value)
{
    return (value + 7) & ~7u;
}

}  // namespace

uint32_t StoredUsnRecordLength(const unsigned char* record, uint64_t available)
{
    if (available < 8)
        return 0;
    uint32_t length = LoadU32(record);
    if (length == 0 || length % 8 != 0 || length > available)
        return 0;
    uint32_t headerSize;
    uint32_t nameFields;
    switch (LoadU16(record + 4)) {
    case 2:
        headerSize = V2_HEADER_SIZE;
        nameFields = V2_NAME_LENGTH;
        break;
    case 3:
        headerSize = V3_HEADER_SIZE;
        nameFields = V3_NAME_LENGTH;
        break;
    case 4:
        return length >= V4_HEADER_SIZE ? length : 0;
    default:
        return 0;
    }
    if (length < headerSize)
        return 0;
    // A name lies behind the header, and NTFS names are at most 255 units: anything else
    // is damage, which a reader of the V2 answer could not take either.
    uint32_t nameLength = LoadU16(record + nameFields);
    uint32_t nameOffset = LoadU16(record + nameFields + 2);
    if (nameLength > MAX_FILE_NAME_LENGTH || (nameLength != 0 && nameOffset < headerSize))
        return 0;
    return nameOffset + nameLength <= length ? length : 0;
}

uint32_t ReplyRecordLength(const unsigned char* record, const ReadUsnJournalData& request)
{
    uint16_t major = LoadU16(record + 4);
    if (major == 4)
        return 0;
    uint32_t reason = LoadU32(record + (major == 2 ? V2_REASON : V3_REASON));
    if ((reason & request.ReasonMask) == 0 ||
        (request.ReturnOnlyOnClose != 0 && (reason & USN_REASON_CLOSE) == 0))
        return 0;
    if (major == 2)
        return LoadU32(record);
    if (LoadU64(record + 16) != 0 || LoadU64(record + 32) != 0)
        return 0;
    return RoundUp8(V2_HEADER_SIZE + LoadU16(record + V3_NAME_LENGTH));
}

void WriteReplyRecord(const unsigned char* record, unsigned char* out, uint32_t replyLength)
{
    if (LoadU16(record + 4) == 2) {
        std::memcpy(out, record, replyLength);
        return;
    }
    uint32_t nameLength = LoadU16(record + V3_NAME_LENGTH);
    uint32_t nameOffset = LoadU16(record + V3_NAME_LENGTH + 2);
    StoreU32(out, replyLength);
    StoreU16(out + 4, 2);
    StoreU16(out + 6, 0);
    StoreU64(out + 8, LoadU64(record + 8));
    StoreU64(out + 16, LoadU64(record + 24));
    std::memcpy(out + V2_USN, record + V3_USN, USN_TO_ATTRIBUTES_SIZE);
    StoreU16(out + V2_NAME_LENGTH, static_cast<uint16_t>(nameLength));
    StoreU16(out + V2_NAME_LENGTH + 2, V2_HEADER_SIZE);
    std::memcpy(out + V2_HEADER_SIZE, record + nameOffset, nameLength);
    std::memset(out + V2_HEADER_SIZE + nameLength, 0, replyLength - V2_HEADER_SIZE - nameLength);
}
