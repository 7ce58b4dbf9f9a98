// The path index filled from MFT records: which of a file's names is taken, and with
// which sequence number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ntfs_bytes.h"
#include "ntfs/mft_index.h"

namespace {

const uint32_t RECORD_SIZE = 1024;
const uint64_t ROOT = 0x0005000000000005;
const uint64_t DOCS = 0x0002000000000040;
const uint8_t POSIX = 0, WIN32 = 1, DOS = 2, WIN32_AND_DOS = 3;
const uint16_t IN_USE = 1, FREE = 0;

Bytes Name(uint64_t parent, const std::u16string& name, uint8_t nameSpace, uint16_t id = 3)
{
    return ResidentAttribute(0x30, u"", FileNameValue(parent, name, nameSpace), id);
}

// A $FILE_NAME whose name length claims more units than its value holds.
Bytes OverlongName(uint64_t parent, const std::u16string& name, uint8_t nameSpace)
{
    Bytes value = FileNameValue(parent, name, nameSpace);
    value[64] = 200;
    return ResidentAttribute(0x30, u"", value, 4);
}

struct Record {
    uint64_t number;
    uint16_t sequence;
    uint16_t flags;
    uint64_t base;
    std::vector<Bytes> attributes;
};

struct IndexCase {
    const char* name;
    std::vector<Record> records;
    uint64_t number;  // the record whose entry is checked
    const char* expected;  // its name; nullptr: none known
    uint16_t sequence;
    uint64_t parent;
    void (*damage)(Bytes& records) = nullptr;
};

const IndexCase INDEX_CASES[] = {
    {"the Win32 name over the DOS alias before it",
     {{70, 4, IN_USE, 0, {Name(ROOT, u"LONGNA~1.TXT", DOS), Name(ROOT, u"long name.txt", WIN32)}}},
     70, "long name.txt", 4, ROOT},
    {"a name in both namespaces", {{70, 4, IN_USE, 0, {Name(DOCS, u"a.txt", WIN32_AND_DOS)}}},
     70, "a.txt", 4, DOCS},
    {"a POSIX name over a DOS alias",
     {{70, 4, IN_USE, 0, {Name(ROOT, u"AB~1", DOS), Name(ROOT, u"a:b", POSIX)}}},
     70, "a:b", 4, ROOT},
    {"the DOS alias when there is no other", {{70, 4, IN_USE, 0, {Name(ROOT, u"SHORT.TXT", DOS)}}},
     70, "SHORT.TXT", 4, ROOT},
    {"a hard link's first Win32 name",
     {{70, 4, IN_USE, 0, {Name(DOCS, u"first.txt", WIN32), Name(ROOT, u"second.txt", WIN32, 4)}}},
     70, "first.txt", 4, DOCS},
    {"a free record's name belongs to the sequence number before",
     {{70, 5, FREE, 0, {Name(ROOT, u"deleted.txt", WIN32)}}}, 70, "deleted.txt", 4, ROOT},
    {"a free record's sequence number 1 follows 0xFFFF",
     {{70, 1, FREE, 0, {Name(ROOT, u"deleted.txt", WIN32)}}}, 70, "deleted.txt", 0xFFFF, ROOT},
    {"an extension record's Win32 name over its base record's alias",
     {{70, 4, IN_USE, 0, {Name(ROOT, u"LONGNA~1", DOS)}},
      {71, 1, IN_USE, 0x0004000000000046, {Name(DOCS, u"long name", WIN32)}}},
     70, "long name", 4, DOCS},
    {"an extension record's name never replaces a better one",
     {{70, 4, IN_USE, 0, {Name(ROOT, u"mine", WIN32)}},
      {71, 1, IN_USE, 0x0004000000000046, {Name(DOCS, u"other", WIN32)}}},
     70, "mine", 4, ROOT},
    {"a record without a name", {{70, 4, IN_USE, 0, {}}}, 70, nullptr, 0, 0},
    {"a name longer than its value is passed over",
     {{70, 4, IN_USE, 0, {Name(ROOT, u"good", DOS), OverlongName(ROOT, u"bad", WIN32)}}},
     70, "good", 4, ROOT},
    {"a torn record is passed over",
     {{70, 4, IN_USE, 0, {Name(ROOT, u"torn.txt", WIN32)}}}, 70, nullptr, 0, 0,
     [](Bytes& records) { records[records.size() - 2] ^= 0xFF; }},
};

TEST(MftIndex, TakesEachFilesBestName)
{
    for (const IndexCase& c : INDEX_CASES) {
        // The records at their numbers, from record 64 on; the others are never used.
        uint64_t first = 64;
        Bytes records(RECORD_SIZE * 16, 0);
        for (const Record& r : c.records) {
            Bytes record = MftRecord(RECORD_SIZE, r.sequence, r.flags, r.base, r.attributes);
            std::copy(record.begin(), record.end(), records.begin() + (r.number - first) * RECORD_SIZE);
        }
        records.resize((c.records.back().number - first + 1) * RECORD_SIZE);
        if (c.damage != nullptr)
            c.damage(records);
        PathIndex index;
        InitPathIndex(&index, 80);
        AddMftRecords(&index, first, records.data(), uint32_t(records.size() / RECORD_SIZE), RECORD_SIZE);
        const PathEntry& entry = index.entries[c.number];
        if (c.expected == nullptr) {
            EXPECT_EQ(entry.flags & PATH_ENTRY_KNOWN, 0) << c.name;
            continue;
        }
        ASSERT_NE(entry.flags & PATH_ENTRY_KNOWN, 0) << c.name;
        std::u16string name(index.names.begin() + entry.nameAt,
                            index.names.begin() + entry.nameAt + entry.nameUnits);
        EXPECT_EQ(std::string(name.begin(), name.end()), c.expected) << c.name;
        EXPECT_EQ(entry.sequence, c.sequence) << c.name;
        EXPECT_EQ(entry.parent, c.parent) << c.name;
    }
}

}  // namespace
