// The journal reader against the scripted fake: every way a run ends, the read requests
// it makes, and that it gives back everything it took.
#include <gtest/gtest.h>

#include "fake_volume_ops.h"
#include "test_support.h"
#include "volume/journal_reader.h"

namespace {

const uint64_t ROOT = 0x0005000000000005;
const uint64_t JOURNAL_ID = 0x01d6627ebc0bd708;
const int64_t FIRST_USN = 0x2000;

Bytes Record(uint64_t frn, const char* name)
{
    return EncodeUsnRecord({frn, ROOT, 0x80000100, std::u16string(name, name + std::strlen(name))});
}

std::string Line(const char* name)
{
    return std::string("FILE_CREATE|CLOSE 0x0005000000000005 ") + name + "\n";
}

FakeRead Returns(const Bytes& data)
{
    return FakeRead{data, 0};
}

FakeRead FailsWith(uint32_t error)
{
    return FakeRead{{}, error};
}

FakeRead End(int64_t nextUsn)
{
    return Returns(UsnBuffer(nextUsn, {}));
}

struct ReaderCase {
    const char* what;
    uint32_t openError;
    uint32_t queryError;
    bool allocationFails;
    std::vector<FakeRead> reads;
    std::string expected;
    int status;
};

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, EndsAsScriptedAndReleasesEverything)
{
    const ReaderCase& c = GetParam();
    ResetFake();
    Fake().openError = c.openError;
    Fake().queryError = c.queryError;
    Fake().allocationFails = c.allocationFails;
    Fake().journal.UsnJournalID = JOURNAL_ID;
    Fake().journal.FirstUsn = FIRST_USN;
    Fake().reads = c.reads;

    CaptureOutput();
    int status = DumpJournal(WIDE("\\\\.\\C:"), 0);
    EXPECT_EQ(TakeOutput(), c.expected) << c.what;
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_EQ(Fake().handlesHeld, 0) << c.what;
    EXPECT_EQ(Fake().buffersHeld, 0) << c.what;
    EXPECT_EQ(Fake().requests.size(), c.reads.size()) << c.what << ": every scripted read made";
}

INSTANTIATE_TEST_SUITE_P(Ends, ReaderTest, testing::Values(
    ReaderCase{"the volume does not open", 5, 0, false, {},
               "Error 5: unable to open drive.\n", 1},
    ReaderCase{"no journal on the volume", 0, 1179, false, {},
               "Error 1179: unable to query USN journal.\n", 1},
    ReaderCase{"no memory for the buffer", 0, 0, true, {},
               "Error 14: unable to allocate USN buffer.\n", 1},
    ReaderCase{"the first read fails", 0, 0, false, {FailsWith(1181)},
               "Error 1181: unable to read USN journal.\n", 1},
    ReaderCase{"no records from the first USN", 0, 0, false, {End(FIRST_USN)}, "", 0},
    ReaderCase{"a read shorter than the next USN", 0, 0, false, {Returns(Bytes(4, 0))},
               "no next USN.\n", 0},
    ReaderCase{"an empty read", 0, 0, false, {Returns({})}, "no next USN.\n", 0},
    ReaderCase{"several buffers to the end", 0, 0, false,
               {Returns(UsnBuffer(0x3000, {Record(7, "a"), Record(8, "b")})),
                Returns(UsnBuffer(0x4000, {Record(9, "c")})), End(0x4000)},
               Line("a") + Line("b") + Line("c"), 0},
    ReaderCase{"a read fails after buffers were printed", 0, 0, false,
               {Returns(UsnBuffer(0x3000, {Record(7, "a")})), FailsWith(1117)},
               Line("a") + "Error 1117: unable to read USN journal.\n", 1},
    ReaderCase{"a bad record does not stop the next read", 0, 0, false,
               {Returns(UsnBuffer(0x3000, {Record(7, "a"), Bytes(10, 0)})),
                Returns(UsnBuffer(0x4000, {Record(8, "b")})), End(0x4000)},
               Line("a") + "bad record length 10 < 64.\n" + Line("b"), 0},
    ReaderCase{"records whose next USN does not move on", 0, 0, false,
               {Returns(UsnBuffer(0x3000, {Record(7, "a")})),
                Returns(UsnBuffer(0x3000, {Record(7, "a")}))},
               Line("a") + Line("a") + "Error 1392: unable to read USN journal.\n", 1}));

TEST(Reader, ChainsEachReadFromTheLastNextUsn)
{
    ResetFake();
    Fake().journal.UsnJournalID = JOURNAL_ID;
    Fake().journal.FirstUsn = FIRST_USN;
    Fake().reads = {Returns(UsnBuffer(0x3000, {Record(7, "a")})),
                    Returns(UsnBuffer(0x7000, {Record(8, "b")})), End(0x7000)};
    CaptureOutput();
    EXPECT_EQ(DumpJournal(WIDE("\\\\.\\C:"), 0), 0);
    TakeOutput();

    ASSERT_EQ(Fake().openedVolumes, std::vector<WideString>{WIDE("\\\\.\\C:")});
    const int64_t starts[] = {FIRST_USN, 0x3000, 0x7000};
    ASSERT_EQ(Fake().requests.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const ReadUsnJournalData& request = Fake().requests[i];
        EXPECT_EQ(request.StartUsn, starts[i]);
        EXPECT_EQ(request.ReasonMask, 0xFFFFFFFFu);
        EXPECT_EQ(request.ReturnOnlyOnClose, 0u);
        EXPECT_EQ(request.Timeout, 0u);
        EXPECT_EQ(request.BytesToWaitFor, 0u);
        EXPECT_EQ(request.UsnJournalID, JOURNAL_ID);
    }
}

TEST(Reader, PassesTheTargetToEveryBuffer)
{
    ResetFake();
    Fake().reads = {Returns(UsnBuffer(0x3000, {Record(0x0001000000000007, "a"), Record(8, "b")})),
                    Returns(UsnBuffer(0x4000, {Record(0x0002000000000007, "c")})), End(0x4000)};
    CaptureOutput();
    EXPECT_EQ(DumpJournal(WIDE("\\\\.\\C:"), 7), 0);
    EXPECT_EQ(TakeOutput(), Line("a") + Line("c"));
}

// A stream that refuses every write, as a closed or full standard output does.
FILE* UnwritableStream()
{
#ifdef _WIN32
    return std::fopen("NUL", "r");
#else
    return std::fopen("/dev/null", "r");
#endif
}

TEST(Reader, StopsReadingOnceOutputIsLost)
{
    ResetFake();
    // Far more text than the output buffer holds, so writes happen during the run.
    Bytes records;
    for (int i = 0; i < 400; ++i)
        records = Concat({records, Record(7, "a-name-long-enough-to-fill-the-buffer-soon")});
    for (int64_t usn = 0x10000; usn < 0x10000 * 40; usn += 0x10000)
        Fake().reads.push_back(Returns(UsnBuffer(usn, {records})));
    Fake().reads.push_back(End(0x10000 * 40));

    FILE* stream = UnwritableStream();
    ASSERT_NE(stream, nullptr);
    SetOutputStream(stream);
    int status = DumpJournal(WIDE("\\\\.\\C:"), 0);
    bool flushed = FlushOutput();
    SetOutputStream(nullptr);
    std::fclose(stream);

    EXPECT_EQ(status, 1);
    EXPECT_FALSE(flushed);
    EXPECT_LT(Fake().requests.size(), Fake().reads.size());
    EXPECT_EQ(Fake().handlesHeld, 0);
    EXPECT_EQ(Fake().buffersHeld, 0);
}

}  // namespace
