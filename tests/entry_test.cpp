// The command forms: which volume is opened and which records are shown, from the
// arguments alone.
#include <gtest/gtest.h>

#include "cli/entry.h"
#include "fake_volume_ops.h"
#include "test_support.h"

namespace {

const uint64_t ROOT = 0x0005000000000005;
const uint64_t ROOT_AGAIN = 0x0006000000000005;
const uint64_t EXPLORER = 0x0001000000000040;
const uint64_t BIG = 0x0002000100000005;  // record number 2^32 + 5

Bytes Record(uint64_t frn, const char* name)
{
    return EncodeUsnRecord({frn, ROOT, 0x100, std::u16string(name, name + std::strlen(name))});
}

// One journal that shows which target was chosen: each record's name says its FRN.
void ScriptJournal()
{
    Fake().reads = {
        FakeRead{UsnBuffer(0x1000, {Record(ROOT, "root"), Record(ROOT_AGAIN, "root-again"),
                                    Record(EXPLORER, "explorer"), Record(BIG, "big")}), 0},
        FakeRead{UsnBuffer(0x1000, {}), 0}};
}

std::string Lines(std::vector<const char*> names)
{
    std::string text;
    for (const char* name : names)
        text += std::string("FILE_CREATE 0x0005000000000005 ") + name + "\n";
    return text;
}

const std::string ALL = Lines({"root", "root-again", "explorer", "big"});

struct FormCase {
    std::vector<WideString> arguments;  // after the program's name
    std::map<WideString, uint64_t> files;
    WideString volume;  // empty: the volume is never opened
    std::string expected;
    int status;
    uint32_t openError = 0;  // the volume open fails with this code
};

class FormTest : public testing::TestWithParam<FormCase> {};

TEST_P(FormTest, ChoosesVolumeAndTarget)
{
    const FormCase& c = GetParam();
    ResetFake(c.arguments);
    Fake().files = c.files;
    Fake().openError = c.openError;
    ScriptJournal();

    CaptureOutput();
    int status = JrnlpeekMain(0, nullptr);
    EXPECT_EQ(TakeOutput(), c.expected);
    EXPECT_EQ(status, c.status);
    if (c.volume.empty())
        EXPECT_TRUE(Fake().openedVolumes.empty());
    else
        EXPECT_EQ(Fake().openedVolumes, std::vector<WideString>{c.volume});
}

const WideString DRIVE_C = WIDE("\\\\.\\C:");

INSTANTIATE_TEST_SUITE_P(Forms, FormTest, testing::Values(
    FormCase{{WIDE("C:\\windows\\explorer.exe")}, {{WIDE("C:\\windows\\explorer.exe"), EXPLORER}},
             DRIVE_C, Lines({"explorer"}), 0},
    FormCase{{WIDE("C:")}, {}, DRIVE_C, ALL, 0},
    FormCase{{WIDE("C:foo")}, {}, DRIVE_C, ALL, 0},
    FormCase{{WIDE("C:/windows")}, {}, DRIVE_C, ALL, 0},
    FormCase{{WIDE("c:\\")}, {{WIDE("c:\\"), ROOT}}, WIDE("\\\\.\\c:"), Lines({"root"}), 0},
    FormCase{{WIDE("\\\\.\\C:"), WIDE("C:\\windows")}, {{WIDE("C:\\windows"), EXPLORER}},
             DRIVE_C, Lines({"explorer"}), 0},
    FormCase{{WIDE("C:"), WIDE("0")}, {}, DRIVE_C, ALL, 0},
    FormCase{{WIDE("C:"), WIDE("0x")}, {}, DRIVE_C, ALL, 0},
    FormCase{{WIDE("C:"), WIDE("5")}, {}, DRIVE_C, Lines({"root", "root-again"}), 0},
    FormCase{{WIDE("C:"), WIDE("0x0005000000000005")}, {}, DRIVE_C, Lines({"root"}), 0},
    FormCase{{WIDE("C:"), WIDE("4294967301")}, {}, DRIVE_C, Lines({"big"}), 0},
    FormCase{{WIDE("C:"), WIDE("-5")}, {{WIDE("-5"), EXPLORER}}, DRIVE_C, Lines({"explorer"}), 0},
    FormCase{{WIDE("C:"), WIDE("64.txt")}, {{WIDE("64.txt"), ROOT}}, DRIVE_C,
             Lines({"explorer"}), 0},
    FormCase{{WIDE("\\\\?\\Volume{00000000-0000-0000-0000-000000000000}")}, {},
             WIDE("\\\\?\\Volume{00000000-0000-0000-0000-000000000000}"), ALL, 0},
    FormCase{{WIDE("notes.txt")}, {{WIDE("notes.txt"), ROOT}}, WIDE("notes.txt"), ALL, 0},
    FormCase{{WIDE("/?")}, {}, WIDE("/?"), "Error 123: unable to open drive.\n", 1, 123},
    FormCase{{WIDE("C:\\no\\such\\file")}, {}, {},
             "Error 2: unable to get FRN from filename.\n", 1},
    FormCase{{WIDE("C:"), WIDE("")}, {}, {}, "Error 2: unable to get FRN from filename.\n", 1},
    FormCase{{WIDE("C:"), WIDE("missing.txt")}, {}, {},
             "Error 2: unable to get FRN from filename.\n", 1}));

TEST(Entry, OtherArgumentCountsShowTheUsageScreen)
{
    for (size_t count : {0, 3, 4}) {
        ResetFake();
        Fake().arguments.assign(count + 1, WIDE("C:"));
        CaptureOutput();
        EXPECT_EQ(JrnlpeekMain(0, nullptr), 1);
        std::string output = TakeOutput();
        EXPECT_EQ(output.substr(0, 10), "\n\n\nUsage:\n") << count;
        EXPECT_TRUE(Fake().openedVolumes.empty());
        EXPECT_TRUE(Fake().lookedUpFiles.empty());
    }
}

TEST(Entry, ANumberIsNeverLookedUpAsAFile)
{
    ResetFake();
    Fake().arguments = {WIDE("jrnlpeek.exe"), WIDE("C:"), WIDE("1.txt")};
    ScriptJournal();
    CaptureOutput();
    EXPECT_EQ(JrnlpeekMain(0, nullptr), 0);
    TakeOutput();
    EXPECT_TRUE(Fake().lookedUpFiles.empty());
}

TEST(Entry, ReportsACommandLineThatCannotBeRead)
{
    ResetFake();
    Fake().argumentsError = 8;
    CaptureOutput();
    EXPECT_EQ(JrnlpeekMain(0, nullptr), 1);
    EXPECT_EQ(TakeOutput(), "Error 8: unable to read the command line.\n");
}

}  // namespace
