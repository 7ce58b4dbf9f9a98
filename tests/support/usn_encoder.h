// USN records built byte by byte as Windows lays them out (USN_RECORD_V2, V3 and V4),
// and $J streams made of them. The offsets are written here from the platform's
// documentation, not taken from the program: this is what the program is checked against.
#pragma once

#include <cstdint>
#include <string>

#include "bytes.h"

struct UsnFields {
    uint64_t frn = 0x0001000000000040;
    uint64_t parent = 0x0005000000000005;
    uint32_t reason = 0x00000100;
    std::u16string name = u"file.txt";
    // Stored instead of the true values when not -1: damaged records.
    int64_t recordLength = -1;
    int32_t fileNameLength = -1;
    int32_t fileNameOffset = -1;
    int version = 2;
    int64_t usn = 0;
    int64_t timeStamp = 0x01D6627EBC0BD708;  // FILETIME
    uint64_t frnHigh = 0;  // V3 and V4: the upper 64 bits of the 128-bit ids
    uint64_t parentHigh = 0;
    uint32_t sourceInfo = 0;
    uint32_t securityId = 0;
    uint32_t attributes = 0x20;
    uint16_t extents = 1;  // V4: extents that follow the header
};

// The record, its length rounded up to 8 (V4: its extents instead of a name).
Bytes EncodeUsnRecord(const UsnFields& fields);
// The same record as a version-0 read returns it (V2).
Bytes EncodeUsnRecordV2(const UsnFields& fields);

const uint32_t TEST_USN_PAGE_SIZE = 4096;

// Appends the record to $J's stored bytes the way Windows writes it: it starts a new
// page when it would cross one, and its Usn field is where it lands (`base` is the USN
// of the stream's first byte).
void AddRecord(Bytes& journal, UsnFields fields, uint64_t base = 0);
// Zero padding to the next page.
void PadPage(Bytes& journal);

// A filled USN buffer: the next USN, then the records.
Bytes UsnBuffer(int64_t nextUsn, const std::vector<Bytes>& records);
