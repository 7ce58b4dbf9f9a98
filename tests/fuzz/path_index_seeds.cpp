// Writes seeds for fuzz_path_index: small exported MFTs and journals in the target's form
// (the MFT's length, the MFT, the records), made with the test support library: folders
// named in base and extension records, a folder that is its own parent, a deleted entry,
// and journals that create, rename and move files among them.
//
//   path_index_seeds OUT_DIR
#include <cstdio>
#include <string>
#include <vector>

#include "ntfs_bytes.h"
#include "usn_encoder.h"

namespace {

const uint32_t RECORD_SIZE = 1024;
const uint64_t ROOT = 0x0005000000000005;

uint64_t Ref(uint16_t sequence, uint64_t number)
{
    return uint64_t(sequence) << 48 | number;
}

Bytes Name(uint64_t parent, const std::u16string& name, uint8_t nameSpace)
{
    return ResidentAttribute(0x30, u"", FileNameValue(parent, name, nameSpace), 3);
}

struct Entry {
    uint64_t number;
    uint16_t sequence;
    uint16_t flags;
    uint64_t base;
    std::vector<Bytes> names;
};

Bytes Mft(const std::vector<Entry>& entries)
{
    // Record 0 is $MFT's own: its allocated size gives the record size.
    Bytes mft = MftRecord(RECORD_SIZE, 1, 1, 0, {Name(ROOT, u"$MFT", 3)});
    for (const Entry& e : entries) {
        mft.resize(e.number * RECORD_SIZE, 0);
        Append(mft, MftRecord(RECORD_SIZE, e.sequence, e.flags, e.base, e.names));
    }
    return mft;
}

Bytes Journal(const std::vector<UsnFields>& records)
{
    Bytes journal;
    for (const UsnFields& r : records)
        AddRecord(journal, r);
    return journal;
}

void Write(const std::string& path, const Bytes& mft, const Bytes& journal)
{
    Bytes seed(4, 0);
    Put32(seed, 0, static_cast<uint32_t>(mft.size()));
    Append(seed, mft);
    Append(seed, journal);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(seed.data(), 1, seed.size(), file) != seed.size())
        std::perror(path.c_str());
    if (file != nullptr)
        std::fclose(file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: path_index_seeds OUT_DIR\n");
        return 2;
    }
    std::string out = argv[1];
    const uint64_t docs = Ref(2, 16), sub = Ref(1, 17);
    Bytes mft = Mft({{16, 2, 3, 0, {Name(ROOT, u"DOCS~1", 2), Name(ROOT, u"Docs", 1)}},
                     {17, 1, 3, 0, {Name(docs, u"Sub", 3)}},
                     {18, 5, 0, 0, {Name(sub, u"gone.txt", 1)}},
                     {19, 1, 1, Ref(2, 16), {Name(sub, u"linked", 1)}}});
    Write(out + "/history", mft,
          Journal({{Ref(1, 20), sub, 0x100, u"a.txt"},
                   {docs, ROOT, 0x1000, u"Docs"},
                   {docs, Ref(1, 17), 0x2000, u"Moved"},
                   {Ref(1, 20), sub, 0x80000200, u"a.txt"},
                   {Ref(3, 16), ROOT, 0x100, u"reused"}}));
    Bytes loop = Mft({{16, 1, 3, 0, {Name(Ref(1, 17), u"a", 1)}},
                      {17, 1, 3, 0, {Name(Ref(1, 16), u"b", 1)}}});
    Write(out + "/loop", loop, Journal({{Ref(1, 30), Ref(1, 16), 0x100, u"x.txt"}}));
    return 0;
}
