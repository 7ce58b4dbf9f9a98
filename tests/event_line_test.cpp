// The event line: reason names, the parent FRN and the name as narrow text.
#include <gtest/gtest.h>

#include "journal/event_line.h"
#include "test_support.h"

namespace {

struct LineCase {
    const char* what;
    uint32_t reason;
    uint64_t parent;
    std::vector<uint16_t> name;
    int fileNameLength;  // -1: the whole name
    std::string expected;
};

std::vector<uint16_t> Units(const char* text)
{
    return std::vector<uint16_t>(text, text + std::strlen(text));
}

class EventLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(EventLineTest, WritesOneLine)
{
    const LineCase& c = GetParam();
    UsnFields record = {0x0001000000000040, c.parent, c.reason,
                        std::u16string(c.name.begin(), c.name.end())};
    record.fileNameLength = c.fileNameLength;
    Bytes bytes = EncodeUsnRecord(record);
    CaptureOutput();
    PrintRecord(bytes.data());
    EXPECT_EQ(TakeOutput(), c.expected) << c.what;
}

const uint64_t ROOT = 0x0005000000000005;

INSTANTIATE_TEST_SUITE_P(Lines, EventLineTest, testing::Values(
    LineCase{"one reason", 0x100, ROOT, Units("notes.txt"), -1,
             "FILE_CREATE 0x0005000000000005 notes.txt\n"},
    LineCase{"first and last names of the table", 0x80000001, ROOT, Units("a"), -1,
             "DATA_OVERWRITE|CLOSE 0x0005000000000005 a\n"},
    LineCase{"no reason", 0, ROOT, Units("a"), -1, " 0x0005000000000005 a\n"},
    LineCase{"only bits without a name", 0x7FC00088, ROOT, Units("a"), -1,
             " 0x0005000000000005 a\n"},
    LineCase{"every named bit, in table order", 0xFFFFFFFF, ROOT, Units("a"), -1,
             "DATA_OVERWRITE|DATA_EXTEND|DATA_TRUNCATION|NAMED_DATA_OVERWRITE|"
             "NAMED_DATA_EXTEND|NAMED_DATA_TRUNCATION|FILE_CREATE|FILE_DELETE|EA_CHANGE|"
             "SECURITY_CHANGE|RENAME_OLD_NAME|RENAME_NEW_NAME|INDEXABLE_CHANGE|"
             "BASIC_INFO_CHANGE|HARD_LINK_CHANGE|COMPRESSION_CHANGE|ENCRYPTION_CHANGE|"
             "OBJECT_ID_CHANGE|REPARSE_POINT_CHANGE|STREAM_CHANGE|CLOSE 0x0005000000000005 a\n"},
    LineCase{"middle bits", 0x00082200, ROOT, Units("a"), -1,
             "FILE_DELETE|RENAME_NEW_NAME|OBJECT_ID_CHANGE 0x0005000000000005 a\n"},
    LineCase{"an empty name", 0x100, ROOT, {}, -1, "FILE_CREATE 0x0005000000000005 \n"},
    LineCase{"parent 0", 0x100, 0, Units("a"), -1, "FILE_CREATE 0x0000000000000000 a\n"},
    LineCase{"lowercase hex, all digits", 0x100, 0xFEDCBA9876543210, Units("a"), -1,
             "FILE_CREATE 0xfedcba9876543210 a\n"},
    LineCase{"units 128 to 255 as single bytes", 0x100, ROOT, {'c', 'a', 'f', 0xE9, 0x80, 0xFF},
             -1, "FILE_CREATE 0x0005000000000005 caf\xE9\x80\xFF\n"},
    LineCase{"control units below 32 are bytes too", 0x100, ROOT, {'a', 0x01, 0x1F, 'b'}, -1,
             "FILE_CREATE 0x0005000000000005 a\x01\x1F" "b\n"},
    LineCase{"wide units become '?' and the rest follows", 0x100, ROOT,
             {'a', 0x4E2D, 0x100, 'b', 0xD83D, 0xDE00, 'c'}, -1,
             "FILE_CREATE 0x0005000000000005 a??b??c\n"},
    LineCase{"an odd FileNameLength drops the last byte", 0x100, ROOT, Units("abc"), 5,
             "FILE_CREATE 0x0005000000000005 ab\n"},
    LineCase{"FileNameLength 1 is an empty name", 0x100, ROOT, Units("abc"), 1,
             "FILE_CREATE 0x0005000000000005 \n"},
    LineCase{"the name ends at a zero unit", 0x100, ROOT, {'a', 'b', 0, 'c'}, -1,
             "FILE_CREATE 0x0005000000000005 ab\n"}));

TEST(EventLine, NamesNeedNoAlignment)
{
    // Records inside a read buffer are 8-byte aligned, but nothing here may rely on it.
    Bytes bytes = EncodeUsnRecord({5, ROOT, 0x2, u"zzz"});
    bytes.insert(bytes.begin(), 0);
    CaptureOutput();
    PrintRecord(bytes.data() + 1);
    EXPECT_EQ(TakeOutput(), "DATA_EXTEND 0x0005000000000005 zzz\n");
}

}  // namespace
