// Answering a version-0 FSCTL_READ_USN_JOURNAL from the $J stream.
#include <algorithm>
#include <cstring>

#include "base/little_endian.h"
#include "journal/stored_record.h"
#include "ntfs/ntfs_types.h"
#include "ntfs/stream.h"
#include "ntfs/usn_jrnl.h"

namespace {

// Loads the window with the stretch of $J that starts at the page holding `usn`. Whole
// pages are held, so any record that passes its checks lies inside the window.
uint32_t FillWindow(UsnJrnl* journal, uint64_t usn)
{
    uint64_t start = usn - usn % JOURNAL_PAGE_SIZE;
    uint64_t left = journal->usn.dataSize - start;
    uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(journal->windowCapacity, left));
    journal->windowLength = 0;
    uint32_t status = ReadStream(&journal->volume, &journal->usn, start, journal->window, length);
    if (status != 0)
        return status;
    journal->windowStart = start;
    journal->windowLength = length;
    return 0;
}

}  // namespace

uint32_t ReadUsnJrnl(UsnJrnl* journal, const ReadUsnJournalData& request,
                     unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned)
{
    *bytesReturned = 0;
    if (bufferSize < NEXT_USN_SIZE)
        return WIN_ERROR_INSUFFICIENT_BUFFER;
    if (request.UsnJournalID != journal->data.UsnJournalID)
        return WIN_ERROR_INVALID_PARAMETER;
    if (request.StartUsn != 0 && request.StartUsn < journal->data.FirstUsn)
        return WIN_ERROR_JOURNAL_ENTRY_DELETED;

    uint64_t usn = static_cast<uint64_t>(request.StartUsn == 0 ? journal->data.FirstUsn : request.StartUsn);
    uint64_t dataSize = journal->usn.dataSize;
    uint32_t filled = NEXT_USN_SIZE;
    while (usn < dataSize) {
        if (usn < journal->windowStart || usn - journal->windowStart >= journal->windowLength) {
            usn = NextDataOffset(&journal->volume, &journal->usn, usn);
            if (usn >= dataSize)
                break;
            uint32_t status = FillWindow(journal, usn);
            if (status != 0)
                return status;
        }
        uint64_t pageEnd = std::min(usn - usn % JOURNAL_PAGE_SIZE + JOURNAL_PAGE_SIZE, dataSize);
        const unsigned char* record = journal->window + (usn - journal->windowStart);
        uint32_t length = usn % 8 == 0 ? StoredUsnRecordLength(record, pageEnd - usn) : 0;
        if (length == 0) {
            // Zero padding or a damaged record: the rest of the page holds nothing to read.
            usn = pageEnd;
            continue;
        }
        uint32_t replyLength = ReplyRecordLength(record, request);
        if (replyLength != 0) {
            if (replyLength > bufferSize - filled) {
                if (filled == NEXT_USN_SIZE)
                    return WIN_ERROR_INSUFFICIENT_BUFFER;
                break;
            }
            WriteReplyRecord(record, request, buffer + filled, replyLength);
            filled += replyLength;
        }
        usn += length;
    }
    StoreU64(buffer, usn);
    *bytesReturned = filled;
    return 0;
}
