// The usage screen, byte for byte, against tests/usage_screen.txt: the one copy of the
// screen that every test of it (here, on Linux end to end, under Wine) expects.
#include <gtest/gtest.h>

#include "cli/usage.h"
#include "test_support.h"

namespace {

std::string ExpectedScreen()
{
    FILE* file = std::fopen(JRNLPEEK_TESTS_DIR "/usage_screen.txt", "rb");
    return file != nullptr ? ReadBack(file) : std::string();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(Usage, WritesTheScreenByteForByte)
{
    std::string expected = ExpectedScreen();
    ASSERT_FALSE(expected.empty()) << "tests/usage_screen.txt not found";
    CaptureOutput();
    PrintUsage();
    EXPECT_EQ(TakeOutput(), expected);
}

TEST(Usage, ScreenHasItsShape)
{
    std::string screen = ExpectedScreen();
    std::vector<std::string> lines = Lines(screen);
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(screen.back(), '\n');
    for (int empty : {1, 2, 3, 8, 15, 23})
        EXPECT_EQ(lines[empty - 1], "") << "line " << empty;
    for (int example : {11, 20, 26})
        EXPECT_EQ(lines[example - 1], "\tFor example:") << "line " << example;
    EXPECT_EQ(lines[12], "\tjrnlpeek.exe \\\\.\\C:");
    EXPECT_EQ(lines[26], "\tjrnlpeek.exe C:\\windows\\explorer.exe");
}

}  // namespace
