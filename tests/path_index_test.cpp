// Paths at the time of each record: the MFT's state rolled back to the journal's start,
// then moved forward record by record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytes.h"
#include "journal/path_index.h"

namespace {

const uint64_t ROOT = 0x0005000000000005;

uint64_t Ref(uint16_t sequence, uint64_t number)
{
    return uint64_t(sequence) << 48 | number;
}

// The path as narrow text; the tests' names are ASCII.
std::string Narrow(const Bytes& path, uint32_t units)
{
    std::string text;
    for (uint32_t i = 0; i < units; ++i)
        text += static_cast<char>(path[2 * i] | path[2 * i + 1] << 8);
    return text;
}

struct MftFile {
    uint64_t number;
    uint16_t sequence;
    uint64_t parent;
    std::u16string name;
};

struct Step {
    uint64_t frn;
    uint64_t parent;
    std::u16string name;
    const char* expected;  // the record's folder, as its line shows it
};

struct PathCase {
    const char* name;
    std::vector<MftFile> mft;
    std::vector<Step> journal;
    uint64_t mftRecords = 80;  // 0: no MFT at all
};

const uint64_t DOCS = Ref(2, 64);
const uint64_t DOCS_REUSED = Ref(3, 64);
const uint64_t SUB = Ref(1, 65);

const PathCase PATH_CASES[] = {
    {"files in the root and in a folder the MFT knows",
     {{64, 2, ROOT, u"Docs"}},
     {{Ref(1, 70), ROOT, u"a.txt", "\\"}, {Ref(1, 71), DOCS, u"b.txt", "\\Docs"}}},
    {"a folder renamed since: the old name before the rename, the new one after",
     {{64, 2, ROOT, u"Reports"}},
     {{Ref(1, 71), DOCS, u"b.txt", "\\Docs"},
      {DOCS, ROOT, u"Docs", "\\"},
      {DOCS, ROOT, u"Reports", "\\"},
      {Ref(1, 71), DOCS, u"b.txt", "\\Reports"}}},
    {"a path made again once a folder on it is renamed",
     {{64, 2, ROOT, u"Docs"}, {65, 1, DOCS, u"Sub"}},
     {{Ref(1, 71), SUB, u"b.txt", "\\Docs\\Sub"},
      {Ref(1, 72), SUB, u"c.txt", "\\Docs\\Sub"},
      {DOCS, ROOT, u"Docs", "\\"},
      {DOCS, ROOT, u"Papers", "\\"},
      {Ref(1, 73), SUB, u"d.txt", "\\Papers\\Sub"}}},
    {"a folder moved into another",
     {{64, 2, SUB, u"Docs"}, {65, 1, ROOT, u"Sub"}},
     {{Ref(1, 71), DOCS, u"b.txt", "\\Docs"},
      {DOCS, ROOT, u"Docs", "\\"},
      {DOCS, SUB, u"Docs", "\\Sub"},
      {Ref(1, 71), DOCS, u"b.txt", "\\Sub\\Docs"}}},
    {"a folder deleted and its record reused by a file: old records keep the folder",
     {{64, 3, ROOT, u"new.bin"}},
     {{Ref(1, 71), DOCS, u"b.txt", "\\Docs"},
      {DOCS, ROOT, u"Docs", "\\"},
      {DOCS_REUSED, ROOT, u"new.bin", "\\"}}},
    {"a folder reused since and not in the journal is unknown, never the newcomer",
     {{64, 3, ROOT, u"new.bin"}},
     {{Ref(1, 71), DOCS, u"b.txt", "\\<unknown 0x0002000000000040>"}}},
    {"a known folder below an unknown one",
     {{65, 1, Ref(9, 99), u"Sub"}},
     {{Ref(1, 71), SUB, u"b.txt", "\\<unknown 0x0009000000000063>\\Sub"}}},
    {"no MFT: a folder's oldest record names it from the journal's start",
     {},
     {{SUB, DOCS, u"Sub", "\\Docs"},
      {DOCS, ROOT, u"Docs", "\\"},
      {Ref(1, 71), SUB, u"b.txt", "\\Docs\\Sub"},
      {Ref(1, 72), Ref(4, 66), u"c.txt", "\\<unknown 0x0004000000000042>"}},
     0},
    {"a folder that is its own parent",
     {{64, 2, DOCS, u"Docs"}},
     {{Ref(1, 71), DOCS, u"b.txt", nullptr}}},
    {"a reference without a sequence number matches any",
     {{64, 2, ROOT, u"Docs"}},
     {{Ref(1, 71), 64, u"b.txt", "\\Docs"}}},
};

TEST(PathIndex, PathsAtTheTimeOfEachRecord)
{
    for (const PathCase& c : PATH_CASES) {
        PathIndex index;
        InitPathIndex(&index, c.mftRecords);
        for (const MftFile& file : c.mft) {
            Bytes name = Utf16Bytes(file.name);
            SetMftEntry(&index, file.number, file.sequence, file.parent, name.data(),
                        uint32_t(file.name.size()), 1);
        }
        for (const Step& step : c.journal) {
            Bytes name = Utf16Bytes(step.name);
            NoteOldestRecord(&index, step.frn, step.parent, name.data(), uint32_t(step.name.size()));
        }
        // Made as the formats make them: once for a run of records, while nothing on the
        // path changes.
        Bytes path(PATH_BUFFER_BYTES);
        PathCache cache = {};
        for (size_t i = 0; i < c.journal.size(); ++i) {
            const Step& step = c.journal[i];
            std::string written =
                Narrow(path, WriteParentPathOnce(&index, step.parent, path.data(), &cache));
            if (step.expected != nullptr)
                EXPECT_EQ(written, step.expected) << c.name << ", record " << i;
            else
                EXPECT_EQ(written.substr(0, 7), "\\<loop ") << c.name << ", record " << i;
            Bytes name = Utf16Bytes(step.name);
            ApplyRecord(&index, step.frn, step.parent, name.data(), uint32_t(step.name.size()));
        }
    }
}

TEST(PathIndex, APathLongerThanWindowsAllowsKeepsItsInnermostFolders)
{
    // A chain of folders with the longest names, deeper than any path Windows can name.
    PathIndex index;
    InitPathIndex(&index, 200);
    Bytes name = Utf16Bytes(std::u16string(255, u'n'));
    for (uint64_t number = 16; number < 200; ++number)
        SetMftEntry(&index, number, 1, Ref(1, number - 1), name.data(), 255, 1);
    Bytes path(PATH_BUFFER_BYTES);
    uint32_t length = WriteParentPath(&index, Ref(1, 199), path.data());
    EXPECT_LE(length, MAX_PATH_UNITS);
    EXPECT_GT(length, MAX_PATH_UNITS - 300);
    EXPECT_EQ(Narrow(path, 11), "\\<too long ");
    EXPECT_EQ(Narrow(path, length).substr(length - 256), "\\" + std::string(255, 'n'));
}

}  // namespace
