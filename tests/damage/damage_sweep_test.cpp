// Every metadata byte the reader looks at, changed in turn, in process: opening and
// reading must end with a result or one of the reader's error codes, never hang or touch
// memory it does not own (run under the sanitizer build to see the latter). Beside it,
// damage_cases.py runs the program itself on damaged mkntfs images.
#include <gtest/gtest.h>
#include <unistd.h>

#include "ntfs/ntfs_types.h"
#include "test_journal.h"

namespace {

struct Region {
    const char* name;
    uint64_t offset;
    uint32_t length;
};

bool IsReaderResult(uint32_t status)
{
    return status == 0 || status == WIN_ERROR_INVALID_FUNCTION || status == WIN_ERROR_IO_DEVICE ||
           status == WIN_ERROR_JOURNAL_NOT_ACTIVE || status == WIN_ERROR_JOURNAL_DELETE_IN_PROGRESS ||
           status == WIN_ERROR_FILE_CORRUPT;
}

TEST(Damage, EveryChangedMetadataByteEndsCleanly)
{
    VolumeShape shape;
    shape.sparseHead = 64 * 1024;
    for (int i = 0; i < 300; i++)
        AddRecord(shape.journal, UsnFields{}, shape.sparseHead);
    shape.mftSplit = true;
    shape.mftAttributeList = true;
    shape.indexAllocation = true;
    shape.fragments = 6;
    shape.segments = 3;
    shape.listNonResident = true;
    int fd = MakeImageFile();
    VolumeLayout layout = WriteVolume(fd, 0, shape);
    const Region regions[] = {
        {"boot sector", 0, 512},
        {"$MFT", layout.mftOffset, 1024},
        {"$MFT extension", layout.mftExtensionOffset, 1024},
        {"$Volume", layout.volumeRecordOffset, 1024},
        {"$Extend", layout.extendOffset, 1024},
        {"$UsnJrnl", layout.usnJrnlOffset, 1024},
        {"$UsnJrnl extension", layout.usnJrnlExtensionOffsets[0], 1024},
        {"INDX block", layout.indexBlockOffset, 1024},
        {"attribute list", layout.attributeListOffset, 160},
    };
    int opened = 0;
    for (const Region& region : regions) {
        for (uint32_t i = 0; i < region.length; i++) {
            unsigned char original = 0;
            ASSERT_EQ(pread(fd, &original, 1, off_t(region.offset + i)), 1);
            for (unsigned char value : {0x00, 0xFF, original ^ 0x01, original ^ 0x80}) {
                if (value == original)
                    continue;
                ASSERT_EQ(pwrite(fd, &value, 1, off_t(region.offset + i)), 1);
                UsnJrnl* journal = nullptr;
                uint32_t status = OpenUsnJrnl(MakeByteSource(fd), &journal);
                EXPECT_TRUE(IsReaderResult(status)) << region.name << " byte " << i << ": " << status;
                if (status == 0) {
                    opened++;
                    ReadResult result = ReadToEnd(journal, EveryRecord(journal), 4096);
                    EXPECT_TRUE(IsReaderResult(result.status) || result.status == WIN_ERROR_JOURNAL_ENTRY_DELETED)
                        << region.name << " byte " << i << ": " << result.status;
                    CloseUsnJrnl(journal);
                } else {
                    EXPECT_EQ(journal, nullptr);
                }
            }
            ASSERT_EQ(pwrite(fd, &original, 1, off_t(region.offset + i)), 1);
        }
    }
    EXPECT_GT(opened, 0) << "changes to unused bytes leave a readable journal";
    close(fd);
}

}  // namespace
