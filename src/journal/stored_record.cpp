#include "journal/stored_record.h"

#include <cstring>

#include "base/little_endian.h"

namespace {

using V2 = UsnRecordV2Layout;
using V3 = UsnRecordV3Layout;

const uint32_t V2_HEADER_SIZE = sizeof(V2);

uint16_t MajorVersion(const unsigned char* record)
{
    return LoadU16(record + offsetof(V2, MajorVersion));
}

// The newest record version the request takes as it is stored.
uint16_t NewestVersion(const ReadUsnJournalData& request)
{
    return request.MaxMajorVersion > 2 ? request.MaxMajorVersion : 2;
}

uint32_t ReasonAt(const unsigned char* record, uint16_t major)
{
    size_t at = major == 2 ? offsetof(V2, Reason)
              : major == 3 ? offsetof(V3, Reason)
                           : offsetof(UsnRecordV4Layout, Reason);
    return LoadU32(record + at);
}

// A record that is not well formed: its length is 0, and *problem (when asked for) says why.
uint32_t Refuse(const char** problem, const char* why)
{
    if (problem != nullptr)
        *problem = why;
    return 0;
}

uint32_t RoundUp8(uint32_t value)
{
    return (value + 7) & ~7u;
}

}  // namespace

uint32_t StoredUsnRecordLength(const unsigned char* record, uint64_t available, const char** problem)
{
    if (available < 8)
        return Refuse(problem, "fewer than 8 bytes are left");
    uint32_t length = LoadU32(record + offsetof(V2, RecordLength));
    if (length == 0)
        return Refuse(problem, "RecordLength 0 before bytes that are not zero");
    if (length % 8 != 0)
        return Refuse(problem, "RecordLength is not a multiple of 8");
    if (length > available)
        return Refuse(problem, "RecordLength runs past its page");
    uint32_t headerSize;
    uint32_t nameLengthAt;
    uint32_t nameOffsetAt;
    switch (MajorVersion(record)) {
    case 2:
        headerSize = sizeof(V2);
        nameLengthAt = offsetof(V2, FileNameLength);
        nameOffsetAt = offsetof(V2, FileNameOffset);
        break;
    case 3:
        headerSize = sizeof(V3);
        nameLengthAt = offsetof(V3, FileNameLength);
        nameOffsetAt = offsetof(V3, FileNameOffset);
        break;
    case 4:
        headerSize = sizeof(UsnRecordV4Layout);
        if (length < headerSize)
            return Refuse(problem, "RecordLength is shorter than the record's header");
        return length;
    default:
        return Refuse(problem, "MajorVersion is not 2, 3 or 4");
    }
    if (length < headerSize)
        return Refuse(problem, "RecordLength is shorter than the record's header");
    // A name lies behind the header, and NTFS names are at most 255 units: anything else
    // is damage, which a reader of the V2 answer could not take either.
    uint32_t nameLength = LoadU16(record + nameLengthAt);
    uint32_t nameOffset = LoadU16(record + nameOffsetAt);
    if (nameLength > MAX_FILE_NAME_LENGTH)
        return Refuse(problem, "FileNameLength is over 255 units");
    if (nameLength != 0 && nameOffset < headerSize)
        return Refuse(problem, "FileNameOffset points into the record's header");
    if (nameOffset + nameLength > length)
        return Refuse(problem, "the name runs past RecordLength");
    return length;
}

uint32_t ReplyRecordLength(const unsigned char* record, const ReadUsnJournalData& request)
{
    uint16_t major = MajorVersion(record);
    if (major == 4 && NewestVersion(request) < 4)
        return 0;
    uint32_t reason = ReasonAt(record, major);
    if ((request.ReasonMask != EVERY_REASON && (reason & request.ReasonMask) == 0) ||
        (request.ReturnOnlyOnClose != 0 && (reason & REASON_CLOSE) == 0))
        return 0;
    if (major <= NewestVersion(request))
        return LoadU32(record + offsetof(V2, RecordLength));
    // The high halves of the 128-bit ids.
    if (LoadU64(record + offsetof(V3, FileReferenceNumber) + FILE_ID_HIGH_HALF) != 0 ||
        LoadU64(record + offsetof(V3, ParentFileReferenceNumber) + FILE_ID_HIGH_HALF) != 0)
        return 0;
    return RoundUp8(V2_HEADER_SIZE + LoadU16(record + offsetof(V3, FileNameLength)));
}

void WriteReplyRecord(const unsigned char* record, const ReadUsnJournalData& request,
                      unsigned char* out, uint32_t replyLength)
{
    if (MajorVersion(record) <= NewestVersion(request)) {
        std::memcpy(out, record, replyLength);
        return;
    }
    uint32_t nameLength = LoadU16(record + offsetof(V3, FileNameLength));
    uint32_t nameOffset = LoadU16(record + offsetof(V3, FileNameOffset));
    StoreU32(out + offsetof(V2, RecordLength), replyLength);
    StoreU16(out + offsetof(V2, MajorVersion), 2);
    StoreU16(out + offsetof(V2, MinorVersion), 0);
    StoreU64(out + offsetof(V2, FileReferenceNumber), LoadU64(record + offsetof(V3, FileReferenceNumber)));
    StoreU64(out + offsetof(V2, ParentFileReferenceNumber),
             LoadU64(record + offsetof(V3, ParentFileReferenceNumber)));
    // Usn to FileAttributes: the same fields in the same order in both layouts.
    std::memcpy(out + offsetof(V2, Usn), record + offsetof(V3, Usn),
                offsetof(V2, FileNameLength) - offsetof(V2, Usn));
    StoreU16(out + offsetof(V2, FileNameLength), static_cast<uint16_t>(nameLength));
    StoreU16(out + offsetof(V2, FileNameOffset), V2_HEADER_SIZE);
    std::memcpy(out + V2_HEADER_SIZE, record + nameOffset, nameLength);
    std::memset(out + V2_HEADER_SIZE + nameLength, 0, replyLength - V2_HEADER_SIZE - nameLength);
}
