// Exported $J files: the stream copied out of a volume into a file of its own, in which a
// byte's offset is its USN. The read rules are those of $J on a volume (journal_test.cpp
// runs its record cases on both); these cases are about what only a file brings: its
// head, its end, and files that are no journal at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/little_endian.h"
#include "test_journal.h"

namespace {

const uint64_t KIB = 1024;
const uint64_t MIB = 1024 * KIB;

struct FileShape {
    const char* name;
    uint64_t head;   // bytes before the first record
    HeadKind kind;
    uint64_t gap;    // stored zeros after the fourth page of records
    uint64_t tail;   // stored zeros after the last record
};

const FileShape SHAPES[] = {
    {"head stripped: the first record at offset 0", 0, HEAD_HOLE, 0, 0},
    {"64 KiB hole", 64 * KIB, HEAD_HOLE, 0, 0},
    {"30 GB hole", uint64_t(30) << 30, HEAD_HOLE, 0, 0},
    {"1 MiB of stored zeros", MIB, HEAD_STORED_ZEROS, 0, 0},
    {"stored zeros over several windows, ending inside one", 3 * MIB + 12 * KIB, HEAD_STORED_ZEROS, 0, 0},
    {"stored zero pages between the records", 64 * KIB, HEAD_HOLE, MIB + 8 * KIB, 0},
    {"stored zeros after the last record", 0, HEAD_HOLE, 0, 2 * MIB + 4 * KIB},
};

class FileShapeTest : public testing::TestWithParam<FileShape> {};

TEST_P(FileShapeTest, ReadsEveryRecordFromTheFirst)
{
    const FileShape& shape = GetParam();
    Bytes expected;
    Bytes journal = PagedJournal(shape.head, &expected);
    Bytes stored(journal.begin(), journal.begin() + 4 * 4096);
    stored.resize(stored.size() + shape.gap, 0);
    stored.insert(stored.end(), journal.begin() + 4 * 4096, journal.end());
    stored.resize(stored.size() + shape.tail, 0);
    TestJournal opened;
    ASSERT_EQ(OpenExported(stored, shape.head, shape.kind, &opened), 0u);

    UsnJournalData data;
    QueryUsnJrnl(opened.journal, &data);
    EXPECT_EQ(data.UsnJournalID, 0u);
    EXPECT_EQ(data.FirstUsn, int64_t(shape.head));
    EXPECT_EQ(data.NextUsn, int64_t(shape.head + stored.size()));
    EXPECT_EQ(data.LowestValidUsn, 0);
    EXPECT_EQ(data.MaxUsn, 0x7FFFFFFFFFFF0000);

    for (int64_t start : {int64_t(0), data.FirstUsn}) {
        ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal, start));
        EXPECT_EQ(result.status, 0u) << start;
        EXPECT_EQ(result.records, expected) << start;
        EXPECT_EQ(result.nextUsn, data.NextUsn) << start;
    }
}

INSTANTIATE_TEST_SUITE_P(Heads, FileShapeTest, testing::ValuesIn(SHAPES),
                         [](const testing::TestParamInfo<FileShape>& info) {
                             return TestName(info.param.name);
                         });

// A copy cut short: the whole records before the cut come back, and the journal ends
// at the file's end.
TEST(JournalFile, CutShortReturnsTheWholeRecordsBeforeTheCut)
{
    Bytes all;
    Bytes journal = PagedJournal(0, &all);
    uint32_t firstLength = LoadU32(journal.data());
    for (size_t cut : {size_t(firstLength) + 4, size_t(firstLength) + 40, size_t(3 * 4096 + 100),
                       journal.size() - 4096 - 1}) {
        Bytes stored(journal.begin(), journal.begin() + cut);
        TestJournal opened;
        ASSERT_EQ(OpenExported(stored, 0, HEAD_HOLE, &opened), 0u) << cut;
        ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal));
        EXPECT_EQ(result.status, 0u) << cut;
        EXPECT_EQ(result.records, StoredRecords(journal, cut)) << cut;
        EXPECT_EQ(result.nextUsn, int64_t(cut)) << cut;
    }
}

Bytes OneRecord(int64_t recordLength)
{
    UsnFields fields;
    fields.recordLength = recordLength;
    return EncodeUsnRecord(fields);
}

Bytes FirstBytes(Bytes bytes, size_t count)
{
    bytes.resize(count);
    return bytes;
}

Bytes Random(size_t size)
{
    Bytes bytes(size);
    uint32_t state = 0x12345678;
    for (unsigned char& byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

struct NotJournal {
    const char* name;
    Bytes stored;
    uint64_t head;
    HeadKind kind;
};

const NotJournal NOT_JOURNALS[] = {
    {"an empty file", {}, 0, HEAD_HOLE},
    {"a hole only", {}, MIB, HEAD_HOLE},
    {"stored zeros only", {}, MIB + 4, HEAD_STORED_ZEROS},
    {"random bytes", Random(64 * KIB), 0, HEAD_HOLE},
    {"text", Bytes({'n', 'o', 't', 'e', 's', ':', ' ', 'n', 'o', 't', 'h', 'i', 'n', 'g', '\n'}), 0, HEAD_HOLE},
    {"a first record whose RecordLength is not a multiple of 8", OneRecord(0x4C), 64 * KIB, HEAD_HOLE},
    {"a first record that claims more than the file holds", OneRecord(0x200), 0, HEAD_HOLE},
    {"a first record cut short", FirstBytes(OneRecord(-1), 40), 4096,
     HEAD_STORED_ZEROS},
    {"seven bytes after a head of zeros", Bytes(7, 0xFF), 4096, HEAD_STORED_ZEROS},
};

TEST(JournalFile, FilesThatAreNoJournalKeepTheNotNtfsAnswer)
{
    for (const NotJournal& c : NOT_JOURNALS) {
        TestJournal opened;
        EXPECT_EQ(OpenExported(c.stored, c.head, c.kind, &opened), WIN_ERROR_INVALID_FUNCTION) << c.name;
        EXPECT_EQ(opened.journal, nullptr) << c.name;
    }
}

// A pipe holds no offsets: only sources read at any offset are taken as a journal.
TEST(JournalFile, PipeIsNoJournalFile)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    Bytes record = OneRecord(-1);
    ASSERT_EQ(write(ends[1], record.data(), record.size()), ssize_t(record.size()));
    UsnJrnl* journal = nullptr;
    EXPECT_EQ(OpenJournalFile(MakeByteSource(ends[0]), &journal), WIN_ERROR_INVALID_FUNCTION);
    EXPECT_EQ(journal, nullptr);
    close(ends[0]);
    close(ends[1]);
}

}  // namespace
