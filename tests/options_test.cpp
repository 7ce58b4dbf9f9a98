// The long options beside the command forms: the forms keep their arguments and counts,
// the formats reach the reader, and in a format every message goes apart from the rows.
#include <gtest/gtest.h>

#include "base/diagnostics.h"
#include "cli/entry.h"
#include "fake_volume_ops.h"
#include "test_support.h"

namespace {

const uint64_t ROOT = 0x0005000000000005;
const uint64_t FILE_A = 0x0001000000000040;
const uint64_t FILE_B = 0x0002000000000041;

Bytes Record(uint64_t frn, const char16_t* name)
{
    UsnFields f;
    f.frn = frn;
    f.parent = ROOT;
    f.reason = 0x100;
    f.name = name;
    f.usn = 0x1000;
    f.timeStamp = 116444736000000000;  // 1970-01-01T00:00:00Z
    f.attributes = 0;
    return EncodeUsnRecord(f);
}

void ScriptJournal()
{
    Fake().journal.UsnJournalID = 7;
    Fake().reads = {FakeRead{UsnBuffer(0x2000, {Record(FILE_A, u"a"), Record(FILE_B, u"b")}), 0},
                    FakeRead{UsnBuffer(0x2000, {}), 0}};
}

const std::string EVENTS = "FILE_CREATE 0x0005000000000005 a\nFILE_CREATE 0x0005000000000005 b\n";
const std::string CSV_HEADER =
    "Usn,TimeStamp,Name,ParentPath,Reason,FileAttributes,FileEntry,FileSequence,ParentEntry,"
    "ParentSequence,FileReferenceNumber,ParentFileReferenceNumber,SourceInfo,SecurityId,"
    "MajorVersion,MinorVersion,RecordLength\r\n";

std::string CsvRow(uint64_t frn, const char* name)
{
    char hex[17];
    for (int i = 0; i < 16; ++i)
        hex[i] = "0123456789abcdef"[frn >> (60 - 4 * i) & 0xF];
    hex[16] = 0;
    return std::string("4096,1970-01-01T00:00:00.0000000Z,") + name + ",\\,FILE_CREATE,," +
           std::to_string(frn & 0xFFFFFFFFFFFF) + "," + std::to_string(frn >> 48) + ",5,5,0x" +
           hex + ",0x0005000000000005,,0,2,0,64\r\n";
}

std::string BodyLine(const char* entry, const char* name)
{
    return std::string("0|") + name + " (FILE_CREATE)|" + entry +
           "|r/rrwxrwxrwx|0|0|0|0.0000000|0.0000000|0.0000000|0.0000000" + OUTPUT_LINE_END;
}

std::string TestFile(const char* name)
{
    std::string text;
    FILE* file = std::fopen((std::string(JRNLPEEK_TESTS_DIR "/") + name).c_str(), "rb");
    if (file != nullptr)
        text = ReadBack(file);
    return text;
}

// The usage screen, and for --help the options after it: one copy of each for every test.
std::string UsageScreen()
{
    return TestFile("usage_screen.txt");
}

std::string HelpScreen()
{
    return TestFile("usage_screen.txt") + TestFile("help_options.txt");
}

const WideString DRIVE_C = WIDE("\\\\.\\C:");
const std::string USAGE = "(usage)";  // stands for the usage screen in the table
const std::string HELP = "(help)";

struct OptionCase {
    std::vector<WideString> arguments;  // after the program's name
    WideString volume;                  // empty: the volume is never opened
    std::string output;
    std::string messages;  // apart from the output
    int status;
    uint16_t maxVersion = 0;  // of the read requests
    std::map<WideString, uint64_t> files = {};
    uint32_t openError = 0;
};

class OptionTest : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionTest, KeepsTheFormsAndChoosesTheOutput)
{
    const OptionCase& c = GetParam();
    ResetFake(c.arguments);
    Fake().files = c.files;
    Fake().openError = c.openError;
    ScriptJournal();

    CaptureOutput();
    CaptureMessages();
    int status = JrnlpeekMain(0, nullptr);
    std::string expected = c.output == USAGE ? UsageScreen()
                         : c.output == HELP  ? HelpScreen()
                                             : c.output;
    EXPECT_EQ(TakeOutput(), expected);
    EXPECT_EQ(TakeMessages(), c.messages);
    EXPECT_EQ(status, c.status);
    if (c.volume.empty())
        EXPECT_TRUE(Fake().openedVolumes.empty());
    else
        EXPECT_EQ(Fake().openedVolumes, std::vector<WideString>{c.volume});
    for (const ReadUsnJournalData& request : Fake().requests) {
        EXPECT_EQ(request.MaxMajorVersion, c.maxVersion);
        EXPECT_EQ(request.MinMajorVersion, c.maxVersion == 0 ? 0 : 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, OptionTest, testing::Values(
    // Each format, before or after the plain arguments, with the target filter.
    OptionCase{{WIDE("--csv"), WIDE("C:")}, DRIVE_C,
               CSV_HEADER + CsvRow(FILE_A, "a") + CsvRow(FILE_B, "b"), "", 0, 3},
    OptionCase{{WIDE("C:"), WIDE("0x0002000000000041"), WIDE("--csv")}, DRIVE_C,
               CSV_HEADER + CsvRow(FILE_B, "b"), "", 0, 3},
    OptionCase{{WIDE("C:"), WIDE("--json"), WIDE("64")}, DRIVE_C,
               "{\"Usn\":4096,\"TimeStamp\":\"1970-01-01T00:00:00.0000000Z\",\"Name\":\"a\","
               "\"ParentPath\":\"\\\\\",\"Reason\":\"FILE_CREATE\",\"FileAttributes\":\"\",\"FileEntry\":64,"
               "\"FileSequence\":1,\"ParentEntry\":5,\"ParentSequence\":5,"
               "\"FileReferenceNumber\":\"0x0001000000000040\","
               "\"ParentFileReferenceNumber\":\"0x0005000000000005\",\"SourceInfo\":\"\","
               "\"SecurityId\":0,\"MajorVersion\":2,\"MinorVersion\":0,\"RecordLength\":64}" +
                   std::string(OUTPUT_LINE_END),
               "", 0, 3},
    OptionCase{{WIDE("--body"), WIDE("C:\\a.txt")}, DRIVE_C, BodyLine("64-1", "/a"), "", 0, 3,
               {{WIDE("C:\\a.txt"), FILE_A}}},
    OptionCase{{WIDE("--verbose"), WIDE("C:")}, DRIVE_C, EVENTS, "", 0},
    OptionCase{{WIDE("C:"), WIDE("--verbose")}, DRIVE_C, EVENTS, "", 0},
    OptionCase{{WIDE("--csv"), WIDE("--csv"), WIDE("C:")}, DRIVE_C,
               CSV_HEADER + CsvRow(FILE_A, "a") + CsvRow(FILE_B, "b"), "", 0, 3},
    // The forms' own edge cases are unchanged, and their messages go apart in a format.
    OptionCase{{WIDE("/?")}, WIDE("/?"), "Error 123: unable to open drive.\n", "", 1, 0, {}, 123},
    OptionCase{{WIDE("--csv"), WIDE("/?")}, WIDE("/?"), "", "Error 123: unable to open drive.\n",
               1, 0, {}, 123},
    OptionCase{{WIDE("-h")}, WIDE("-h"), EVENTS, "", 0},
    OptionCase{{WIDE("--json"), WIDE("-h")}, WIDE("-h"), "", "Error 2: unable to open drive.\n", 1,
               0, {}, 2},
    OptionCase{{WIDE("C:"), WIDE("-5"), WIDE("--csv")}, {}, "",
               "Error 2: unable to get FRN from filename.\n", 1},
    OptionCase{{WIDE("C:"), WIDE("-5")}, {}, "Error 2: unable to get FRN from filename.\n", "", 1},
    OptionCase{{WIDE("C:"), WIDE("1.txt"), WIDE("--body")}, DRIVE_C, "", "", 0, 3},
    OptionCase{{}, {}, USAGE, "", 1},
    OptionCase{{WIDE("--csv")}, {}, USAGE, "", 1},
    OptionCase{{WIDE("--verbose"), WIDE("--json")}, {}, USAGE, "", 1},
    OptionCase{{WIDE("C:"), WIDE("5"), WIDE("6"), WIDE("--csv")}, {}, USAGE, "", 1},
    OptionCase{{WIDE("C:"), WIDE("5"), WIDE("6")}, {}, USAGE, "", 1},
    // "--" ends the options; what is not "--" and a letter was never an option.
    OptionCase{{WIDE("--"), WIDE("--csv")}, WIDE("--csv"), EVENTS, "", 0},
    OptionCase{{WIDE("--json"), WIDE("--"), WIDE("--csv")}, WIDE("--csv"), "",
               "Error 2: unable to open drive.\n", 1, 0, {}, 2},
    OptionCase{{WIDE("--"), WIDE("C:"), WIDE("--")}, {},
               "Error 2: unable to get FRN from filename.\n", "", 1},
    OptionCase{{WIDE("--")}, {}, USAGE, "", 1},
    OptionCase{{WIDE("--5")}, WIDE("--5"), EVENTS, "", 0},
    OptionCase{{WIDE("---csv")}, WIDE("---csv"), EVENTS, "", 0},
    OptionCase{{WIDE("-csv")}, WIDE("-csv"), EVENTS, "", 0},
    // Options that are not ours, or that contradict each other.
    OptionCase{{WIDE("--bogus"), WIDE("C:")}, {}, "Error 87: unknown option --bogus.\n", "", 1},
    OptionCase{{WIDE("C:"), WIDE("--CSV")}, {}, "Error 87: unknown option --CSV.\n", "", 1},
    OptionCase{{WIDE("--csv="), WIDE("C:")}, {}, "Error 87: unknown option --csv=.\n", "", 1},
    OptionCase{{WIDE("--json"), WIDE("--b\u00e9")}, {}, "",
               "Error 87: unknown option --b\xc3\xa9.\n", 1},
    OptionCase{{WIDE("--csv"), WIDE("C:"), WIDE("--json")}, {}, "",
               "Error 87: --json cannot be used with --csv.\n", 1},
    OptionCase{{WIDE("--bogus"), WIDE("--csv"), WIDE("--json"), WIDE("--other")}, {}, "",
               "Error 87: unknown option --bogus.\n", 1},
    // Help and version, whatever else is given.
    OptionCase{{WIDE("--help")}, {}, HELP, "", 0},
    OptionCase{{WIDE("C:"), WIDE("5"), WIDE("6"), WIDE("--help")}, {}, HELP, "", 0},
    OptionCase{{WIDE("--version")}, {}, "jrnlpeek " JRNLPEEK_VERSION "\n", "", 0},
    OptionCase{{WIDE("--csv"), WIDE("--version"), WIDE("C:")}, {},
               "jrnlpeek " JRNLPEEK_VERSION "\n", "", 0}));

// A read that fails after rows were written: the rows stay, the message goes apart.
TEST(Options, AReadErrorInAFormatLeavesTheRowsAndGoesToStandardError)
{
    ResetFake();
    Fake().arguments = {WIDE("jrnlpeek.exe"), WIDE("--csv"), WIDE("C:")};
    ScriptJournal();
    Fake().reads[1] = FakeRead{{}, 1117};
    CaptureOutput();
    CaptureMessages();
    EXPECT_EQ(JrnlpeekMain(0, nullptr), 1);
    EXPECT_EQ(TakeOutput(), CSV_HEADER + CsvRow(FILE_A, "a") + CsvRow(FILE_B, "b"));
    EXPECT_EQ(TakeMessages(), "Error 1117: unable to read USN journal.\n");
}

TEST(Options, VerboseTurnsTheDiagnosticsOnForItsRunOnly)
{
    for (bool verbose : {true, false}) {
        ResetFake();
        Fake().arguments = {WIDE("jrnlpeek.exe"), WIDE("C:")};
        if (verbose)
            Fake().arguments.push_back(WIDE("--verbose"));
        ScriptJournal();
        CaptureOutput();
        EXPECT_EQ(JrnlpeekMain(0, nullptr), 0);
        EXPECT_EQ(TakeOutput(), EVENTS);
        EXPECT_EQ(DiagnosticsEnabled(), verbose);
    }
}

}  // namespace
