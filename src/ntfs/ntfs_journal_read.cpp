// Answering a version-0 FSCTL_READ_USN_JOURNAL from $J.
#include <algorithm>
#include <cstring>

#include "journal/little_endian.h"
#include "ntfs/ntfs_journal.h"
#include "ntfs/ntfs_types.h"
#include "ntfs/stream.h"
#include "ntfs/stored_usn_record.h"

namespace {

// Loads the window with the stretch of $J that starts at the page holding `usn`. Whole
// pages are held, so any record that passes its checks lies inside the window.
uint32_t FillWindow(NtfsJournal* journal, uint64_t usn)
{
    uint64_t start = usn - usn % USN_PAGE_SIZE;
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

uint32_t ReadNtfsJournal(NtfsJournal* journal, const ReadUsnJournalData& request,
                         unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned)
{
    *bytesReturned = 0;
    if (bufferSize < sizeof(int64_t))
        return ERROR_INSUFFICIENT_BUFFER;
    if (request.UsnJournalID != journal->data.UsnJournalID)
        return ERROR_INVALID_PARAMETER;
    if (request.StartUsn != 0 && request.StartUsn < journal->data.FirstUsn)
        return ERROR_JOURNAL_ENTRY_DELETED;

    uint64_t usn = static_cast<uint64_t>(request.StartUsn == 0 ? journal->data.FirstUsn : request.StartUsn);
    uint64_t dataSize = journal->usn.dataSize;
    uint32_t filled = sizeof(int64_t);
    while (usn < dataSize) {
        if (usn < journal->windowStart || usn - journal->windowStart >= journal->windowLength) {
            usn = NextDataOffset(&journal->volume, &journal->usn, usn);
            if (usn >= dataSize)
                break;
            uint32_t status = FillWindow(journal, usn);
            if (status != 0)
                return status;
        }
        uint64_t pageEnd = std::min(usn - usn % USN_PAGE_SIZE + USN_PAGE_SIZE, dataSize);
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
                if (filled == sizeof(int64_t))
                    return ERROR_INSUFFICIENT_BUFFER;
                break;
            }
            WriteReplyRecord(record, buffer + filled, replyLength);
            filled += replyLength;
        }
        usn += length;
    }
    StoreU64(buffer, usn);
    *bytesReturned = filled;
    return 0;
}
