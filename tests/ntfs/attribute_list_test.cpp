// $ATTRIBUTE_LIST: its entries, and a large $J assembled from segments held in
// extension records.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "ntfs/attribute_list.h"
#include "ntfs/ntfs_types.h"
#include "test_journal.h"

namespace {

TEST(AttributeList, CollectsOneAttributesSegmentsInVcnOrder)
{
    Bytes list = AttributeList({{0x10, u"", 0, 40, 0},
                                {0x80, u"$J", 300, 22, 0},
                                {0x80, u"$J", 0, 40, 3},
                                {0x80, u"$Max", 0, 40, 5},
                                {0x80, u"$j", 100, 21, 1},
                                {0xA0, u"$J", 0, 23, 0}});
    AttributeListEntry* entries = nullptr;
    size_t count = 0;
    ASSERT_EQ(CollectListSegments(list.data(), uint32_t(list.size()), 0x80, "$J", &entries, &count), 0u);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(entries[0].firstVcn, 0);
    EXPECT_EQ(entries[0].id, 3);
    EXPECT_EQ(entries[1].firstVcn, 100);
    EXPECT_EQ(entries[1].reference, 21u);
    EXPECT_EQ(entries[2].firstVcn, 300);
    std::free(entries);
    ASSERT_EQ(CollectListSegments(list.data(), uint32_t(list.size()), 0x80, "$Nothing", &entries, &count), 0u);
    EXPECT_EQ(count, 0u);
}

struct ListCase {
    const char* name;
    void (*damage)(Bytes& list);
    uint32_t status;
};

const ListCase LIST_CASES[] = {
    {"good", [](Bytes&) {}, 0},
    {"slack after the last entry", [](Bytes& l) { l.resize(l.size() + 20, 0); }, 0},
    {"entry length zero", [](Bytes& l) { Put16(l, 4, 0); }, WIN_ERROR_FILE_CORRUPT},
    {"entry length below a header", [](Bytes& l) { Put16(l, 4, 24); }, WIN_ERROR_FILE_CORRUPT},
    {"entry length past the list", [](Bytes& l) { Put16(l, 4, 0x400); }, WIN_ERROR_FILE_CORRUPT},
    {"name past the entry", [](Bytes& l) { l[6] = 20; }, WIN_ERROR_FILE_CORRUPT},
    {"name offset past the entry", [](Bytes& l) { l[7] = 250; }, WIN_ERROR_FILE_CORRUPT},
};

TEST(AttributeList, EntriesMustFitTheList)
{
    for (const ListCase& c : LIST_CASES) {
        Bytes list = AttributeList({{0x80, u"$J", 0, 40, 3}, {0x80, u"$Max", 0, 40, 5}});
        c.damage(list);
        AttributeListEntry* entries = nullptr;
        size_t count = 0;
        EXPECT_EQ(CollectListSegments(list.data(), uint32_t(list.size()), 0x80, "$J", &entries, &count), c.status)
            << c.name;
        std::free(entries);
    }
}

// Damage to the extension records that hold $J's later segments.
struct ExtensionCase {
    const char* name;
    int segment;  // 1 or 2: the extension record holding the second or third segment
    uint32_t at;
    uint64_t value;
    uint32_t width;
};

const ExtensionCase EXTENSION_CASES[] = {
    {"extension of another file", 1, 32, 0x0001000000000027, 64},
    {"extension with another sequence number", 1, 16, 2, 16},
    {"extension not in use", 2, 22, 0, 16},
    {"segment starting at another VCN", 1, 56 + 16, 7, 64},
    {"segment with another attribute id", 2, 56 + 14, 9, 16},
    {"extension record wiped", 2, 0, 0, 64},
};

void Patch(int fd, uint64_t offset, uint64_t value, uint32_t width)
{
    Bytes bytes(width / 8, 0);
    for (size_t i = 0; i < bytes.size(); i++)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), off_t(offset)), ssize_t(bytes.size()));
}

TEST(AttributeList, DamagedExtensionRecordsAreCorrupt)
{
    for (const ExtensionCase& c : EXTENSION_CASES) {
        VolumeShape shape;
        for (int i = 0; i < 200; i++)
            AddRecord(shape.journal, UsnFields{});
        shape.fragments = 6;
        shape.segments = 3;
        TestJournal opened;
        opened.fd = MakeImageFile();
        VolumeLayout layout = WriteVolume(opened.fd, 0, shape);
        Patch(opened.fd, layout.usnJrnlExtensionOffsets[c.segment - 1] + c.at, c.value, c.width);
        EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), WIN_ERROR_FILE_CORRUPT) << c.name;
    }
}

}  // namespace
