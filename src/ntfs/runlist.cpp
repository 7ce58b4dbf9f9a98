#include "ntfs/runlist.h"

#include <algorithm>
#include <cinttypes>
#include <cstdlib>

#include "base/diagnostics.h"

namespace {

// A little-endian signed integer of 1 to 8 bytes.
int64_t LoadSigned(const unsigned char* bytes, uint32_t size)
{
    uint64_t value = 0;
    for (uint32_t i = 0; i < size; i++)
        value |= uint64_t(bytes[i]) << (8 * i);
    if (size < 8 && (bytes[size - 1] & 0x80) != 0)
        value |= ~uint64_t(0) << (8 * size);
    return static_cast<int64_t>(value);
}

// A runlist that cannot describe the segment it belongs to.
uint32_t Refuse(uint32_t at, const char* why)
{
    Diagnose("runlist, byte 0x%X: %s", at, why);
    return WIN_ERROR_FILE_CORRUPT;
}

uint32_t AddRun(NtfsStream* stream, int64_t vcn, int64_t lcn, int64_t length)
{
    if (stream->runCount != 0) {
        NtfsRun* last = &stream->runs[stream->runCount - 1];
        bool bothSparse = last->lcn == SPARSE_LCN && lcn == SPARSE_LCN;
        bool adjacent = last->lcn != SPARSE_LCN && lcn == last->lcn + last->length;
        if (bothSparse || adjacent) {
            last->length += length;
            return 0;
        }
    }
    if (stream->runCount == stream->runCapacity) {
        if (stream->runCapacity >= MAX_RUNS) {
            Diagnose("runlist: more than %u runs", unsigned(MAX_RUNS));
            return WIN_ERROR_FILE_CORRUPT;
        }
        size_t capacity = stream->runCapacity == 0 ? 16 : stream->runCapacity * 2;
        void* grown = std::realloc(stream->runs, capacity * sizeof(NtfsRun));
        if (grown == nullptr)
            return WIN_ERROR_OUTOFMEMORY;
        stream->runs = static_cast<NtfsRun*>(grown);
        stream->runCapacity = capacity;
    }
    stream->runs[stream->runCount++] = NtfsRun{vcn, lcn, length};
    return 0;
}

}  // namespace

uint32_t AppendRunlist(const NtfsVolume* volume, const unsigned char* bytes, uint32_t length,
                       int64_t firstVcn, int64_t lastVcn, NtfsStream* stream)
{
    // Every byte offset in the stream, (lastVcn + 1) clusters included, must fit an int64.
    int64_t maxVcn = INT64_MAX / volume->clusterSize - 1;
    if (firstVcn != stream->nextVcn || lastVcn < firstVcn - 1 || lastVcn > maxVcn) {
        Diagnose("attribute segment of VCNs %" PRId64 " to %" PRId64 " does not follow the %" PRId64
                 " clusters held before it", firstVcn, lastVcn, stream->nextVcn);
        return WIN_ERROR_FILE_CORRUPT;
    }
    int64_t vcn = firstVcn;
    int64_t lcn = 0;
    int64_t clusterCount = static_cast<int64_t>(volume->clusterCount);
    uint32_t at = 0;
    for (;;) {
        if (at >= length)
            return Refuse(at, "no end before the attribute's end");
        uint32_t lengthSize = bytes[at] & 0x0F;
        uint32_t offsetSize = bytes[at] >> 4;
        if (lengthSize == 0 && offsetSize == 0)
            break;
        if (lengthSize == 0 || lengthSize > 8 || offsetSize > 8 ||
            length - at - 1 < lengthSize + offsetSize)
            return Refuse(at, "a header byte whose field sizes are impossible or run past the attribute");
        int64_t runLength = LoadSigned(bytes + at + 1, lengthSize);
        if (runLength <= 0 || runLength > lastVcn + 1 - vcn)
            return Refuse(at, "a run length of 0 or beyond the segment's last VCN");
        int64_t runLcn = SPARSE_LCN;
        if (offsetSize != 0) {
            // The offset is relative to the previous stored run; sparse runs do not move it.
            if (__builtin_add_overflow(lcn, LoadSigned(bytes + at + 1 + lengthSize, offsetSize), &lcn) ||
                lcn < 0 || lcn >= clusterCount || runLength > clusterCount - lcn)
                return Refuse(at, "a run outside the volume's clusters");
            runLcn = lcn;
        }
        uint32_t status = AddRun(stream, vcn, runLcn, runLength);
        if (status != 0)
            return status;
        vcn += runLength;
        at += 1 + lengthSize + offsetSize;
    }
    if (vcn != lastVcn + 1)
        return Refuse(at, "the runs end before the segment's last VCN");
    stream->nextVcn = vcn;
    return 0;
}

uint32_t CheckRunsDisjoint(const NtfsStream* stream)
{
    size_t capacity = std::max<size_t>(stream->runCount, 1);
    NtfsRun* stored = static_cast<NtfsRun*>(std::malloc(capacity * sizeof(NtfsRun)));
    if (stored == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    size_t count = 0;
    for (size_t i = 0; i < stream->runCount; i++) {
        if (stream->runs[i].lcn != SPARSE_LCN)
            stored[count++] = stream->runs[i];
    }
    std::sort(stored, stored + count, [](const NtfsRun& a, const NtfsRun& b) { return a.lcn < b.lcn; });
    uint32_t status = 0;
    for (size_t i = 1; i < count && status == 0; i++) {
        if (stored[i].lcn < stored[i - 1].lcn + stored[i - 1].length) {
            Diagnose("runs share clusters from cluster %" PRId64, stored[i].lcn);
            status = WIN_ERROR_FILE_CORRUPT;
        }
    }
    std::free(stored);
    return status;
}

size_t FindRun(const NtfsStream* stream, int64_t vcn)
{
    size_t low = 0;
    size_t high = stream->runCount;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        const NtfsRun& run = stream->runs[middle];
        if (vcn < run.vcn)
            high = middle;
        else if (vcn - run.vcn >= run.length)
            low = middle + 1;
        else
            return middle;
    }
    return stream->runCount;
}
