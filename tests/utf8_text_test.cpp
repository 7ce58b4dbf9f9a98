// Linux command lines and paths: UTF-8 in, UTF-16 inside, the same bytes out again.
#include <gtest/gtest.h>

#include "base/utf8_text.h"

namespace {

struct TextCase {
    const char* what;
    std::string narrow;
    std::u16string wide;
};

class Utf8Test : public testing::TestWithParam<TextCase> {};

TEST_P(Utf8Test, DecodesAndEncodesBack)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(DecodeUtf8(c.narrow.c_str()), c.wide) << c.what;
    EXPECT_EQ(EncodeUtf8(c.wide.c_str()), c.narrow) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf8Test, testing::Values(
    TextCase{"ASCII", "/dev/sdb1", u"/dev/sdb1"},
    TextCase{"empty", "", u""},
    TextCase{"two-byte", "caf\xC3\xA9", u"caf\u00E9"},
    TextCase{"three-byte", "\xE4\xB8\xAD.txt", u"\u4E2D.txt"},
    TextCase{"four-byte, a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
    TextCase{"a Latin-1 byte that is not UTF-8", "caf\xE9", u"caf\xDCE9"},
    TextCase{"a truncated sequence", "a\xE4\xB8", u"a\xDCE4\xDCB8"},
    TextCase{"an overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF"},
    TextCase{"an encoded surrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"}));

}  // namespace
