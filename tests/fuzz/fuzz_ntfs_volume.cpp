// Any input through the readers of journals held in bytes, as the program opens it: an
// NTFS volume or disk, else an exported $J file. Open, query, then read the journal from
// FirstUsn to its end the way the program does. A real volume or exported $J is
// megabytes of mostly zeros, which the fuzzer would spend its time mutating, so the input
// only describes the bytes that matter, laid over a sparse image of zeros:
//
//   bytes 0-3    the image's size (little-endian), at most MAX_IMAGE_SIZE
//   then, until the input ends, patches: offset (4 bytes), length (2 bytes), the bytes
//
// Patches are cut at the end of the image, so a small size makes a truncated image.
// make_volume_seeds.py writes real mkntfs images in this form.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

#include "base/little_endian.h"
#include "base/windows_errors.h"
#include "journal/usn_layout.h"
#include "ntfs/usn_jrnl.h"
#include "volume/volume_ops.h"

namespace {

const uint64_t MAX_IMAGE_SIZE = 64 << 20;
const size_t PATCH_HEADER_SIZE = 6;
using V2 = UsnRecordV2Layout;
// 64 MiB of records: a long journal is no fault, but reading on would only slow the
// fuzzer down.
const int MAX_READS = 1024;

unsigned char buffer[USN_BUFFER_SIZE];

uint64_t ImageSize(const uint8_t* data)
{
    return std::min<uint64_t>(LoadU32(data), MAX_IMAGE_SIZE);
}

bool WriteImage(int fd, const uint8_t* data, size_t size)
{
    uint64_t imageSize = ImageSize(data);
    if (ftruncate(fd, 0) != 0 || ftruncate(fd, static_cast<off_t>(imageSize)) != 0)
        return false;
    size_t at = 4;
    while (size - at >= PATCH_HEADER_SIZE) {
        uint64_t offset = LoadU32(data + at);
        size_t length = std::min<size_t>(LoadU16(data + at + 4), size - at - PATCH_HEADER_SIZE);
        at += PATCH_HEADER_SIZE;
        if (offset < imageSize) {
            size_t kept = static_cast<size_t>(std::min<uint64_t>(length, imageSize - offset));
            if (pwrite(fd, data + at, kept, static_cast<off_t>(offset)) != static_cast<ssize_t>(kept))
                return false;
        }
        at += length;
    }
    return true;
}

bool IsOpenError(uint32_t status)
{
    return status == WIN_ERROR_INVALID_FUNCTION || status == WIN_ERROR_OUTOFMEMORY ||
           status == WIN_ERROR_IO_DEVICE || status == WIN_ERROR_JOURNAL_DELETE_IN_PROGRESS ||
           status == WIN_ERROR_JOURNAL_NOT_ACTIVE || status == WIN_ERROR_FILE_CORRUPT;
}

bool IsReadError(uint32_t status)
{
    return status == WIN_ERROR_OUTOFMEMORY || status == WIN_ERROR_IO_DEVICE || status == WIN_ERROR_FILE_CORRUPT;
}

// The reader promises whole V2 records, each holding its name, back to back.
void CheckRecords(const unsigned char* record, uint32_t remaining)
{
    while (remaining != 0) {
        if (remaining < sizeof(V2))
            __builtin_trap();
        uint32_t length = LoadU32(record + offsetof(V2, RecordLength));
        if (length < sizeof(V2) || length % 8 != 0 || length > remaining ||
            LoadU16(record + offsetof(V2, MajorVersion)) != 2 ||
            uint32_t(LoadU16(record + offsetof(V2, FileNameOffset))) +
                    LoadU16(record + offsetof(V2, FileNameLength)) > length)
            __builtin_trap();
        record += length;
        remaining -= length;
    }
}

// Each stored byte of $J is returned at most once, so the records cannot outweigh the
// image; a V3 record comes back as V2 and may grow, but to less than twice its size.
void ReadJournal(UsnJrnl* journal, uint64_t imageSize)
{
    uint64_t returned = 0;
    UsnJournalData data;
    QueryUsnJrnl(journal, &data);
    if (data.FirstUsn < 0 || data.FirstUsn > data.NextUsn)
        __builtin_trap();
    ReadUsnJournalData request = {data.FirstUsn, EVERY_REASON, 0, 0, 0, data.UsnJournalID, 0, 0};
    for (int reads = 0; reads < MAX_READS; ++reads) {
        uint32_t bytesReturned = 0;
        uint32_t status = ReadUsnJrnl(journal, request, buffer, sizeof buffer, &bytesReturned);
        if (status != 0) {
            if (!IsReadError(status))
                __builtin_trap();
            return;
        }
        if (bytesReturned < NEXT_USN_SIZE || bytesReturned > sizeof buffer)
            __builtin_trap();
        int64_t nextUsn = LoadI64(buffer);
        if (bytesReturned == NEXT_USN_SIZE)
            return;
        CheckRecords(buffer + NEXT_USN_SIZE, bytesReturned - NEXT_USN_SIZE);
        returned += bytesReturned - NEXT_USN_SIZE;
        if (returned > 2 * imageSize)
            __builtin_trap();
        // Records without progress: the program would print them for ever.
        if (nextUsn <= request.StartUsn || nextUsn > data.NextUsn)
            __builtin_trap();
        request.StartUsn = nextUsn;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int fd = memfd_create("volume", MFD_CLOEXEC);
    if (fd < 0 || size < 4 || !WriteImage(fd, data, size))
        return 0;
    UsnJrnl* journal = nullptr;
    uint32_t status = OpenUsnJrnl(MakeByteSource(fd), &journal);
    if (status != 0) {
        if (!IsOpenError(status) || journal != nullptr)
            __builtin_trap();
        return 0;
    }
    ReadJournal(journal, ImageSize(data));
    CloseUsnJrnl(journal);
    return 0;
}
