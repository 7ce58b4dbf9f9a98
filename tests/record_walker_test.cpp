// The walker over hand-made buffers: which records it prints, and where it gives up.
#include <gtest/gtest.h>

#include "journal/record_walker.h"
#include "test_support.h"

namespace {

const uint64_t ROOT = 0x0005000000000005;
const uint32_t FILE_CREATE = 0x100;

Bytes Record(uint64_t frn, const char16_t* name)
{
    return EncodeUsnRecord({frn, ROOT, FILE_CREATE, name});
}

Bytes RecordWith(uint64_t frn, int64_t recordLength, int fileNameLength, int fileNameOffset)
{
    return EncodeUsnRecord({frn, ROOT, FILE_CREATE, u"xxxx", recordLength, fileNameLength, fileNameOffset});
}

std::string Line(const char* name)
{
    return std::string("FILE_CREATE 0x0005000000000005 ") + name + "\n";
}

struct WalkCase {
    const char* what;
    Bytes data;
    uint64_t target;
    std::string expected;
    uint32_t remaining = 0;  // 0: all of data
};

class WalkTest : public testing::TestWithParam<WalkCase> {};

TEST_P(WalkTest, PrintsWhatTheBufferHolds)
{
    const WalkCase& c = GetParam();
    CaptureOutput();
    DumpRecords(c.data.data(), c.remaining ? c.remaining : static_cast<uint32_t>(c.data.size()),
                c.target);
    EXPECT_EQ(TakeOutput(), c.expected) << c.what;
}

const uint64_t A = 0x0001000000000040;
const uint64_t B = 0x0001000000000041;

std::string Name255()
{
    return std::string(255, 'n');
}

Bytes Record255(int fileNameLength)
{
    UsnFields record = {A, ROOT, FILE_CREATE, std::u16string(256, u'n')};
    record.fileNameLength = fileNameLength;
    return EncodeUsnRecord(record);
}

INSTANTIATE_TEST_SUITE_P(Buffers, WalkTest, testing::Values(
    WalkCase{"records that fill the data exactly",
             Concat({Record(A, u"a.txt"), Record(B, u"b.txt")}), 0,
             Line("a.txt") + Line("b.txt")},
    WalkCase{"ten bytes after the last whole record",
             Concat({Record(A, u"a.txt"), Bytes(10, 0)}), 0,
             Line("a.txt") + "bad record length 10 < 64.\n"},
    WalkCase{"a first record shorter than a record",
             Record(A, u"a.txt"), 0, "bad record length 40 < 64.\n", 40},
    WalkCase{"FileNameLength 510 is the longest name",
             Record255(510), 0, Line(Name255().c_str())},
    WalkCase{"FileNameLength 511 stops the walk",
             Concat({Record255(511), Record(B, u"b.txt")}), 0, "bad FileNameLength 511\n"},
    WalkCase{"FileNameLength 511 stops it for a record of another file too",
             Concat({Record(B, u"b.txt"), Record255(511), Record(B, u"b.txt")}), B,
             Line("b.txt") + "bad FileNameLength 511\n"},
    WalkCase{"a matching record running past the data is printed first",
             Concat({Record(B, u"b.txt"), RecordWith(A, 4096, 8, 60)}), 0,
             Line("b.txt") + Line("xxxx") + "bad RecordLength 4096\n"},
    WalkCase{"a record of another file running past the data",
             RecordWith(A, 4096, 8, 60), B, "bad RecordLength 4096\n"},
    WalkCase{"records of other files print nothing",
             Concat({Record(A, u"a.txt"), Record(B, u"b.txt"), Record(A, u"c.txt")}), B,
             Line("b.txt")},
    // A RecordLength of 0 would visit the same record for ever.
    WalkCase{"RecordLength 0 ends the walk",
             Concat({RecordWith(A, 0, 8, 60), Record(B, u"b.txt")}), 0,
             Line("xxxx") + "bad RecordLength 0\n"},
    WalkCase{"RecordLength below a record's size ends the walk",
             Concat({RecordWith(A, 8, 8, 60), Record(B, u"b.txt")}), 0,
             Line("xxxx") + "bad RecordLength 8\n"},
    WalkCase{"a name beyond the data is never read",
             Concat({Record(B, u"b.txt"), RecordWith(A, 72, 8, 0xFFF0), Record(B, u"b.txt")}), 0,
             Line("b.txt") + "bad FileNameOffset 65520\n"},
    WalkCase{"a name beyond the data in a record of another file is passed over",
             Concat({Record(B, u"b.txt"), RecordWith(A, 72, 8, 0xFFF0), Record(B, u"c.txt")}), B,
             Line("b.txt") + Line("c.txt")},
    WalkCase{"a name ending one byte beyond the data",
             RecordWith(A, 72, 8, 65), 0, "bad FileNameOffset 65\n"},
    WalkCase{"a name ending exactly at the end of the data",
             RecordWith(A, 72, 8, 64), 0, Line("xx")},
    WalkCase{"an empty name may point anywhere",
             RecordWith(A, 72, 0, 0xFFFF), 0, Line("")}));

struct MatchCase {
    uint64_t recordFrn;
    uint64_t target;
    bool matches;
};

class MatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchTest, SelectsByRecordNumberOrWholeFrn)
{
    const MatchCase& c = GetParam();
    EXPECT_EQ(MatchesTarget(c.recordFrn, c.target), c.matches)
        << std::hex << c.recordFrn << " target " << c.target;
}

const uint64_t BIG = (uint64_t(1) << 32) + 5;

INSTANTIATE_TEST_SUITE_P(Targets, MatchTest, testing::Values(
    MatchCase{0x0005000000000005, 0, true},
    MatchCase{0, 0, true},
    MatchCase{0x0005000000000005, 5, true},
    MatchCase{0x0006000000000005, 5, true},
    MatchCase{0x0005000000000006, 5, false},
    MatchCase{0x0005000000000005, 0x0005000000000005, true},
    MatchCase{0x0006000000000005, 0x0005000000000005, false},
    MatchCase{0x0007000000000000 | BIG, BIG, true},
    MatchCase{0x0007000000000005, BIG, false},
    MatchCase{0xFFFFFFFFFFFFFFFF, 0x0000FFFFFFFFFFFF, true},
    MatchCase{0x0000FFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, false},
    MatchCase{0x0001000000000000, 0x0001000000000000, true}));

}  // namespace
