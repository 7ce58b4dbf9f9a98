// Stored USN records: which are well formed, and how V3 records are returned as V2.
#include <gtest/gtest.h>

#include "journal/little_endian.h"
#include "ntfs/stored_usn_record.h"
#include "ntfs_bytes.h"

namespace {

TEST(UsnRecord, V3BecomesV2)
{
    for (const std::u16string& name : {std::u16string(), std::u16string(u"a"), std::u16string(u"ab"),
                                       std::u16string(u"abc"), std::u16string(255, u'n')}) {
        UsnFields shape;
        shape.version = 3;
        shape.name = name;
        shape.usn = 0x12340;
        shape.reason = 0x80000102;
        Bytes stored = UsnRecord(shape);
        ReadUsnJournalData request{0, 0xFFFFFFFF, 0, 0, 0, 0};
        uint32_t length = ReplyRecordLength(stored.data(), request);
        Bytes expected = UsnRecordV2(shape);
        ASSERT_EQ(length, expected.size()) << name.size();
        Bytes reply(length, 0xCC);
        WriteReplyRecord(stored.data(), reply.data(), length);
        EXPECT_EQ(reply, expected) << name.size();
        EXPECT_EQ(LoadU32(reply.data()) % 8, 0u);
    }
}

struct StoredCase {
    const char* name;
    uint32_t at;
    uint32_t value;
    uint32_t width;
    uint64_t available;  // 0: the record's own length
    bool wellFormed;
};

const StoredCase STORED_CASES[] = {
    {"as built", 0, 0, 0, 0, true},
    {"room to spare", 0, 0, 0, 4096, true},
    {"zero length", 0, 0, 32, 0, false},
    {"length not a multiple of 8", 0, 84, 32, 4096, false},
    {"length beyond what is left", 0, 88, 32, 80, false},
    {"fewer than 8 bytes left", 0, 0, 0, 4, false},
    {"below the header", 0, 56, 32, 4096, false},
    {"major version 1", 4, 1, 16, 0, false},
    {"major version 5", 4, 5, 16, 0, false},
    {"name length past the record", 56, 22, 16, 0, false},
    {"name offset past the record", 58, 70, 16, 0, false},
    {"name inside the header", 58, 40, 16, 0, false},
    {"empty name at the very end", 56, 0, 16, 0, true},
};

TEST(UsnRecord, StoredRecordChecks)
{
    for (const StoredCase& c : STORED_CASES) {
        UsnFields shape;
        shape.name = u"abcdefghij";  // a 80-byte V2 record
        Bytes record = UsnRecord(shape);
        record.resize(4096, 0);
        if (c.width == 32)
            Put32(record, c.at, c.value);
        else if (c.width == 16)
            Put16(record, c.at, static_cast<uint16_t>(c.value));
        if (c.name == std::string("empty name at the very end"))
            Put16(record, 58, 80);
        uint64_t available = c.available != 0 ? c.available : 80;
        EXPECT_EQ(StoredUsnRecordLength(record.data(), available) != 0, c.wellFormed) << c.name;
    }
}

TEST(UsnRecord, NamesLongerThanNtfsAllowsAreDamage)
{
    for (uint32_t units : {255u, 256u}) {
        UsnFields shape;
        shape.name = std::u16string(units, u'n');
        Bytes record = UsnRecord(shape);
        EXPECT_EQ(StoredUsnRecordLength(record.data(), record.size()) != 0, units == 255) << units;
    }
}

}  // namespace
