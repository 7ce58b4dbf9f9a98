#include "ntfs/j_window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/byte_source.h"
#include "ntfs/stream.h"

namespace {

uint32_t ReadJ(const UsnJrnl* journal, uint64_t offset, unsigned char* buffer, uint32_t length)
{
    if (journal->exported)
        return ReadBytes(journal->volume.source, offset, buffer, length);
    return ReadStream(&journal->volume, &journal->usn, offset, buffer, length);
}

uint64_t NextStoredJ(const UsnJrnl* journal, uint64_t usn)
{
    if (!journal->exported)
        return NextDataOffset(&journal->volume, &journal->usn, usn);
    uint64_t next = std::min<uint64_t>(NextStoredOffset(journal->volume.source, usn), journal->data.NextUsn);
    // Holes end on the file system's block boundaries; records keep their 8-byte alignment
    // whatever the platform reports.
    return next > usn ? std::max(usn, next - next % 8) : usn;
}

}  // namespace

uint32_t AllocateJWindow(UsnJrnl* journal)
{
    uint64_t size = static_cast<uint64_t>(journal->data.NextUsn);
    uint64_t pages = (size + JOURNAL_PAGE_SIZE - 1) / JOURNAL_PAGE_SIZE;
    // A journal smaller than the window needs no more than its own size.
    uint64_t capacity = std::max<uint64_t>(pages, 1) * JOURNAL_PAGE_SIZE;
    journal->windowCapacity = static_cast<uint32_t>(std::min<uint64_t>(USN_WINDOW_SIZE, capacity));
    journal->window = static_cast<unsigned char*>(std::malloc(journal->windowCapacity));
    return journal->window == nullptr ? WIN_ERROR_OUTOFMEMORY : 0;
}

uint32_t LoadJWindow(UsnJrnl* journal, uint64_t* usn)
{
    uint64_t end = static_cast<uint64_t>(journal->data.NextUsn);
    *usn = NextStoredJ(journal, *usn);
    if (*usn >= end)
        return 0;
    // Whole pages are held, so any record that passes its checks lies inside the window.
    uint64_t start = *usn - *usn % JOURNAL_PAGE_SIZE;
    uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(journal->windowCapacity, end - start));
    journal->windowLength = 0;
    uint32_t status = ReadJ(journal, start, journal->window, length);
    if (status != 0)
        return status;
    journal->windowStart = start;
    journal->windowLength = length;
    return 0;
}

uint64_t SkipZeroWords(const UsnJrnl* journal, uint64_t usn)
{
    const unsigned char* at = journal->window + (usn - journal->windowStart);
    const unsigned char* end = journal->window + journal->windowLength;
    // Eight words at a time while the block is all zeros, then word by word.
    const size_t BLOCK = 64;
    static const unsigned char ZEROS[BLOCK] = {};
    while (end - at >= static_cast<ptrdiff_t>(BLOCK) && std::memcmp(at, ZEROS, BLOCK) == 0)
        at += BLOCK;
    uint64_t word;
    while (end - at >= 8 && (std::memcpy(&word, at, 8), word == 0))
        at += 8;
    if (end - at < 8)
        at = end;
    return journal->windowStart + static_cast<uint64_t>(at - journal->window);
}

uint64_t JInputOffset(const UsnJrnl* journal, uint64_t usn)
{
    if (journal->exported)
        return usn;
    return StreamInputOffset(&journal->volume, &journal->usn, usn);
}
