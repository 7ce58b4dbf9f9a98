// Writes seeds for fuzz_ntfs_volume in shapes that mkntfs never makes: $UsnJrnl below an
// INDX block of $Extend (and one that names itself), a fragmented $MFT continued through
// an attribute list, $J in listed segments with a non-resident list, V3 records; and
// exported $J files, whole and cut short, behind a head that the target leaves as a
// hole. The volumes come from the NTFS tests' builder, which writes only what the reader
// looks at, so each seed is the input's non-zero bytes in the target's patch form.
//
//   synthetic_volume_seeds OUT_DIR
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "base/little_endian.h"
#include "synthetic_volume.h"

namespace {

const size_t MAX_PATCH = 65535;
const size_t JOIN_GAP = 16;  // zeros shorter than this stay inside a patch

Bytes Journal(int records, int version)
{
    Bytes journal;
    for (int i = 0; i < records; i++) {
        UsnFields fields;
        fields.version = version;
        fields.usn = static_cast<int64_t>(journal.size());
        Bytes record = EncodeUsnRecord(fields);
        journal.insert(journal.end(), record.begin(), record.end());
    }
    return journal;
}

Bytes ReadImage(int fd)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return Bytes();
    Bytes image(static_cast<size_t>(info.st_size));
    if (pread(fd, image.data(), image.size(), 0) != static_cast<ssize_t>(image.size()))
        return Bytes();
    return image;
}

// The image's size, then one patch per stretch of non-zero bytes.
Bytes Encode(const Bytes& image)
{
    Bytes seed(4);
    StoreU32(seed.data(), static_cast<uint32_t>(image.size()));
    size_t at = 0;
    while (at < image.size()) {
        if (image[at] == 0) {
            at++;
            continue;
        }
        size_t end = at;
        size_t zeros = 0;
        while (end + zeros < image.size() && end + zeros - at < MAX_PATCH && zeros < JOIN_GAP) {
            if (image[end + zeros] != 0) {
                end += zeros + 1;
                zeros = 0;
            } else {
                zeros++;
            }
        }
        unsigned char header[6];
        StoreU32(header, static_cast<uint32_t>(at));
        StoreU16(header + 4, static_cast<uint16_t>(end - at));
        seed.insert(seed.end(), header, header + sizeof header);
        seed.insert(seed.end(), image.begin() + at, image.begin() + end);
        at = end;
    }
    return seed;
}

Bytes VolumeImage(const VolumeShape& shape)
{
    int fd = MakeImageFile();
    WriteVolume(fd, 0, shape);
    Bytes image = ReadImage(fd);
    close(fd);
    return image;
}

// An exported $J: a head of zeros, then pages of V2, V3 and V4 records with zero-filled
// tails and one damaged record.
Bytes ExportedJournal()
{
    const uint64_t HEAD = 64 * 1024;
    Bytes journal;
    for (int i = 0; i < 120; i++) {
        UsnFields fields;
        fields.version = 2 + i % 3;
        fields.name = std::u16string(1 + i % 40, u'j');
        AddRecord(journal, fields, HEAD);
        if (i == 60)  // its RecordLength
            Put32(journal, journal.size() - EncodeUsnRecord(fields).size(), 0xDEADBEEF);
    }
    Bytes image(HEAD, 0);
    image.insert(image.end(), journal.begin(), journal.end());
    return image;
}

bool WriteSeed(const std::string& path, const Bytes& image)
{
    Bytes seed = Encode(image);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    bool written = std::fwrite(seed.data(), 1, seed.size(), out) == seed.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: synthetic_volume_seeds OUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    VolumeShape index;
    index.clusterSize = 1024;
    index.journal = Journal(3, 2);
    index.indexAllocation = true;
    VolumeShape cycle = index;
    cycle.indexCycle = true;
    VolumeShape mft;
    mft.clusterSize = 1024;
    mft.journal = Journal(3, 2);
    mft.mftSplit = true;
    mft.mftAttributeList = true;
    VolumeShape segments;
    segments.clusterSize = 512;
    segments.journal = Journal(40, 2);
    segments.sparseHead = 8192;
    segments.fragments = 4;
    segments.segments = 3;
    segments.listNonResident = true;
    segments.listReversed = true;
    VolumeShape v3;
    v3.clusterSize = 1024;
    v3.journal = Journal(3, 3);
    v3.maxFirst = true;
    Bytes exported = ExportedJournal();
    Bytes cut(exported.begin(), exported.end() - 100);
    bool ok = WriteSeed(dir + "/index_allocation", VolumeImage(index)) &&
              WriteSeed(dir + "/index_cycle", VolumeImage(cycle)) &&
              WriteSeed(dir + "/mft_attribute_list", VolumeImage(mft)) &&
              WriteSeed(dir + "/listed_segments", VolumeImage(segments)) &&
              WriteSeed(dir + "/v3_records", VolumeImage(v3)) && WriteSeed(dir + "/exported_j", exported) &&
              WriteSeed(dir + "/exported_j_cut", cut);
    if (!ok)
        std::perror(dir.c_str());
    return ok ? 0 : 1;
}
