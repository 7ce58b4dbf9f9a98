// Stored USN records: which are well formed, which a read returns, and how V3 records are
// returned as V2.
#include <gtest/gtest.h>

#include "base/little_endian.h"
#include "journal/stored_record.h"
#include "usn_encoder.h"

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
        Bytes stored = EncodeUsnRecord(shape);
        ReadUsnJournalData request{0, EVERY_REASON, 0, 0, 0, 0, 0, 0};
        uint32_t length = ReplyRecordLength(stored.data(), request);
        Bytes expected = EncodeUsnRecordV2(shape);
        ASSERT_EQ(length, expected.size()) << name.size();
        Bytes reply(length, 0xCC);
        WriteReplyRecord(stored.data(), request, reply.data(), length);
        EXPECT_EQ(reply, expected) << name.size();
        EXPECT_EQ(LoadU32(reply.data()) % 8, 0u);
    }
}

struct ReplyCase {
    const char* name;
    int version;
    uint32_t reason;
    uint64_t frnHigh;
    uint32_t reasonMask;
    uint32_t onlyOnClose;
    uint16_t maxVersion;
    int returnedAs;  // the version the answer holds it in; 0: left out
};

const ReplyCase REPLY_CASES[] = {
    {"V2 for every reason", 2, 0x100, 0, EVERY_REASON, 0, 0, 2},
    {"Reason 0 for every reason", 2, 0, 0, EVERY_REASON, 0, 0, 2},
    {"Reason 0 for a narrower mask", 2, 0, 0, 0x7FFFFFFF, 0, 0, 0},
    {"a reason in the mask", 2, 0x300, 0, 0x200, 0, 0, 2},
    {"no reason in the mask", 2, 0x100, 0, 0x200, 0, 0, 0},
    {"close only, with the close reason", 2, 0x80000100, 0, EVERY_REASON, 1, 0, 2},
    {"close only, without it", 2, 0x100, 0, EVERY_REASON, 1, 0, 0},
    {"V3 for a version-0 read", 3, 0x100, 0, EVERY_REASON, 0, 0, 2},
    {"V3 whose id needs 128 bits, for a version-0 read", 3, 0x100, 1, EVERY_REASON, 0, 2, 0},
    {"V3 when V3 is asked for", 3, 0x100, 0, EVERY_REASON, 0, 3, 3},
    {"V3 whose id needs 128 bits when V3 is asked for", 3, 0x100, 1, EVERY_REASON, 0, 3, 3},
    {"V4 when V3 is asked for", 4, 0x1, 0, EVERY_REASON, 0, 3, 0},
    {"V4 when V4 is asked for", 4, 0x1, 0, EVERY_REASON, 0, 4, 4},
    {"V4 outside the mask when V4 is asked for", 4, 0x1, 0, 0x2, 0, 4, 0},
};

TEST(UsnRecord, ReadAnswers)
{
    for (const ReplyCase& c : REPLY_CASES) {
        UsnFields shape;
        shape.version = c.version;
        shape.reason = c.reason;
        shape.frnHigh = c.frnHigh;
        Bytes stored = EncodeUsnRecord(shape);
        ReadUsnJournalData request{0, c.reasonMask, c.onlyOnClose, 0, 0, 0, 2, c.maxVersion};
        uint32_t length = ReplyRecordLength(stored.data(), request);
        if (c.returnedAs == 0) {
            EXPECT_EQ(length, 0u) << c.name;
            continue;
        }
        Bytes expected = c.returnedAs == c.version ? stored : EncodeUsnRecordV2(shape);
        ASSERT_EQ(length, expected.size()) << c.name;
        Bytes reply(length, 0xCC);
        WriteReplyRecord(stored.data(), request, reply.data(), length);
        EXPECT_EQ(reply, expected) << c.name;
    }
}

struct StoredCase {
    const char* name;
    void (*damage)(Bytes& record);
    uint64_t available;  // 0: the record's own length
    bool wellFormed;
};

// The cases change a 80-byte V2 record named "abcdefghij".
const StoredCase STORED_CASES[] = {
    {"as built", [](Bytes&) {}, 0, true},
    {"room to spare", [](Bytes&) {}, 4096, true},
    {"zero length", [](Bytes& r) { Put32(r, 0, 0); }, 0, false},
    {"length not a multiple of 8", [](Bytes& r) { Put32(r, 0, 84); }, 4096, false},
    {"length beyond what is left", [](Bytes& r) { Put32(r, 0, 88); }, 80, false},
    {"fewer than 8 bytes left", [](Bytes&) {}, 4, false},
    {"below the header", [](Bytes& r) { Put32(r, 0, 56); }, 4096, false},
    {"major version 1", [](Bytes& r) { Put16(r, 4, 1); }, 0, false},
    {"major version 5", [](Bytes& r) { Put16(r, 4, 5); }, 0, false},
    {"name length past the record", [](Bytes& r) { Put16(r, 56, 22); }, 0, false},
    {"name offset past the record", [](Bytes& r) { Put16(r, 58, 70); }, 0, false},
    {"name inside the header", [](Bytes& r) { Put16(r, 58, 40); }, 0, false},
    {"empty name at the very end", [](Bytes& r) { Put16(r, 56, 0); Put16(r, 58, 80); }, 0, true},
};

TEST(UsnRecord, StoredRecordChecks)
{
    for (const StoredCase& c : STORED_CASES) {
        UsnFields shape;
        shape.name = u"abcdefghij";
        Bytes record = EncodeUsnRecord(shape);
        record.resize(4096, 0);
        c.damage(record);
        uint64_t available = c.available != 0 ? c.available : 80;
        EXPECT_EQ(StoredUsnRecordLength(record.data(), available) != 0, c.wellFormed) << c.name;
    }
}

TEST(UsnRecord, NamesLongerThanNtfsAllowsAreDamage)
{
    for (uint32_t units : {255u, 256u}) {
        UsnFields shape;
        shape.name = std::u16string(units, u'n');
        Bytes record = EncodeUsnRecord(shape);
        EXPECT_EQ(StoredUsnRecordLength(record.data(), record.size()) != 0, units == 255) << units;
    }
}

}  // namespace
