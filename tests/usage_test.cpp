#include <gtest/gtest.h>

#include "cli/usage.h"
#include "test_support.h"

namespace {

TEST(Usage, WritesTheScreenByteForByte)
{
    const char* lines[] = {
        "",
        "",
        "",
        "Usage:",
        "jrnlpeek.exe <volume> [file-reference-number]",
        "-or-",
        "jrnlpeek.exe <filename>",
        "",
        "<volume>",
        "\tThe volume path.",
        "\tFor example:",
        "\tjrnlpeek.exe C:",
        "\t" R"(jrnlpeek.exe \\.\C:)",
        "\t" R"(jrnlpeek.exe \\?\Volume{00000000-0000-0000-0000-000000000000})",
        "",
        "[file-reference-number]",
        "\tThe file reference number in hexidecimal or decimal.",
        "\tThe sequence number is ignored if 0.",
        "\tAll USN journal events are shown if omitted.",
        "\tFor example:",
        "\tjrnlpeek.exe C: 0x0005000000000005",
        "\tjrnlpeek.exe C: 5",
        "",
        "<filename>",
        "\tShow USN journal events for the specified file or folder.",
        "\tFor example:",
        "\t" R"(jrnlpeek.exe C:\windows\explorer.exe)",
    };
    std::string expected;
    for (const char* line : lines)
        expected += std::string(line) + "\n";
    ASSERT_EQ(sizeof lines / sizeof lines[0], 27u);

    CaptureOutput();
    PrintUsage();
    EXPECT_EQ(TakeOutput(), expected);
}

}  // namespace
