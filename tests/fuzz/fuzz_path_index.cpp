// Any bytes as an exported $MFT and a journal read with paths: the index is filled from
// the MFT, then both passes walk the journal and every record's path is made. Hostile
// names, parents that loop, records cut short: the paths must stay within their bounds
// and the walk must end, with nothing read outside what is held.
//
//   bytes 0-3    how many of the bytes after them are the $MFT (little-endian)
//   then         the $MFT, then the records of one USN buffer
#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

#include "base/byte_source.h"
#include "base/little_endian.h"
#include "base/output.h"
#include "journal/record_walker.h"
#include "ntfs/mft_index.h"

namespace {

const size_t MAX_JOURNAL = 65536 - 8;  // one read's answer

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int fd = memfd_create("mft", MFD_CLOEXEC);
    static FILE* sink = std::fopen("/dev/null", "w");
    if (fd < 0 || size < 4)
        return 0;
    size_t mftSize = std::min<size_t>(LoadU32(data), size - 4);
    const uint8_t* journal = data + 4 + mftSize;
    size_t journalSize = std::min(size - 4 - mftSize, MAX_JOURNAL);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data + 4, mftSize, 0) != static_cast<ssize_t>(mftSize))
        return 0;

    PathIndex index;
    InitPathIndex(&index, 0);
    ReadMftFile(MakeByteSource(fd), &index);
    if (journalSize == 0)
        return 0;
    OutputOptions options = {OUTPUT_CSV, true, nullptr};
    PathPass pass = {&index, true};
    SetOutputStream(sink);
    MuteMessages(true);
    DumpRecords(journal, static_cast<uint32_t>(journalSize), 0, options, &pass);
    pass.rewinding = false;
    DumpRecords(journal, static_cast<uint32_t>(journalSize), 0, options, &pass);
    MuteMessages(false);
    FlushOutput();
    SetOutputStream(nullptr);
    return 0;
}
