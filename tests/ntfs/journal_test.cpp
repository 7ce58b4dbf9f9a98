// The reader end to end on volumes built by the tests: the shapes in which NTFS may hold
// $UsnJrnl, and the answers to queries and version-0 reads.
#include <gtest/gtest.h>

#include "base/little_endian.h"
#include "ntfs/ntfs_types.h"
#include "test_journal.h"

namespace {

struct ShapeCase {
    const char* name;
    void (*shape)(VolumeShape& shape);
};

const ShapeCase SHAPES[] = {
    {"plain", [](VolumeShape&) {}},
    {"512-byte clusters", [](VolumeShape& s) { s.clusterSize = 512; }},
    {"16 KiB clusters", [](VolumeShape& s) { s.clusterSize = 16384; }},
    {"4 KiB MFT records", [](VolumeShape& s) { s.recordSize = 4096; }},
    {"$Max before $J", [](VolumeShape& s) { s.maxFirst = true; }},
    {"fragmented $MFT", [](VolumeShape& s) { s.mftSplit = true; }},
    {"$MFT runlist continued through its attribute list",
     [](VolumeShape& s) { s.mftSplit = true; s.mftAttributeList = true; }},
    {"$UsnJrnl in an INDX block", [](VolumeShape& s) { s.indexAllocation = true; }},
    {"$UsnJrnl in an INDX block, 512-byte clusters",
     [](VolumeShape& s) { s.indexAllocation = true; s.clusterSize = 512; }},
    {"fragmented $J", [](VolumeShape& s) { s.fragments = 8; }},
    {"$J in three segments", [](VolumeShape& s) { s.fragments = 8; s.segments = 3; }},
    {"$J segments through a non-resident list",
     [](VolumeShape& s) { s.fragments = 8; s.segments = 3; s.listNonResident = true; }},
    {"$J segments listed out of order",
     [](VolumeShape& s) { s.fragments = 8; s.segments = 4; s.listReversed = true; }},
    {"sparse head", [](VolumeShape& s) { s.sparseHead = 1 << 20; s.fragments = 3; }},
    {"sparse head in its own segment",
     [](VolumeShape& s) { s.sparseHead = 1 << 20; s.fragments = 3; s.segments = 4; }},
};

class ShapeTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTest, ReadsTheWholeJournal)
{
    VolumeShape shape;
    GetParam().shape(shape);
    Bytes expected;
    shape.journal = PagedJournal(shape.sparseHead, &expected);
    TestJournal opened;
    ASSERT_EQ(OpenShape(shape, &opened), 0u);

    UsnJournalData data;
    QueryUsnJrnl(opened.journal, &data);
    EXPECT_EQ(data.UsnJournalID, shape.UsnJournalID);
    EXPECT_EQ(data.FirstUsn, int64_t(shape.sparseHead));
    EXPECT_EQ(data.NextUsn, int64_t(shape.sparseHead + shape.journal.size()));
    EXPECT_EQ(data.MaxUsn, 0x7FFFFFFFFFFF0000);
    EXPECT_EQ(data.MaximumSize, shape.MaximumSize);
    EXPECT_EQ(data.AllocationDelta, shape.AllocationDelta);
    EXPECT_EQ(data.LowestValidUsn, shape.LowestValidUsn);

    ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal, data.FirstUsn));
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.records, expected);
    EXPECT_EQ(result.nextUsn, data.NextUsn);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ShapeTest, testing::ValuesIn(SHAPES),
                         [](const testing::TestParamInfo<ShapeCase>& info) {
                             return TestName(info.param.name);
                         });

struct RefusalCase {
    const char* name;
    void (*shape)(VolumeShape& shape);
    uint32_t status;
};

const RefusalCase REFUSALS[] = {
    {"no $UsnJrnl in $Extend", [](VolumeShape& s) { s.hasJournal = false; }, WIN_ERROR_JOURNAL_NOT_ACTIVE},
    {"journal deletion under way", [](VolumeShape& s) { s.volumeFlags = 0x0010; }, WIN_ERROR_JOURNAL_DELETE_IN_PROGRESS},
    {"journal deletion cut short", [](VolumeShape& s) { s.volumeFlags = 0x0011; s.hasJournal = false; },
     WIN_ERROR_JOURNAL_DELETE_IN_PROGRESS},
    {"compressed $J", [](VolumeShape& s) { s.jFlags = 0x0001; }, WIN_ERROR_FILE_CORRUPT},
    {"encrypted $J", [](VolumeShape& s) { s.jFlags = 0x4000; }, WIN_ERROR_FILE_CORRUPT},
    {"initialized size above the data size", [](VolumeShape& s) { s.initializedSize = s.dataSize + 8; },
     WIN_ERROR_FILE_CORRUPT},
    {"data size beyond the clusters", [](VolumeShape& s) { s.dataSize += 4096; s.initializedSize = 0; },
     WIN_ERROR_FILE_CORRUPT},
};

TEST(JournalOpen, RefusesVolumesItCannotRead)
{
    for (const RefusalCase& refusal : REFUSALS) {
        VolumeShape shape;
        Bytes expected;
        shape.journal = PagedJournal(0, &expected);
        shape.dataSize = int64_t(shape.journal.size());
        refusal.shape(shape);
        TestJournal opened;
        EXPECT_EQ(OpenShape(shape, &opened), refusal.status) << refusal.name;
        EXPECT_EQ(opened.journal, nullptr) << refusal.name;
    }
}

TEST(JournalOpen, FileThatIsNotNtfs)
{
    TestJournal opened;
    opened.fd = MakeImageFile();
    Bytes zeros(1 << 20, 0);
    ASSERT_EQ(write(opened.fd, zeros.data(), zeros.size()), ssize_t(zeros.size()));
    EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), WIN_ERROR_INVALID_FUNCTION);
    TestJournal empty;
    empty.fd = MakeImageFile();
    EXPECT_EQ(OpenUsnJrnl(MakeByteSource(empty.fd), &empty.journal), WIN_ERROR_INVALID_FUNCTION);
}

TEST(JournalOpen, TruncatedImageIsADeviceError)
{
    VolumeShape shape;
    Bytes expected;
    shape.journal = PagedJournal(0, &expected);
    TestJournal opened;
    opened.fd = MakeImageFile();
    VolumeLayout layout = WriteVolume(opened.fd, 0, shape);
    ASSERT_EQ(ftruncate(opened.fd, off_t(layout.extendOffset)), 0);
    EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), WIN_ERROR_IO_DEVICE);
}

TEST(JournalQuery, HeadSparseToTheEndStartsAtTheEnd)
{
    VolumeShape shape;
    shape.sparseHead = 64 * 1024;
    TestJournal opened;
    ASSERT_EQ(OpenShape(shape, &opened), 0u);
    UsnJournalData data;
    QueryUsnJrnl(opened.journal, &data);
    EXPECT_EQ(data.FirstUsn, 65536);
    EXPECT_EQ(data.NextUsn, 65536);
    ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal));
    EXPECT_EQ(result.status, 0u);
    EXPECT_TRUE(result.records.empty());
    EXPECT_EQ(result.starts.size(), 1u);
}

TEST(JournalRead, ThirtyGigabyteSparseHeadIsPassedOverThroughTheRunlist)
{
    VolumeShape shape;
    shape.sparseHead = uint64_t(30) << 30;
    Bytes expected;
    shape.journal = PagedJournal(shape.sparseHead, &expected);
    TestJournal opened;
    ASSERT_EQ(OpenShape(shape, &opened), 0u);
    UsnJournalData data;
    QueryUsnJrnl(opened.journal, &data);
    EXPECT_EQ(data.FirstUsn, int64_t(30) << 30);
    ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal));
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.records, expected);
}

// A volume with a 64 KiB sparse head and eight pages of records after it.
struct SparseHeadJournal {
    VolumeShape shape;
    Bytes expected;
    TestJournal opened;
    UsnJournalData data;
};

void OpenSparseHead(SparseHeadJournal* j)
{
    j->shape.sparseHead = 64 * 1024;
    j->shape.journal = PagedJournal(j->shape.sparseHead, &j->expected);
    ASSERT_EQ(OpenShape(j->shape, &j->opened), 0u);
    QueryUsnJrnl(j->opened.journal, &j->data);
}

TEST(JournalRead, StartUsnZeroReadsFromTheFirstRecord)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    ReadResult result = ReadToEnd(j.opened.journal, EveryRecord(j.opened.journal, 0));
    EXPECT_EQ(result.records, j.expected);
}

TEST(JournalRead, StartUsnBelowTheFirstRecordWasDeleted)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    unsigned char buffer[4096];
    uint32_t got = 99;
    for (int64_t start : {int64_t(8), j.data.FirstUsn - 8, int64_t(-8)}) {
        EXPECT_EQ(ReadUsnJrnl(j.opened.journal, EveryRecord(j.opened.journal, start), buffer, sizeof buffer, &got),
                  WIN_ERROR_JOURNAL_ENTRY_DELETED)
            << start;
    }
}

TEST(JournalRead, ReadAtOrPastTheEndReturnsOnlyTheNextUsn)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    unsigned char buffer[4096];
    for (int64_t start : {j.data.NextUsn, j.data.NextUsn + 8, j.data.NextUsn + 1000000}) {
        uint32_t got = 0;
        ASSERT_EQ(ReadUsnJrnl(j.opened.journal, EveryRecord(j.opened.journal, start), buffer, sizeof buffer, &got), 0u);
        EXPECT_EQ(got, 8u);
        EXPECT_EQ(LoadI64(buffer), start);
    }
}

TEST(JournalRead, AnyBufferSizeGivesTheSameRecords)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    for (uint32_t size : {8u + 112u, 200u, 1000u, 4096u, 4104u, 65536u, 1u << 22}) {
        ReadResult result = ReadToEnd(j.opened.journal, EveryRecord(j.opened.journal), size);
        EXPECT_EQ(result.status, 0u) << size;
        EXPECT_EQ(result.records, j.expected) << size;
        EXPECT_EQ(result.nextUsn, j.data.NextUsn) << size;
    }
}

TEST(JournalRead, BufferTooSmallForTheNextRecord)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    unsigned char buffer[64];
    for (uint32_t size : {0u, 7u, 8u, 64u}) {
        uint32_t got = 99;
        EXPECT_EQ(ReadUsnJrnl(j.opened.journal, EveryRecord(j.opened.journal), buffer, size, &got),
                  WIN_ERROR_INSUFFICIENT_BUFFER)
            << size;
        EXPECT_EQ(got, 0u);
    }
}

TEST(JournalRead, OtherJournalIdIsRefused)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    ReadUsnJournalData request = EveryRecord(j.opened.journal);
    request.UsnJournalID++;
    unsigned char buffer[4096];
    uint32_t got = 0;
    EXPECT_EQ(ReadUsnJrnl(j.opened.journal, request, buffer, sizeof buffer, &got), WIN_ERROR_INVALID_PARAMETER);
}

TEST(JournalRead, NothingSelectedStillMovesToTheEnd)
{
    SparseHeadJournal j;
    OpenSparseHead(&j);
    ReadUsnJournalData request = EveryRecord(j.opened.journal);
    request.ReasonMask = 0;
    ReadResult result = ReadToEnd(j.opened.journal, request);
    EXPECT_TRUE(result.records.empty());
    EXPECT_EQ(result.nextUsn, j.data.NextUsn);
}

TEST(JournalRead, BytesPastTheInitializedSizeReadAsZeros)
{
    VolumeShape shape;
    Bytes expected;
    shape.journal = PagedJournal(0, &expected);
    shape.initializedSize = 4096;
    TestJournal opened;
    ASSERT_EQ(OpenShape(shape, &opened), 0u);
    ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal));
    size_t firstPage = 0;
    while (firstPage < expected.size() && LoadI64(expected.data() + firstPage + 24) < 4096)
        firstPage += LoadU32(expected.data() + firstPage);
    EXPECT_EQ(result.records, Bytes(expected.begin(), expected.begin() + firstPage));
    EXPECT_EQ(result.nextUsn, int64_t(shape.journal.size()));
}

// What a read returns from a journal of hand-placed records: which records come back, in
// what form, and where reading resumes after zero padding or a damaged record.
struct Piece {
    enum Kind { RECORD, PAD, FILLER } kind;
    UsnFields fields;
    bool returned;
    uint32_t patchAt;  // a damaged record: this 16- or 32-bit field is overwritten
    uint32_t patchValue;
    uint32_t patchWidth;
};

Piece Returned(UsnFields fields)
{
    return Piece{Piece::RECORD, fields, true, 0, 0, 0};
}

Piece Left(UsnFields fields)
{
    return Piece{Piece::RECORD, fields, false, 0, 0, 0};
}

Piece Damaged(UsnFields fields, uint32_t at, uint32_t value, uint32_t width)
{
    return Piece{Piece::RECORD, fields, false, at, value, width};
}

const Piece PAD = {Piece::PAD, {}, false, 0, 0, 0};
// A returned record that fills its page up to 64 bytes before the end.
const Piece FILLER = {Piece::FILLER, {}, true, 0, 0, 0};

UsnFields Version(int version, uint32_t reason = 0x100)
{
    UsnFields fields;
    fields.version = version;
    fields.reason = reason;
    return fields;
}

UsnFields WideIds(bool parent)
{
    UsnFields fields = Version(3);
    (parent ? fields.parentHigh : fields.frnHigh) = 1;
    return fields;
}

struct ReadCase {
    const char* name;
    std::vector<Piece> pieces;
    uint32_t reasonMask;
    uint32_t onlyOnClose;
};

const ReadCase READ_CASES[] = {
    {"zero page tails", {Returned(Version(2)), PAD, Returned(Version(2)), Returned(Version(2)), PAD,
                         Returned(Version(2))}, 0xFFFFFFFF, 0},
    {"V3 comes back as V2", {Returned(Version(3)), Returned(Version(2)), Returned(Version(3))}, 0xFFFFFFFF, 0},
    {"V3 with wide ids is left out", {Left(WideIds(false)), Left(WideIds(true)), Returned(Version(3))}, 0xFFFFFFFF, 0},
    {"V4 is left out", {Left(Version(4)), Returned(Version(3)), Left(Version(4)), Returned(Version(2))}, 0xFFFFFFFF, 0},
    {"reason mask", {Returned(Version(2, 0x100)), Left(Version(2, 0x2)), Returned(Version(3, 0x102)),
                     Left(Version(3, 0x80000000))}, 0x100, 0},
    {"only on close", {Returned(Version(2, 0x80000100)), Left(Version(2, 0x100)), Returned(Version(3, 0x80000000)),
                       Left(Version(3, 0x2))}, 0xFFFFFFFF, 1},
    {"close bit also needs the mask", {Left(Version(2, 0x80000002)), Returned(Version(2, 0x80000100))}, 0x100, 1},
    {"length not a multiple of 8", {Returned(Version(2)), Damaged(Version(2), 0, 0x4C, 32), Left(Version(2)), PAD,
                                    Returned(Version(2))}, 0xFFFFFFFF, 0},
    {"length below the V2 header", {Damaged(Version(2), 0, 56, 32), Left(Version(2)), PAD, Returned(Version(2))},
     0xFFFFFFFF, 0},
    {"length below the V3 header", {Damaged(Version(3), 0, 72, 32), PAD, Returned(Version(3))}, 0xFFFFFFFF, 0},
    {"length past the page", {Returned(Version(2)), Damaged(Version(2), 0, 8192, 32), PAD, Returned(Version(2))},
     0xFFFFFFFF, 0},
    {"record crossing into the next page", {FILLER, Damaged(Version(2), 0, 128, 32), PAD, Returned(Version(2))},
     0xFFFFFFFF, 0},
    {"unknown major version", {Damaged(Version(2), 4, 5, 16), Left(Version(2)), PAD, Returned(Version(2))},
     0xFFFFFFFF, 0},
    {"V2 name outside the record", {Damaged(Version(2), 56, 200, 16), PAD, Returned(Version(2))}, 0xFFFFFFFF, 0},
    {"V3 name offset outside the record", {Damaged(Version(3), 74, 1000, 16), PAD, Returned(Version(2))},
     0xFFFFFFFF, 0},
    {"last record past the data size", {Returned(Version(2)), Damaged(Version(2), 0, 512, 32)}, 0xFFFFFFFF, 0},
};

// The journal's stored bytes and the records a read must return, piece by piece.
void BuildPieces(const std::vector<Piece>& pieces, Bytes* journal, Bytes* expected)
{
    for (const Piece& piece : pieces) {
        if (piece.kind == Piece::PAD) {
            PadPage(*journal);
            continue;
        }
        UsnFields record = piece.fields;
        if (piece.kind == Piece::FILLER) {
            // Records with names of at most 255 units until 64 bytes of the page are left.
            for (size_t room; (room = 4096 - 64 - journal->size() % 4096) != 0;) {
                size_t size = room <= 576 ? room : room < 640 ? room - 64 : 576;
                record.name = std::u16string(std::min<size_t>(255, (size - 60) / 2), u'x');
                record.usn = int64_t(journal->size());
                Append(*journal, EncodeUsnRecord(record));
                Append(*expected, EncodeUsnRecordV2(record));
            }
            continue;
        }
        record.usn = int64_t(journal->size());
        Bytes bytes = EncodeUsnRecord(record);
        if (piece.returned)
            Append(*expected, EncodeUsnRecordV2(record));
        if (piece.patchWidth == 32)
            Put32(bytes, piece.patchAt, piece.patchValue);
        else if (piece.patchWidth == 16)
            Put16(bytes, piece.patchAt, static_cast<uint16_t>(piece.patchValue));
        Append(*journal, bytes);
    }
}

// Where the journal is held. An exported $J is recognised by a well-formed first record,
// so there one page with a record comes first, after a hole.
struct Container {
    const char* name;
    // Opens the journal; fills the records a read returns and the journal's end.
    uint32_t (*open)(const Bytes& journal, const Bytes& records, TestJournal* opened, Bytes* expected,
                     int64_t* end);
};

const Container CONTAINERS[] = {
    {"$J of a volume",
     [](const Bytes& journal, const Bytes& records, TestJournal* opened, Bytes* expected, int64_t* end) {
         VolumeShape shape;
         shape.journal = journal;
         *expected = records;
         *end = int64_t(journal.size());
         return OpenShape(shape, opened);
     }},
    {"exported $J",
     [](const Bytes& journal, const Bytes& records, TestJournal* opened, Bytes* expected, int64_t* end) {
         const uint64_t HEAD = 65536;
         UsnFields first;
         first.reason = 0x80000100;  // in every mask of the table, and a close
         first.usn = int64_t(HEAD);
         Bytes stored;
         AddRecord(stored, first, HEAD);
         PadPage(stored);
         *expected = EncodeUsnRecordV2(first);
         Append(*expected, records);
         Append(stored, journal);
         *end = int64_t(HEAD + stored.size());
         return OpenExported(stored, HEAD, HEAD_HOLE, opened);
     }},
};

class ReadCaseTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadCaseTest, ReturnsTheExpectedRecords)
{
    const ReadCase& c = GetParam();
    Bytes journal;
    Bytes records;
    BuildPieces(c.pieces, &journal, &records);
    for (const Container& container : CONTAINERS) {
        TestJournal opened;
        Bytes expected;
        int64_t end = 0;
        ASSERT_EQ(container.open(journal, records, &opened, &expected, &end), 0u) << container.name;
        ReadUsnJournalData request = EveryRecord(opened.journal);
        request.ReasonMask = c.reasonMask;
        request.ReturnOnlyOnClose = c.onlyOnClose;
        for (uint32_t size : {65536u, 8u + 4096u}) {
            ReadResult result = ReadToEnd(opened.journal, request, size);
            EXPECT_EQ(result.status, 0u) << container.name;
            EXPECT_EQ(result.records, expected) << container.name << ", buffer " << size;
            EXPECT_EQ(result.nextUsn, end) << container.name << ", buffer " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Records, ReadCaseTest, testing::ValuesIn(READ_CASES),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                             return TestName(info.param.name);
                         });

}  // namespace
