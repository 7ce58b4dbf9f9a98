#include <gtest/gtest.h>

#include "cli/frn_parser.h"
#include "test_support.h"

namespace {

struct ParseCase {
    const char* text;
    uint64_t frn;
};

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReadsDecimalOrHex)
{
    const char* text = GetParam().text;
    WideString wide(text, text + std::strlen(text));
    EXPECT_EQ(ParseFileReferenceNumber(wide.c_str()), GetParam().frn) << text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseTest, testing::Values(
    ParseCase{"5", 5},
    ParseCase{"007", 7},
    ParseCase{"12abc", 12},
    ParseCase{"1.txt", 1},
    ParseCase{"0x0005000000000005", 0x0005000000000005},
    ParseCase{"0X1f", 31},
    ParseCase{"0xABCDEFabcdef", 0xABCDEFABCDEF},
    ParseCase{"0x", 0},
    ParseCase{"0xg1", 0},
    ParseCase{"0x10000000000000000", 0},
    ParseCase{"0x20000000000000001", 1},
    ParseCase{"0x1 2", 1},
    ParseCase{"18446744073709551616", 0},
    ParseCase{"18446744073709551615", 0xFFFFFFFFFFFFFFFF},
    ParseCase{"18446744073709551621", 5},
    ParseCase{"9x5", 9},
    ParseCase{"00x5", 0}));

}  // namespace
