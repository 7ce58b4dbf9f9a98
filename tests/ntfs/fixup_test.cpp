// Update-sequence fixups and the MFT record header checks built on them.
#include <gtest/gtest.h>

#include <cstring>

#include "ntfs/fixup.h"
#include "ntfs/mft_record.h"
#include "ntfs_bytes.h"

namespace {

Bytes GoodRecord(uint32_t size)
{
    return MftRecord(size, 1, 1, 0, {ResidentAttribute(0x80, u"", Bytes(40, 0xAB), 0)});
}

struct RecordCase {
    const char* name;
    uint32_t size;
    void (*damage)(Bytes& record);
    uint32_t status;
};

const RecordCase CASES[] = {
    {"good 1 KiB record", 1024, [](Bytes&) {}, 0},
    {"good 4 KiB record", 4096, [](Bytes&) {}, 0},
    {"torn second stride", 1024, [](Bytes& r) { r[1022] ^= 1; }, WIN_ERROR_FILE_CORRUPT},
    {"torn last stride of 8", 4096, [](Bytes& r) { r[4095] ^= 1; }, WIN_ERROR_FILE_CORRUPT},
    {"array count too small", 1024, [](Bytes& r) { Put16(r, 6, 2); }, WIN_ERROR_FILE_CORRUPT},
    {"array count too large", 1024, [](Bytes& r) { Put16(r, 6, 4); }, WIN_ERROR_FILE_CORRUPT},
    {"array past the first stride", 1024, [](Bytes& r) { Put16(r, 4, 508); }, WIN_ERROR_FILE_CORRUPT},
    {"array over the header", 1024, [](Bytes& r) { Put16(r, 4, 2); }, WIN_ERROR_FILE_CORRUPT},
    {"BAAD signature", 1024, [](Bytes& r) { std::memcpy(r.data(), "BAAD", 4); }, WIN_ERROR_FILE_CORRUPT},
    {"used size past the record", 1024, [](Bytes& r) { Put32(r, 24, 1028); }, WIN_ERROR_FILE_CORRUPT},
    {"used size zero", 1024, [](Bytes& r) { Put32(r, 24, 0); }, WIN_ERROR_FILE_CORRUPT},
    {"first attribute inside the header", 1024, [](Bytes& r) { Put16(r, 20, 8); }, WIN_ERROR_FILE_CORRUPT},
    {"first attribute past the used size", 1024, [](Bytes& r) { Put16(r, 20, 1020); }, WIN_ERROR_FILE_CORRUPT},
};

TEST(MftRecord, FixupsAndHeader)
{
    for (const RecordCase& c : CASES) {
        Bytes record = GoodRecord(c.size);
        c.damage(record);
        EXPECT_EQ(CheckMftRecord(record.data(), c.size), c.status) << c.name;
    }
}

TEST(MftRecord, FixupsRestoreTheProtectedBytes)
{
    Bytes block(1536, 0);
    for (size_t i = 0; i < block.size(); i++)
        block[i] = static_cast<unsigned char>(i * 7);
    Bytes original = block;
    ProtectWithFixups(block, 40, 0x1234);
    ASSERT_TRUE(ApplyFixups(block.data(), 1536));
    for (size_t stride = 1; stride <= 3; stride++) {
        EXPECT_EQ(block[stride * 512 - 2], original[stride * 512 - 2]);
        EXPECT_EQ(block[stride * 512 - 1], original[stride * 512 - 1]);
    }
    EXPECT_FALSE(ApplyFixups(block.data(), 1000)) << "not a whole number of strides";
}

}  // namespace
