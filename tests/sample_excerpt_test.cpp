// Real records written by Windows, through the walker. The expected lines were decoded
// from the bytes with a separate script (offsets, reasons and UTF-16 names), not by this
// program.
#include <gtest/gtest.h>


#include "journal/record_walker.h"
#include "test_support.h"

namespace {

bool ReadFile(const std::string& path, Bytes* bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    unsigned char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) != 0)
        bytes->insert(bytes->end(), block, block + got);
    std::fclose(file);
    return true;
}

const std::string ALL_LINES =
    "FILE_CREATE 0x0005000000000005 Nieuw - Tekstdocument.txt\n"
    "FILE_CREATE|CLOSE 0x0005000000000005 Nieuw - Tekstdocument.txt\n"
    "RENAME_OLD_NAME 0x0005000000000005 Nieuw - Tekstdocument.txt\n"
    "RENAME_NEW_NAME 0x0005000000000005 first.txt\n"
    "RENAME_NEW_NAME|CLOSE 0x0005000000000005 first.txt\n"
    "OBJECT_ID_CHANGE 0x0005000000000005 first.txt\n"
    "OBJECT_ID_CHANGE|CLOSE 0x0005000000000005 first.txt\n"
    "OBJECT_ID_CHANGE 0x0005000000000005 .\n"
    "DATA_EXTEND 0x0005000000000005 first.txt\n"
    "DATA_EXTEND|CLOSE 0x0005000000000005 first.txt\n"
    "FILE_CREATE 0x0005000000000005 Kopie van first.txt\n"
    "DATA_EXTEND|FILE_CREATE 0x0005000000000005 Kopie van first.txt\n"
    "DATA_EXTEND|FILE_CREATE|BASIC_INFO_CHANGE 0x0005000000000005 Kopie van first.txt\n"
    "DATA_OVERWRITE|DATA_EXTEND|FILE_CREATE|BASIC_INFO_CHANGE 0x0005000000000005 Kopie van first.txt\n"
    "DATA_OVERWRITE|DATA_EXTEND|FILE_CREATE|BASIC_INFO_CHANGE|CLOSE 0x0005000000000005 Kopie van first.txt\n"
    "RENAME_OLD_NAME 0x0005000000000005 Kopie van first.txt\n"
    "RENAME_NEW_NAME 0x0005000000000005 second.txt\n"
    "RENAME_NEW_NAME|CLOSE 0x0005000000000005 second.txt\n"
    "OBJECT_ID_CHANGE|CLOSE 0x0005000000000005 .\n";

struct ExcerptCase {
    uint64_t target;
    std::string expected;
};

class ExcerptTest : public testing::TestWithParam<ExcerptCase> {};

TEST_P(ExcerptTest, PrintsEveryRecordOfTheTarget)
{
    Bytes records;
    std::string path = std::string(JRNLPEEK_SAMPLES_DIR) + "/usnjrnl-excerpt.bin";
    if (!ReadFile(path, &records))
        GTEST_SKIP() << "sample journal data not found at " << path
                     << " (set JRNLPEEK_SAMPLES to the samples folder when configuring)";
    ASSERT_EQ(records.size(), 1728u);

    CaptureOutput();
    DumpRecords(records.data(), static_cast<uint32_t>(records.size()), GetParam().target);
    EXPECT_EQ(TakeOutput(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Targets, ExcerptTest, testing::Values(
    ExcerptCase{0, ALL_LINES},
    // The volume's root folder, by record number alone.
    ExcerptCase{5, "OBJECT_ID_CHANGE 0x0005000000000005 .\n"
                   "OBJECT_ID_CHANGE|CLOSE 0x0005000000000005 .\n"},
    ExcerptCase{0x000100000000001e, ALL_LINES.substr(0, ALL_LINES.find("OBJECT_ID_CHANGE 0x0005000000000005 .\n")) +
                                    "DATA_EXTEND 0x0005000000000005 first.txt\n"
                                    "DATA_EXTEND|CLOSE 0x0005000000000005 first.txt\n"},
    ExcerptCase{0x000200000000001e, ""}));

}  // namespace
