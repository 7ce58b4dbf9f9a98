// Walking the attributes of a record: each one must fit inside the record's used bytes.
#include <gtest/gtest.h>

#include "ntfs/attribute.h"
#include "ntfs/ntfs_types.h"
#include "ntfs_bytes.h"

namespace {

const uint32_t SIZE = 1024;
const size_t FIRST = 56;  // where MftRecord puts the first attribute of a 1 KiB record

// Unprotected, so the damage below stays where it is put.
Bytes Record(const std::vector<Bytes>& attributes)
{
    Bytes record = MftRecord(SIZE, 1, 1, 0, attributes);
    for (size_t stride = 1; stride <= SIZE / 512; stride++) {
        record[stride * 512 - 2] = record[48 + 2 * stride];
        record[stride * 512 - 1] = record[48 + 2 * stride + 1];
    }
    return record;
}

Bytes Stream()
{
    return NonResidentAttribute({0x80, u"$J", 3, 0x8000, 0, 9, EncodeRunlist({{10, 0x40}}), 40960, 40000, 40000});
}

TEST(Attribute, WalksResidentAndNonResident)
{
    Bytes record = Record({ResidentAttribute(0x10, u"", Bytes(72, 1), 0), Stream(),
                           ResidentAttribute(0x80, u"$Max", Bytes(32, 2), 5)});
    uint32_t offset = 0;
    NtfsAttribute a;
    ASSERT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), 0u);
    EXPECT_EQ(a.type, 0x10u);
    EXPECT_FALSE(a.nonResident);
    EXPECT_EQ(a.valueLength, 72u);
    ASSERT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), 0u);
    EXPECT_TRUE(a.nonResident);
    EXPECT_EQ(a.nameLength, 2u);
    EXPECT_EQ(a.flags, 0x8000);
    EXPECT_EQ(a.lastVcn, 9);
    EXPECT_EQ(a.dataSize, 40000u);
    ASSERT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), 0u);
    EXPECT_EQ(a.id, 5);
    EXPECT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), NTFS_NOT_FOUND);
}

TEST(Attribute, FindsByNameIgnoringCaseAndById)
{
    Bytes record = Record({ResidentAttribute(0x80, u"$max", Bytes(32, 2), 5), Stream(),
                           ResidentAttribute(0x80, u"", Bytes(8, 3), 7)});
    NtfsAttribute a;
    ASSERT_EQ(FindAttribute(record.data(), SIZE, 0x80, "$J", ANY_ATTRIBUTE_ID, &a), 0u);
    EXPECT_TRUE(a.nonResident);
    ASSERT_EQ(FindAttribute(record.data(), SIZE, 0x80, "$Max", ANY_ATTRIBUTE_ID, &a), 0u);
    EXPECT_EQ(a.id, 5);
    ASSERT_EQ(FindAttribute(record.data(), SIZE, 0x80, "", ANY_ATTRIBUTE_ID, &a), 0u);
    EXPECT_EQ(a.id, 7);
    EXPECT_EQ(FindAttribute(record.data(), SIZE, 0x80, "$J", 4, &a), NTFS_NOT_FOUND);
    EXPECT_EQ(FindAttribute(record.data(), SIZE, 0x80, "$Jx", ANY_ATTRIBUTE_ID, &a), NTFS_NOT_FOUND);
    EXPECT_EQ(FindAttribute(record.data(), SIZE, 0x90, "", ANY_ATTRIBUTE_ID, &a), NTFS_NOT_FOUND);
}

struct DamageCase {
    const char* name;
    size_t at;  // from the first attribute, which is the non-resident $J
    uint32_t value;
    uint32_t width;
};

const DamageCase DAMAGE[] = {
    {"length zero", 4, 0, 32},
    {"length below a header", 4, 16, 32},
    {"length past the used bytes", 4, 2000, 32},
    {"length wrapping around", 4, 0xFFFFFFF8, 32},
    {"non-resident header cut short", 4, 40, 32},
    {"form byte neither 0 nor 1", 8, 2, 16},
    {"name past the attribute", 10, 200, 16},
    {"runlist offset inside the header", 32, 24, 16},
    {"runlist offset past the attribute", 32, 400, 16},
};

TEST(Attribute, RefusesAttributesThatDoNotFit)
{
    for (const DamageCase& d : DAMAGE) {
        Bytes record = Record({Stream(), ResidentAttribute(0x80, u"$Max", Bytes(32, 2), 5)});
        if (d.width == 32)
            Put32(record, FIRST + d.at, d.value);
        else
            Put16(record, FIRST + d.at, static_cast<uint16_t>(d.value));
        uint32_t offset = 0;
        NtfsAttribute a;
        uint32_t status = NextAttribute(record.data(), SIZE, &offset, &a);
        EXPECT_EQ(status, WIN_ERROR_FILE_CORRUPT) << d.name;
    }
}

TEST(Attribute, ResidentValuePastTheAttribute)
{
    Bytes record = Record({ResidentAttribute(0x80, u"$Max", Bytes(32, 2), 5)});
    Put32(record, FIRST + 16, 33);
    uint32_t offset = 0;
    NtfsAttribute a;
    EXPECT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), WIN_ERROR_FILE_CORRUPT);
}

TEST(Attribute, MissingEndMarker)
{
    Bytes record = Record({ResidentAttribute(0x80, u"$Max", Bytes(32, 2), 5)});
    uint32_t used = record[24] | record[25] << 8;
    Put32(record, 24, used - 6);  // the end marker's last bytes fall outside the used bytes
    uint32_t offset = 0;
    NtfsAttribute a;
    ASSERT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), 0u);
    EXPECT_EQ(NextAttribute(record.data(), SIZE, &offset, &a), WIN_ERROR_FILE_CORRUPT);
}

}  // namespace
