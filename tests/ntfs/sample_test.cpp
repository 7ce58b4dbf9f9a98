// The reader on real images: a disk made by Windows 10 with a journal, and an NTFS
// volume without one. Both are unpacked by the ntfs_samples_unpack setup test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/little_endian.h"
#include "test_journal.h"

namespace {

const std::string SAMPLES = NTFS_SAMPLE_DIR;

bool Exists(const std::string& path)
{
    return access(path.c_str(), R_OK) == 0;
}

// $J as icat copied it, with the zero padding at the end of each page taken out: the
// records that reading the journal must return.
Bytes RecordsOfCopy(const Bytes& copy, size_t* count)
{
    Bytes records;
    *count = 0;
    for (size_t at = 0; at + 4 <= copy.size();) {
        uint32_t length = LoadU32(copy.data() + at);
        if (length == 0) {
            at = (at / 4096 + 1) * 4096;
            continue;
        }
        if (length > copy.size() - at)
            break;
        records.insert(records.end(), copy.begin() + at, copy.begin() + at + length);
        at += length;
        ++*count;
    }
    return records;
}

TEST(Sample, Windows10DiskReadsLikeItsIcatCopy)
{
    std::string image = SAMPLES + "/ntfs.raw";
    if (!Exists(image) || !Exists(SAMPLES + "/j.bin"))
        GTEST_SKIP() << "win10-ntfs-disk.tgz not found in $JRNLPEEK_SAMPLES or ../shared/samples";
    std::ifstream copyFile(SAMPLES + "/j.bin", std::ios::binary);
    Bytes copy((std::istreambuf_iterator<char>(copyFile)), std::istreambuf_iterator<char>());
    size_t count = 0;
    Bytes expected = RecordsOfCopy(copy, &count);
    EXPECT_EQ(count, 188u);

    TestJournal opened;
    opened.fd = open(image.c_str(), O_RDONLY);
    ASSERT_GE(opened.fd, 0);
    ASSERT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), 0u);
    UsnJournalData data;
    QueryUsnJrnl(opened.journal, &data);
    EXPECT_EQ(data.UsnJournalID, 0x01d6627ebc0bd708u);
    EXPECT_EQ(data.FirstUsn, 0);
    EXPECT_EQ(data.NextUsn, 20312);
    EXPECT_EQ(data.LowestValidUsn, 0);
    EXPECT_EQ(data.MaximumSize, 32u << 20);
    EXPECT_EQ(data.AllocationDelta, 8u << 20);

    ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal));
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.nextUsn, 20312);
    EXPECT_EQ(result.records, expected);
}

TEST(Sample, NtfsWithoutJournal)
{
    std::string image = SAMPLES + "/fs.ntfs";
    if (!Exists(image))
        GTEST_SKIP() << "/usr/share/forensics-samples/fs.ntfs.xz (forensics-samples-ntfs) not installed";
    TestJournal opened;
    opened.fd = open(image.c_str(), O_RDONLY);
    ASSERT_GE(opened.fd, 0);
    EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), WIN_ERROR_JOURNAL_NOT_ACTIVE);
}

}  // namespace
