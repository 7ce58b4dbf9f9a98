// The USN journal as the platform declares it: the record layouts a read returns and $J
// stores (USN_RECORD_V2, V3 and V4), the query's answer and the read request. Each
// offset is written here once: the layouts are byte arrays read only through offsetof
// and the little-endian loads, never cast onto a buffer, which may be unaligned.
#pragma once

#include <cstddef>
#include <cstdint>

struct UsnRecordV2Layout {
    uint8_t RecordLength[4];               // 0x00
    uint8_t MajorVersion[2];               // 0x04
    uint8_t MinorVersion[2];               // 0x06
    uint8_t FileReferenceNumber[8];        // 0x08
    uint8_t ParentFileReferenceNumber[8];  // 0x10
    uint8_t Usn[8];                        // 0x18
    uint8_t TimeStamp[8];                  // 0x20, FILETIME
    uint8_t Reason[4];                     // 0x28
    uint8_t SourceInfo[4];                 // 0x2C
    uint8_t SecurityId[4];                 // 0x30
    uint8_t FileAttributes[4];             // 0x34
    uint8_t FileNameLength[2];             // 0x38, bytes
    uint8_t FileNameOffset[2];             // 0x3A, from the record's start
};
static_assert(sizeof(UsnRecordV2Layout) == 60, "a V2 record's name starts at 60");

// The same fields with 128-bit file ids.
struct UsnRecordV3Layout {
    uint8_t RecordLength[4];                // 0x00
    uint8_t MajorVersion[2];                // 0x04
    uint8_t MinorVersion[2];                // 0x06
    uint8_t FileReferenceNumber[16];        // 0x08
    uint8_t ParentFileReferenceNumber[16];  // 0x18
    uint8_t Usn[8];                         // 0x28
    uint8_t TimeStamp[8];                   // 0x30
    uint8_t Reason[4];                      // 0x38
    uint8_t SourceInfo[4];                  // 0x3C
    uint8_t SecurityId[4];                  // 0x40
    uint8_t FileAttributes[4];              // 0x44
    uint8_t FileNameLength[2];              // 0x48
    uint8_t FileNameOffset[2];              // 0x4A
};
static_assert(sizeof(UsnRecordV3Layout) == 76, "a V3 record's name starts at 76");

// Range tracking: which extents of a file changed. No name and no time stamp; $J always
// holds the V3 record of the same change after it.
struct UsnRecordV4Layout {
    uint8_t RecordLength[4];                // 0x00
    uint8_t MajorVersion[2];                // 0x04
    uint8_t MinorVersion[2];                // 0x06
    uint8_t FileReferenceNumber[16];        // 0x08
    uint8_t ParentFileReferenceNumber[16];  // 0x18
    uint8_t Usn[8];                         // 0x28
    uint8_t Reason[4];                      // 0x30
    uint8_t SourceInfo[4];                  // 0x34
    uint8_t RemainingExtents[4];            // 0x38
    uint8_t NumberOfExtents[2];             // 0x3C
    uint8_t ExtentSize[2];                  // 0x3E
};
static_assert(sizeof(UsnRecordV4Layout) == 64, "a V4 record's extents start at 64");

// A 128-bit file id (FILE_ID_128) is little-endian: its high half follows the low one.
// NTFS ids fit the low half; only ReFS needs the high one.
const uint32_t FILE_ID_HIGH_HALF = 8;

struct UsnRecordExtentLayout {
    uint8_t Offset[8];  // 0x00
    uint8_t Length[8];  // 0x08
};
static_assert(sizeof(UsnRecordExtentLayout) == 16, "USN_RECORD_EXTENT is 16 bytes");

// sizeof(USN_RECORD_V2) as the platform declares it, with its FileName[1] member and the
// padding after it: the least a reader may find where a record starts.
const uint32_t USN_RECORD_V2_SIZE = 64;
// sizeof(USN_RECORD_V3), likewise.
const uint32_t USN_RECORD_V3_SIZE = 80;

// NTFS names are at most 255 UTF-16 units.
const uint32_t MAX_FILE_NAME_LENGTH = 510;

// Records are 8-byte aligned and never cross a page of $J; the rest of a page after its
// last record is zeros.
const uint32_t JOURNAL_PAGE_SIZE = 4096;

// A file reference number: the MFT record number in the low 48 bits, the record's
// sequence number in the high 16.
const uint64_t FILE_REFERENCE_RECORD_MASK = 0x0000FFFFFFFFFFFF;
const int FILE_REFERENCE_SEQUENCE_SHIFT = 48;

const uint32_t REASON_CLOSE = 0x80000000;

// USN_JOURNAL_DATA_V0: the answer to FSCTL_QUERY_USN_JOURNAL.
struct UsnJournalData {
    uint64_t UsnJournalID;
    int64_t FirstUsn;
    int64_t NextUsn;
    int64_t LowestValidUsn;
    int64_t MaxUsn;
    uint64_t MaximumSize;
    uint64_t AllocationDelta;
};

// READ_USN_JOURNAL_DATA_V0, the request of FSCTL_READ_USN_JOURNAL, and the version range
// that READ_USN_JOURNAL_DATA_V1 adds. A MaxMajorVersion below 3 (0 included) asks as a
// version-0 request does: every record comes back as a USN_RECORD_V2.
struct ReadUsnJournalData {
    int64_t StartUsn;
    uint32_t ReasonMask;
    uint32_t ReturnOnlyOnClose;
    uint64_t Timeout;
    uint64_t BytesToWaitFor;
    uint64_t UsnJournalID;
    uint16_t MinMajorVersion;
    uint16_t MaxMajorVersion;
};

// The mask that asks for every record, whatever its reasons.
const uint32_t EVERY_REASON = 0xFFFFFFFF;

// The answer to a read: the next USN, then whole records.
const uint32_t NEXT_USN_SIZE = 8;
