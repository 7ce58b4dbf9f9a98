// Answering FSCTL_READ_USN_JOURNAL from $J, as held on a volume or exported to a file.
#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "journal/stored_record.h"
#include "ntfs/j_window.h"
#include "ntfs/ntfs_types.h"
#include "ntfs/usn_jrnl.h"

namespace {

uint64_t PageStart(uint64_t usn)
{
    return usn - usn % JOURNAL_PAGE_SIZE;
}

// The end of the page that holds the byte before `usn`: `usn` itself on a page boundary.
uint64_t PageCeiling(uint64_t usn)
{
    return PageStart(usn + JOURNAL_PAGE_SIZE - 1);
}

void DiagnoseSkip(const UsnJrnl* journal, uint64_t usn, const unsigned char* record, uint64_t available,
                  const char* problem, uint64_t resume)
{
    if (!DiagnosticsEnabled())
        return;
    uint64_t input = JInputOffset(journal, usn);
    char where[48] = "";
    if (!journal->exported && input != UINT64_MAX)
        std::snprintf(where, sizeof where, " (input offset 0x%" PRIX64 ")", input);
    char fields[64] = "";
    if (available >= 8)
        std::snprintf(fields, sizeof fields, " (RecordLength 0x%" PRIX32 ", MajorVersion %u)",
                      LoadU32(record + offsetof(UsnRecordV2Layout, RecordLength)),
                      unsigned(LoadU16(record + offsetof(UsnRecordV2Layout, MajorVersion))));
    Diagnose("$J at 0x%" PRIX64 "%s: %s%s; skipped to 0x%" PRIX64, usn, where, problem, fields, resume);
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
    uint64_t end = static_cast<uint64_t>(journal->data.NextUsn);
    uint32_t filled = NEXT_USN_SIZE;
    while (usn < end) {
        if (!InJWindow(journal, usn)) {
            uint32_t status = LoadJWindow(journal, &usn);
            if (status != 0)
                return status;
            if (usn >= end)
                break;
        }
        uint64_t pageEnd = std::min(PageStart(usn) + JOURNAL_PAGE_SIZE, end);
        const unsigned char* record = journal->window + (usn - journal->windowStart);
        if (usn % 8 == 0 && pageEnd - usn >= 8 && LoadU64(record) == 0) {
            // Zero padding at a page's end, or whole pages of stored zeros: on to the page
            // that holds the next word that is not zero, if it starts there.
            usn = std::min(PageCeiling(SkipZeroWords(journal, usn)), end);
            continue;
        }
        const char* problem = nullptr;
        uint32_t length = usn % 8 == 0 ? StoredUsnRecordLength(record, pageEnd - usn, &problem) : 0;
        if (length == 0) {
            // A damaged record: the rest of its page holds nothing that can be trusted.
            if (problem != nullptr)
                DiagnoseSkip(journal, usn, record, pageEnd - usn, problem, pageEnd);
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
