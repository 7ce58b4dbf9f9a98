// The byte sources on the platform at hand, over a real file: whole reads at any offset
// and length, the end of the source, and where stored data begins. Sources read in whole
// aligned units (as Windows disks are) must give the same bytes as any other.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/byte_source.h"
#include "base/windows_errors.h"
#include "read_handle.h"
#include "test_support.h"

namespace {

const uint64_t HOLE = 1 << 20;
const size_t STORED = 200 * 1000 + 17;  // not a whole number of sectors or blocks

unsigned char PatternAt(uint64_t offset)
{
    return static_cast<unsigned char>(offset * 7 + offset / 251);
}

// A file of a hole, then STORED bytes of the pattern.
std::string MakeFile()
{
    std::string path = "byte_source_test.bin";
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fseek(file, long(HOLE), SEEK_SET);
    for (uint64_t at = HOLE; at < HOLE + STORED; at++)
        std::fputc(PatternAt(at), file);
    std::fclose(file);
    return path;
}

struct ReadCase {
    const char* name;
    uint64_t offset;
    size_t length;
    uint32_t readStatus;   // of ReadBytes
    uint32_t probeStatus;  // of ProbeBytes
};

const uint64_t END = HOLE + STORED;

const ReadCase READS[] = {
    {"in the hole", 4096, 512, 0, 0},
    {"across the hole's end", HOLE - 100, 300, 0, 0},
    {"aligned", HOLE + 8192, 4096, 0, 0},
    {"unaligned start and length", HOLE + 4095, 3, 0, 0},
    {"across several 64 KiB blocks", HOLE + 1000, 150 * 1000, 0, 0},
    {"the last bytes", END - 17, 17, 0, 0},
    {"one byte past the end", END - 16, 17, WIN_ERROR_IO_DEVICE, SOURCE_ENDS_FIRST},
    {"from the end", END, 1, WIN_ERROR_IO_DEVICE, SOURCE_ENDS_FIRST},
    {"far past the end", END + (uint64_t(1) << 40), 8, WIN_ERROR_IO_DEVICE, SOURCE_ENDS_FIRST},
};

class ByteSourceTest : public testing::TestWithParam<uint32_t> {};

TEST_P(ByteSourceTest, ReadsEveryByteWhereverAsked)
{
    std::string path = MakeFile();
    intptr_t handle = OpenReadHandle(path);
    ASSERT_NE(handle, -1);
    ByteSource source = MakeByteSource(handle);
    ASSERT_TRUE(source.sized);
    EXPECT_EQ(source.size, END);
    source.readUnit = GetParam();
    for (const ReadCase& c : READS) {
        std::vector<unsigned char> got(c.length, 0xEE);
        EXPECT_EQ(ReadBytes(source, c.offset, got.data(), c.length), c.readStatus) << c.name;
        EXPECT_EQ(ProbeBytes(source, c.offset, got.data(), c.length), c.probeStatus) << c.name;
        if (c.readStatus != 0)
            continue;
        size_t wrong = 0;
        for (size_t i = 0; i < c.length; i++)
            wrong += got[i] != (c.offset + i < HOLE ? 0 : PatternAt(c.offset + i));
        EXPECT_EQ(wrong, 0u) << c.name;
    }
    CloseReadHandle(handle);
    std::remove(path.c_str());
}

// A platform may not know where a file's holes are, but it never passes over stored bytes.
TEST_P(ByteSourceTest, NextStoredOffsetNeverPassesStoredBytes)
{
    std::string path = MakeFile();
    intptr_t handle = OpenReadHandle(path);
    ASSERT_NE(handle, -1);
    ByteSource source = MakeByteSource(handle);
    source.readUnit = GetParam();
    uint64_t fromStart = NextStoredOffset(source, 0);
    EXPECT_LE(fromStart, HOLE);
    EXPECT_EQ(NextStoredOffset(source, HOLE), HOLE);
    EXPECT_EQ(NextStoredOffset(source, HOLE + 5), HOLE + 5);
    EXPECT_EQ(NextStoredOffset(source, END), END);
    CloseReadHandle(handle);
    std::remove(path.c_str());
}

// Read anywhere (files), or in whole 4096-byte units (Windows disks and volumes).
INSTANTIATE_TEST_SUITE_P(ReadUnits, ByteSourceTest, testing::Values(1u, 4096u));

}  // namespace
