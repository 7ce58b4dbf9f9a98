// Index nodes of $Extend's $I30: finding "$UsnJrnl", queueing sub-nodes, and refusing
// entries that do not fit or trees that never end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "ntfs/index.h"
#include "test_journal.h"

namespace {

Bytes ExtendNode(int64_t subNode = -1)
{
    return IndexNode({FileNameIndexEntry(0x000100000000001A, u"$ObjId", subNode),
                      FileNameIndexEntry(0x0001000000000026, u"$USNJRNL"), LastIndexEntry(subNode)},
                     subNode >= 0);
}

struct NodeCase {
    const char* name;
    Bytes node;
    const char* wanted;
    uint32_t status;
    uint32_t queued;
};

Bytes Damaged(Bytes node, size_t at, uint16_t value)
{
    Put16(node, at, value);
    return node;
}

const size_t FIRST_ENTRY = 16;

const NodeCase NODE_CASES[] = {
    {"found, names compared without case", ExtendNode(), "$UsnJrnl", 0, 0},
    {"not in a leaf", ExtendNode(), "$Quota", NTFS_NOT_FOUND, 0},
    {"sub-nodes queued on the way", ExtendNode(4), "$Reparse", NTFS_NOT_FOUND, 2},
    {"only the last entry", IndexNode({LastIndexEntry()}, false), "$UsnJrnl", NTFS_NOT_FOUND, 0},
    {"entry length zero", Damaged(ExtendNode(), FIRST_ENTRY + 8, 0), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"entry past the used bytes", Damaged(ExtendNode(), FIRST_ENTRY + 8, 0x800), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"key shorter than a file name", Damaged(ExtendNode(), FIRST_ENTRY + 10, 40), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"key longer than its entry", Damaged(ExtendNode(), FIRST_ENTRY + 10, 0x200), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"name longer than its key", Damaged(ExtendNode(), FIRST_ENTRY + 16 + 64, 0x40), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"no last entry", Damaged(ExtendNode(), 4, 16 + 96 + 104), "$Quota", WIN_ERROR_FILE_CORRUPT, 0},
    {"entries before the header ends", Damaged(ExtendNode(), 0, 8), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"used bytes past the node", Damaged(ExtendNode(), 4, 0x1000), "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
    {"sub-node flag without room for the VCN", Damaged(IndexNode({LastIndexEntry()}, false), FIRST_ENTRY + 12, 3),
     "$UsnJrnl", WIN_ERROR_FILE_CORRUPT, 0},
};

TEST(IndexNode, ScansEntries)
{
    for (const NodeCase& c : NODE_CASES) {
        auto walk = std::make_unique<IndexWalk>();
        uint64_t reference = 0;
        uint32_t status = ScanIndexNode(c.node.data(), uint32_t(c.node.size()), c.wanted, &reference, walk.get());
        EXPECT_EQ(status, c.status) << c.name;
        if (status == 0) {
            EXPECT_EQ(reference, 0x0001000000000026u) << c.name;
        }
        EXPECT_EQ(walk->pendingCount, c.queued) << c.name;
    }
}

TEST(IndexNode, QueueIsBounded)
{
    auto walk = std::make_unique<IndexWalk>();
    walk->queued = MAX_INDEX_NODES;
    Bytes node = ExtendNode(4);
    uint64_t reference = 0;
    EXPECT_EQ(ScanIndexNode(node.data(), uint32_t(node.size()), "$Zzz", &reference, walk.get()), WIN_ERROR_FILE_CORRUPT);
}

struct BlockCase {
    const char* name;
    bool hasJournal;
    bool cycle;
    uint32_t at;  // a byte of the INDX block to change, or 0
    unsigned char value;
    uint32_t status;
};

const BlockCase BLOCK_CASES[] = {
    {"entry in the block", true, false, 0, 0, 0},
    {"no entry anywhere", false, false, 0, 0, WIN_ERROR_JOURNAL_NOT_ACTIVE},
    {"block that is its own sub-node", false, true, 0, 0, WIN_ERROR_FILE_CORRUPT},
    {"torn block", true, false, 1022, 0x55, WIN_ERROR_FILE_CORRUPT},
    {"block naming another VCN", true, false, 16, 1, WIN_ERROR_FILE_CORRUPT},
    {"not an INDX block", true, false, 0, 'X', WIN_ERROR_FILE_CORRUPT},
};

TEST(IndexBlock, WalksBelowTheRoot)
{
    for (const BlockCase& c : BLOCK_CASES) {
        VolumeShape shape;
        AddRecord(shape.journal, UsnFields{});
        shape.indexAllocation = true;
        shape.hasJournal = c.hasJournal;
        shape.indexCycle = c.cycle;
        TestJournal opened;
        opened.fd = MakeImageFile();
        VolumeLayout layout = WriteVolume(opened.fd, 0, shape);
        if (c.at != 0 || c.value != 0) {
            ASSERT_EQ(pwrite(opened.fd, &c.value, 1, off_t(layout.indexBlockOffset + c.at)), 1);
        }
        EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened.fd), &opened.journal), c.status) << c.name;
    }
}

}  // namespace
