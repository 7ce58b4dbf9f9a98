// Mapping pairs decoded into runs: sparse runs, relative and negative offsets, and every
// way a hostile runlist can be wrong.
#include <gtest/gtest.h>

#include "ntfs/runlist.h"
#include "ntfs_bytes.h"

namespace {

NtfsVolume Volume()
{
    NtfsVolume volume{};
    volume.clusterSize = 4096;
    volume.clusterCount = 0x100000;
    return volume;
}

struct RunlistCase {
    const char* name;
    Bytes bytes;
    int64_t lastVcn;
    uint32_t status;
    std::vector<NtfsRun> runs;  // when status is 0
};

const RunlistCase CASES[] = {
    {"one run", {0x11, 0x04, 0x20, 0x00}, 3, 0, {{0, 0x20, 4}}},
    {"empty attribute", {0x00}, -1, 0, {}},
    {"sparse run keeps the previous LCN", {0x11, 0x02, 0x10, 0x01, 0x03, 0x11, 0x01, 0x05, 0x00}, 5, 0,
     {{0, 0x10, 2}, {2, SPARSE_LCN, 3}, {5, 0x15, 1}}},
    {"negative offset", {0x21, 0x02, 0x00, 0x10, 0x11, 0x01, 0xF0, 0x00}, 2, 0, {{0, 0x1000, 2}, {2, 0xFF0, 1}}},
    {"continuing runs merge", {0x11, 0x02, 0x10, 0x11, 0x03, 0x02, 0x00}, 4, 0, {{0, 0x10, 5}}},
    {"sparse runs merge", {0x01, 0x02, 0x01, 0x03, 0x00}, 4, 0, {{0, SPARSE_LCN, 5}}},
    {"first run sparse", {0x02, 0x00, 0x01, 0x11, 0x01, 0x07, 0x00}, 256, 0,
     {{0, SPARSE_LCN, 256}, {256, 7, 1}}},
    {"eight-byte length and offset", {0x88, 1, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, {{0, 9, 1}}},
    {"no end marker", {0x11, 0x01, 0x10}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"nothing at all", {}, -1, WIN_ERROR_FILE_CORRUPT, {}},
    {"length size 0", {0x10, 0x05, 0x00}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"length size 9", {0x19, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"offset size 9", {0x91, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"fields cut off", {0x31, 0x01, 0x10}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"zero length", {0x11, 0x00, 0x10, 0x00}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"negative length", {0x11, 0x80, 0x10, 0x00}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"LCN below zero", {0x11, 0x01, 0xF0, 0x00}, 0, WIN_ERROR_FILE_CORRUPT, {}},
    {"run past the volume's end", {0x31, 0x02, 0xFF, 0xFF, 0x0F, 0x00}, 1, WIN_ERROR_FILE_CORRUPT, {}},
    {"LCN overflow", {0x11, 0x01, 0x10, 0x81, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}, 1,
     WIN_ERROR_FILE_CORRUPT, {}},
    {"runs past the last VCN", {0x11, 0x05, 0x10, 0x00}, 3, WIN_ERROR_FILE_CORRUPT, {}},
    {"runs short of the last VCN", {0x11, 0x02, 0x10, 0x00}, 3, WIN_ERROR_FILE_CORRUPT, {}},
    {"length overflowing the VCN", {0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}, 3,
     WIN_ERROR_FILE_CORRUPT, {}},
    {"last VCN beyond any byte offset", {0x00}, INT64_MAX, WIN_ERROR_FILE_CORRUPT, {}},
};

TEST(Runlist, DecodesOrRefuses)
{
    NtfsVolume volume = Volume();
    for (const RunlistCase& c : CASES) {
        NtfsStream stream{};
        uint32_t status = AppendRunlist(&volume, c.bytes.data(), static_cast<uint32_t>(c.bytes.size()), 0, c.lastVcn, &stream);
        EXPECT_EQ(status, c.status) << c.name;
        if (status == 0) {
            ASSERT_EQ(stream.runCount, c.runs.size()) << c.name;
            for (size_t i = 0; i < c.runs.size(); i++) {
                EXPECT_EQ(stream.runs[i].vcn, c.runs[i].vcn) << c.name << " run " << i;
                EXPECT_EQ(stream.runs[i].lcn, c.runs[i].lcn) << c.name << " run " << i;
                EXPECT_EQ(stream.runs[i].length, c.runs[i].length) << c.name << " run " << i;
            }
            EXPECT_EQ(stream.nextVcn, c.lastVcn + 1) << c.name;
        }
        std::free(stream.runs);
    }
}

TEST(Runlist, SegmentsMustFollowEachOther)
{
    NtfsVolume volume = Volume();
    NtfsStream stream{};
    Bytes first = EncodeRunlist({{4, 0x100}});
    Bytes second = EncodeRunlist({{2, 0x50}});  // its offset starts again from LCN 0
    ASSERT_EQ(AppendRunlist(&volume, first.data(), uint32_t(first.size()), 0, 3, &stream), 0u);
    EXPECT_EQ(AppendRunlist(&volume, second.data(), uint32_t(second.size()), 5, 6, &stream), WIN_ERROR_FILE_CORRUPT);
    EXPECT_EQ(AppendRunlist(&volume, second.data(), uint32_t(second.size()), 2, 3, &stream), WIN_ERROR_FILE_CORRUPT);
    ASSERT_EQ(AppendRunlist(&volume, second.data(), uint32_t(second.size()), 4, 5, &stream), 0u);
    ASSERT_EQ(stream.runCount, 2u);
    EXPECT_EQ(stream.runs[1].vcn, 4);
    EXPECT_EQ(stream.runs[1].lcn, 0x50);
    std::free(stream.runs);
}

struct DisjointCase {
    const char* name;
    std::vector<TestRun> runs;
    uint32_t status;
};

const DisjointCase DISJOINT_CASES[] = {
    {"disjoint runs in any order, sparse between", {{3, 0x10}, {5, -1}, {2, 0x40}, {2, 0x20}}, 0},
    {"runs that touch", {{2, 0x20}, {2, 0x1E}}, 0},
    {"the same clusters twice", {{2, 0x20}, {2, 0x20}}, WIN_ERROR_FILE_CORRUPT},
    {"a run inside another", {{8, 0x20}, {2, 0x24}}, WIN_ERROR_FILE_CORRUPT},
    {"a run over another's tail", {{4, 0x20}, {1, 0x50}, {4, 0x22}}, WIN_ERROR_FILE_CORRUPT},
};

TEST(Runlist, RunsSharingClustersAreRefused)
{
    NtfsVolume volume = Volume();
    for (const DisjointCase& c : DISJOINT_CASES) {
        NtfsStream stream{};
        Bytes bytes = EncodeRunlist(c.runs);
        int64_t clusters = 0;
        for (const TestRun& run : c.runs)
            clusters += run.length;
        ASSERT_EQ(AppendRunlist(&volume, bytes.data(), uint32_t(bytes.size()), 0, clusters - 1, &stream), 0u)
            << c.name;
        EXPECT_EQ(CheckRunsDisjoint(&stream), c.status) << c.name;
        std::free(stream.runs);
    }
}

TEST(Runlist, FindRunLocatesEveryCluster)
{
    NtfsVolume volume = Volume();
    NtfsStream stream{};
    Bytes bytes = EncodeRunlist({{3, 0x10}, {5, -1}, {1, 0x40}, {2, 0x20}});
    ASSERT_EQ(AppendRunlist(&volume, bytes.data(), uint32_t(bytes.size()), 0, 10, &stream), 0u);
    const size_t expected[] = {0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 3};
    for (int64_t vcn = 0; vcn <= 10; vcn++)
        EXPECT_EQ(FindRun(&stream, vcn), expected[vcn]) << vcn;
    EXPECT_EQ(FindRun(&stream, 11), stream.runCount);
    EXPECT_EQ(FindRun(&stream, -1), stream.runCount);
    std::free(stream.runs);
}

}  // namespace
