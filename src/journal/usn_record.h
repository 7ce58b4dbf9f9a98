// Every field of a USN_RECORD_V2 or V3, decoded, for the timeline formats.
#pragma once

#include <cstdint>

struct UsnRecord {
    uint32_t RecordLength;
    uint16_t MajorVersion;
    uint16_t MinorVersion;
    // The 64-bit file reference numbers; a V3 record's 128-bit ids add the high halves
    // (0 in a V2 record and on NTFS).
    uint64_t FileReferenceNumber;
    uint64_t FileReferenceNumberHigh;
    uint64_t ParentFileReferenceNumber;
    uint64_t ParentFileReferenceNumberHigh;
    int64_t Usn;
    uint64_t TimeStamp;  // FILETIME
    uint32_t Reason;
    uint32_t SourceInfo;
    uint32_t SecurityId;
    uint32_t FileAttributes;
    const unsigned char* FileName;  // UTF-16, little-endian, inside the record's buffer
    uint32_t FileNameUnits;         // whole units: an odd last byte is left out
    // Not in the record: the path of the folder that held the file when the record was
    // written (UTF-16LE), when the journal is read with paths; else nullptr.
    const unsigned char* ParentPath;
    uint32_t ParentPathUnits;
};

// Where the walker finds what it checks before it reads a record: the least bytes a
// record takes and the offsets of the fields that say where it and its name end.
struct UsnRecordShape {
    uint32_t minimumLength;
    uint32_t fileReferenceNumber;
    uint32_t fileNameLength;
    uint32_t fileNameOffset;
    bool wideIds;  // 128-bit file ids
};

extern const UsnRecordShape USN_RECORD_V2_SHAPE;
extern const UsnRecordShape USN_RECORD_V3_SHAPE;

// The record versions the timeline formats read. V4 range records hold no name and no
// time, and $J keeps the V3 record of the same change beside each of them.
const uint16_t TIMELINE_MIN_VERSION = 2;
const uint16_t TIMELINE_MAX_VERSION = 3;

// The shape of a record of that MajorVersion with a name (2 or 3), or nullptr.
const UsnRecordShape* UsnRecordShapeOf(uint16_t majorVersion);

// Decodes a record of that shape whose name the walker has checked to lie in the data.
void DecodeUsnRecord(const unsigned char* record, const UsnRecordShape& shape, UsnRecord* fields);
