// What the readers say, for an examiner who asks, when they refuse an input or skip part
// of a journal: the structure and where it lies in the input. Standard output and the
// results are the same whether anyone asks or not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "test_journal.h"

namespace {

std::string Hex(uint64_t value)
{
    std::ostringstream text;
    text << "0x" << std::uppercase << std::hex << value;
    return text.str();
}

// Runs `action` with diagnostics on and returns what they said.
template <typename Action>
std::string Said(Action action)
{
    FILE* capture = std::tmpfile();
    SetDiagnosticStream(capture);
    EnableDiagnostics(true);
    action();
    EnableDiagnostics(false);
    SetDiagnosticStream(nullptr);
    std::string text;
    std::rewind(capture);
    for (int c; (c = std::fgetc(capture)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(capture);
    return text;
}

void Patch(int fd, uint64_t at, const Bytes& bytes)
{
    ASSERT_TRUE(WriteAt(fd, at, bytes));
}

Bytes U32(uint32_t value)
{
    Bytes bytes(4, 0);
    Put32(bytes, 0, value);
    return bytes;
}

VolumeShape WithRecords()
{
    VolumeShape shape;
    for (int i = 0; i < 3; i++)
        AddRecord(shape.journal, UsnFields{});
    return shape;
}

struct DiagnosticCase {
    const char* name;
    // Makes the input in `opened`, opens and reads it; returns the lines expected among
    // those said, each as a part of one line.
    std::vector<std::string> (*run)(TestJournal* opened);
};

// Opens the volume that `shape` describes after `damage` changed it, and reads it.
template <typename Damage>
void OpenDamaged(const VolumeShape& shape, TestJournal* opened, Damage damage)
{
    opened->fd = MakeImageFile();
    VolumeLayout layout = WriteVolume(opened->fd, 0, shape);
    damage(opened->fd, layout);
    if (OpenUsnJrnl(MakeByteSource(opened->fd), &opened->journal) == 0)
        ReadToEnd(opened->journal, EveryRecord(opened->journal));
}

const DiagnosticCase CASES[] = {
    {"neither a volume nor a journal",
     [](TestJournal* opened) {
         EXPECT_EQ(OpenExported(Bytes(4096, 0x5A), 0, HEAD_HOLE, opened), WIN_ERROR_INVALID_FUNCTION);
         return std::vector<std::string>{"input at 0x0: neither an NTFS boot sector nor a partition table",
                                         "file at 0x0: the first stored bytes are not a USN record: "
                                         "RecordLength is not a multiple of 8"};
     }},
    {"nothing stored but zeros",
     [](TestJournal* opened) {
         EXPECT_EQ(OpenExported({}, 1 << 20, HEAD_STORED_ZEROS, opened), WIN_ERROR_INVALID_FUNCTION);
         return std::vector<std::string>{"file of 1048576 bytes: nothing but zeros and holes, no USN record"};
     }},
    {"a disk without an NTFS partition",
     [](TestJournal* opened) {
         opened->fd = MakeImageFile();
         WriteMbr(opened->fd, {{0x83, false, 2048}});
         WriteVolume(opened->fd, 1 << 20, WithRecords());
         EXPECT_EQ(OpenUsnJrnl(MakeByteSource(opened->fd), &opened->journal), WIN_ERROR_INVALID_FUNCTION);
         return std::vector<std::string>{"MBR partition table at 0x0: no partition typed NTFS"};
     }},
    {"an impossible boot sector",
     [](TestJournal* opened) {
         OpenDamaged(WithRecords(), opened, [](int fd, const VolumeLayout&) { Patch(fd, 11, {0x00, 0x03}); });
         return std::vector<std::string>{"NTFS boot sector at 0x0: bytes per sector is not a power of two"};
     }},
    {"a torn MFT record",
     [](TestJournal* opened) {
         uint64_t at = 0;
         OpenDamaged(WithRecords(), opened, [&](int fd, const VolumeLayout& layout) {
             at = layout.extendOffset;
             Patch(fd, at + 510, {0x12, 0x34});
         });
         return std::vector<std::string>{"update sequence: bytes 0x1FE hold 0x3412",
                                         "MFT record 11 at " + Hex(at) + ": not a sound MFT record"};
     }},
    {"an attribute past its record's used size",
     [](TestJournal* opened) {
         uint64_t at = 0;
         OpenDamaged(WithRecords(), opened, [&](int fd, const VolumeLayout& layout) {
             at = layout.usnJrnlOffset;
             Patch(fd, at + 0x18, U32(0x60));  // the record's used size
         });
         return std::vector<std::string>{"at 0x38 of its MFT record: length 0x50 ends at 0x88, past the "
                                         "record's used size 0x60",
                                         "MFT record 38 at " + Hex(at) + ": its attribute 0x80 $J cannot be read"};
     }},
    {"no journal",
     [](TestJournal* opened) {
         VolumeShape shape = WithRecords();
         shape.hasJournal = false;
         OpenDamaged(shape, opened, [](int, const VolumeLayout&) {});
         return std::vector<std::string>{"MFT record 11 at", "$Extend's index holds no $UsnJrnl: no journal"};
     }},
    {"journal being deleted",
     [](TestJournal* opened) {
         VolumeShape shape = WithRecords();
         shape.volumeFlags = 0x0010;
         OpenDamaged(shape, opened, [](int, const VolumeLayout&) {});
         return std::vector<std::string>{"MFT record 3 at", "$Volume says the journal is being deleted"};
     }},
    {"an image cut short",
     [](TestJournal* opened) {
         uint64_t end = 0;
         OpenDamaged(WithRecords(), opened, [&](int fd, const VolumeLayout& layout) {
             end = layout.extendOffset;
             ASSERT_EQ(ftruncate(fd, off_t(end)), 0);
         });
         return std::vector<std::string>{"input ends at " + Hex(end),
                                         "MFT record 11 at " + Hex(end) + ": cannot be read"};
     }},
    {"a damaged record in $J",
     [](TestJournal* opened) {
         VolumeShape shape;
         AddRecord(shape.journal, UsnFields{});
         UsnFields damaged;
         damaged.recordLength = 8192;
         AddRecord(shape.journal, damaged);
         PadPage(shape.journal);
         AddRecord(shape.journal, UsnFields{}, 0);
         uint64_t input = 0;
         OpenDamaged(shape, opened, [&](int, const VolumeLayout& layout) { input = layout.journalOffset + 0x50; });
         return std::vector<std::string>{"$J at 0x50 (input offset " + Hex(input) +
                                         "): RecordLength runs past its page (RecordLength 0x2000, "
                                         "MajorVersion 2); skipped to 0x1000"};
     }},
    {"a damaged record in an exported $J",
     [](TestJournal* opened) {
         Bytes stored;
         AddRecord(stored, UsnFields{}, 4096);
         AddRecord(stored, UsnFields{}, 4096);
         Put16(stored, 0x50 + 4, 7);  // the second record's MajorVersion
         EXPECT_EQ(OpenExported(stored, 4096, HEAD_HOLE, opened), 0u);
         ReadToEnd(opened->journal, EveryRecord(opened->journal));
         return std::vector<std::string>{"input read as an exported $J: its first record at 0x1000, its end "
                                         "at 0x10A0",
                                         "$J at 0x1050: MajorVersion is not 2, 3 or 4 (RecordLength 0x50, "
                                         "MajorVersion 7); skipped to 0x10A0"};
     }},
};

TEST(Diagnostics, NameWhatWasRefusedAndWhere)
{
    for (const DiagnosticCase& c : CASES) {
        TestJournal opened;
        std::vector<std::string> expected;
        std::string said = Said([&] { expected = c.run(&opened); });
        for (const std::string& part : expected)
            EXPECT_NE(said.find(part), std::string::npos) << c.name << ": no \"" << part << "\" in:\n" << said;
    }
}

TEST(Diagnostics, SayNothingUnlessAsked)
{
    FILE* capture = std::tmpfile();
    SetDiagnosticStream(capture);
    TestJournal opened;
    EXPECT_EQ(OpenExported(Bytes(4096, 0x5A), 0, HEAD_HOLE, &opened), WIN_ERROR_INVALID_FUNCTION);
    EXPECT_EQ(std::ftell(capture), 0);
    SetDiagnosticStream(nullptr);
    std::fclose(capture);
}

}  // namespace
