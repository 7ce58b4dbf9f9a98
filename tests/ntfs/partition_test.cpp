// Finding the NTFS volumes of a whole-disk image, in table order, and reading the journal
// of the first one that has a journal.
#include <gtest/gtest.h>
#include <unistd.h>

#include "ntfs/partition.h"
#include "test_journal.h"

namespace {

struct DiskCase {
    const char* name;
    void (*make)(int fd);
    uint32_t status;
    uint64_t offset;
};

VolumeShape WithRecords(bool hasJournal = true)
{
    VolumeShape shape;
    shape.hasJournal = hasJournal;
    for (int i = 0; i < 3; i++)
        AddRecord(shape.journal, UsnFields{});
    return shape;
}

const uint64_t MIB = 1 << 20;

// An extended partition's chain of boot records at `firstLba`: one logical drive per
// record at `logicalStarts` (512-byte sectors from the disk's start); `loop` links the
// last record back to the second.
void WriteLogicalDrives(int fd, uint64_t firstLba, const std::vector<uint64_t>& logicalStarts,
                        bool loop = false)
{
    for (size_t i = 0; i < logicalStarts.size(); i++) {
        uint64_t recordLba = firstLba + 16 * i;
        Bytes record(512, 0);
        record[446 + 4] = 0x07;
        Put32(record, 446 + 8, static_cast<uint32_t>(logicalStarts[i] - recordLba));
        Put32(record, 446 + 12, 0x1000);
        bool last = i + 1 == logicalStarts.size();
        if (!last || loop) {
            record[462 + 4] = 0x05;
            Put32(record, 462 + 8, last ? 16 : static_cast<uint32_t>(16 * (i + 1)));
            Put32(record, 462 + 12, 0x1000);
        }
        Put16(record, 510, 0xAA55);
        ASSERT_EQ(pwrite(fd, record.data(), record.size(), static_cast<off_t>(recordLba * 512)), 512);
    }
}

const DiskCase DISKS[] = {
    {"bare volume", [](int fd) { WriteVolume(fd, 0, WithRecords()); }, 0, 0},
    {"MBR", [](int fd) { WriteMbr(fd, {{0x07, false, 2048}}); WriteVolume(fd, MIB, WithRecords()); }, 0, MIB},
    {"MBR: type 0x07 holding exFAT, then NTFS",
     [](int fd) {
         WriteMbr(fd, {{0x07, false, 2048}, {0x07, false, 8192}});
         WriteForeignBootSector(fd, MIB, "EXFAT   ");
         WriteVolume(fd, 4 * MIB, WithRecords());
     },
     0, 4 * MIB},
    {"MBR: two NTFS partitions, the first offered first",
     [](int fd) {
         WriteMbr(fd, {{0x0C, false, 64}, {0x07, false, 2048}, {0x07, false, 16384}});
         WriteVolume(fd, MIB, WithRecords(false));
         WriteVolume(fd, 8 * MIB, WithRecords());
     },
     0, MIB},
    {"MBR: NTFS partition past the end of the image",
     [](int fd) { WriteMbr(fd, {{0x07, false, 0x100000}}); WriteVolume(fd, MIB, WithRecords()); },
     WIN_ERROR_INVALID_FUNCTION, 0},
    {"MBR: NTFS in an untyped slot only",
     [](int fd) { WriteMbr(fd, {{0x83, false, 2048}}); WriteVolume(fd, MIB, WithRecords()); },
     WIN_ERROR_INVALID_FUNCTION, 0},
    {"MBR with 4096-byte sectors",
     [](int fd) { WriteMbr(fd, {{0x07, false, 256}}); WriteVolume(fd, MIB, WithRecords()); }, 0, MIB},
    {"MBR: logical drive in an extended partition",
     [](int fd) {
         WriteMbr(fd, {{0x83, false, 64}, {0x0F, false, 1024}});
         WriteLogicalDrives(fd, 1024, {2048});
         WriteVolume(fd, MIB, WithRecords());
     },
     0, MIB},
    {"MBR: chain of boot records that loops",
     [](int fd) {
         WriteMbr(fd, {{0x05, false, 1024}});
         WriteLogicalDrives(fd, 1024, {2048, 8192}, true);
         WriteVolume(fd, MIB, WithRecords());
     },
     0, MIB},
    {"GPT: recovery partition first, then basic data",
     [](int fd) {
         WriteGpt(fd, 512, {{0, false, 2048}, {0, true, 8192}});
         WriteVolume(fd, MIB, WithRecords(false));
         WriteVolume(fd, 4 * MIB, WithRecords());
     },
     0, 4 * MIB},
    {"GPT: basic data holding FAT, then NTFS",
     [](int fd) {
         WriteGpt(fd, 512, {{0, true, 2048}, {0, true, 8192}});
         WriteForeignBootSector(fd, MIB, "MSDOS5.0");
         WriteVolume(fd, 4 * MIB, WithRecords());
     },
     0, 4 * MIB},
    {"GPT with 4096-byte sectors",
     [](int fd) { WriteGpt(fd, 4096, {{0, true, 256}}); WriteVolume(fd, MIB, WithRecords()); }, 0, MIB},
    {"GPT without NTFS",
     [](int fd) { WriteGpt(fd, 512, {{0, false, 2048}}); WriteVolume(fd, MIB, WithRecords()); },
     WIN_ERROR_INVALID_FUNCTION, 0},
    {"protective MBR without a GPT header", [](int fd) { WriteMbr(fd, {{0xEE, false, 1}}); },
     WIN_ERROR_INVALID_FUNCTION, 0},
    {"no boot signature", [](int fd) { WriteForeignBootSector(fd, 0, "\0\0\0\0\0\0\0\0"); Bytes z(2, 0);
                                        ASSERT_EQ(pwrite(fd, z.data(), 2, 510), 2); },
     WIN_ERROR_INVALID_FUNCTION, 0},
    {"shorter than a sector", [](int fd) { ASSERT_EQ(write(fd, "NTFS", 4), 4); }, WIN_ERROR_INVALID_FUNCTION, 0},
};

TEST(Partition, FindsTheFirstNtfsPartition)
{
    for (const DiskCase& c : DISKS) {
        int fd = MakeImageFile();
        c.make(fd);
        NtfsVolumeList volumes;
        EXPECT_EQ(FindNtfsVolumes(MakeByteSource(fd), &volumes), c.status) << c.name;
        if (c.status == 0) {
            ASSERT_GE(volumes.count, 1u) << c.name;
            EXPECT_EQ(volumes.offsets[0], c.offset) << c.name;
        }
        close(fd);
    }
}

TEST(Partition, JournalOfAPartitionOpens)
{
    for (bool gpt : {false, true}) {
        TestJournal opened;
        opened.fd = MakeImageFile();
        if (gpt)
            WriteGpt(opened.fd, 512, {{0, true, 2048}});
        else
            WriteMbr(opened.fd, {{0x07, false, 2048}});
        VolumeShape shape = WithRecords();
        WriteVolume(opened.fd, MIB, shape);
        ASSERT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), 0u) << gpt;
        ReadResult result = ReadToEnd(opened.journal, EveryRecord(opened.journal));
        EXPECT_EQ(result.records, shape.journal) << gpt;
    }
}

TEST(Partition, ListsEachNtfsVolumeOnceInTableOrder)
{
    int fd = MakeImageFile();
    WriteMbr(fd, {{0x07, false, 2048}, {0x83, false, 4096}, {0x05, false, 12288}, {0x07, false, 16384}});
    WriteVolume(fd, MIB, WithRecords(false));
    WriteLogicalDrives(fd, 12288, {12800, 12800}, true);
    WriteVolume(fd, 12800 * 512, WithRecords());
    WriteVolume(fd, 8 * MIB, WithRecords());
    NtfsVolumeList volumes;
    ASSERT_EQ(FindNtfsVolumes(MakeByteSource(fd), &volumes), 0u);
    std::vector<uint64_t> offsets(volumes.offsets, volumes.offsets + volumes.count);
    EXPECT_EQ(offsets, (std::vector<uint64_t>{MIB, 12800 * 512, 8 * MIB}));
    close(fd);
}

TEST(Partition, ReadsTheFirstNtfsPartitionThatHasAJournal)
{
    TestJournal opened;
    opened.fd = MakeImageFile();
    WriteMbr(opened.fd, {{0x07, false, 2048}, {0x07, false, 16384}});
    WriteVolume(opened.fd, MIB, WithRecords(false));
    VolumeShape shape = WithRecords();
    WriteVolume(opened.fd, 8 * MIB, shape);
    ASSERT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), 0u);
    EXPECT_EQ(ReadToEnd(opened.journal, EveryRecord(opened.journal)).records, shape.journal);
}

TEST(Partition, NoPartitionWithAJournalReportsTheFirst)
{
    TestJournal opened;
    opened.fd = MakeImageFile();
    WriteMbr(opened.fd, {{0x07, false, 2048}, {0x07, false, 16384}});
    WriteVolume(opened.fd, MIB, WithRecords(false));
    WriteVolume(opened.fd, 8 * MIB, WithRecords(false));
    EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), WIN_ERROR_JOURNAL_NOT_ACTIVE);
}

}  // namespace
