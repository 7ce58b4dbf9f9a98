// Opening an exported $J: a file (or disk) that holds the stream itself, as collectors
// copy $Extend\$UsnJrnl:$J out of a volume. Most keep the stream's offsets, so the file
// starts with the journal's trimmed head, left as a hole or written out as zeros.
#include <algorithm>
#include <cinttypes>
#include <cstdlib>

#include "base/diagnostics.h"
#include "journal/stored_record.h"
#include "ntfs/j_window.h"
#include "ntfs/ntfs_types.h"
#include "ntfs/usn_jrnl.h"

namespace {

// Finds the first word that is not zero after the head and checks that a record starts
// there. Returns 0 with FirstUsn set, WIN_ERROR_INVALID_FUNCTION, or a read error.
uint32_t FindFirstRecord(UsnJrnl* journal)
{
    uint64_t end = static_cast<uint64_t>(journal->data.NextUsn);
    uint64_t usn = 0;
    for (;;) {
        uint32_t status = LoadJWindow(journal, &usn);
        if (status != 0)
            return status;
        if (usn >= end) {
            Diagnose("file of %" PRIu64 " bytes: nothing but zeros and holes, no USN record", end);
            return WIN_ERROR_INVALID_FUNCTION;
        }
        usn = SkipZeroWords(journal, usn - usn % 8);
        if (InJWindow(journal, usn))
            break;
    }
    uint64_t pageEnd = std::min(usn - usn % JOURNAL_PAGE_SIZE + JOURNAL_PAGE_SIZE, end);
    const char* problem = nullptr;
    if (StoredUsnRecordLength(journal->window + (usn - journal->windowStart), pageEnd - usn, &problem) == 0) {
        Diagnose("file at 0x%" PRIX64 ": the first stored bytes are not a USN record: %s", usn, problem);
        return WIN_ERROR_INVALID_FUNCTION;
    }
    journal->data.FirstUsn = static_cast<int64_t>(usn);
    return 0;
}

}  // namespace

uint32_t OpenJournalFile(const ByteSource& source, UsnJrnl** journal)
{
    *journal = nullptr;
    if (!source.sized) {
        Diagnose("input is neither a regular file nor a disk: not read as an exported $J");
        return WIN_ERROR_INVALID_FUNCTION;
    }
    UsnJrnl* opened = static_cast<UsnJrnl*>(std::calloc(1, sizeof(UsnJrnl)));
    if (opened == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    opened->volume.source = source;
    opened->exported = true;
    // No $Max comes with the stream: its identity and limits are unknown.
    opened->data.NextUsn = static_cast<int64_t>(source.size);
    opened->data.MaxUsn = NTFS_MAX_USN;
    uint32_t status = AllocateJWindow(opened);
    if (status == 0)
        status = FindFirstRecord(opened);
    if (status != 0) {
        CloseUsnJrnl(opened);
        return status;
    }
    Diagnose("input read as an exported $J: its first record at 0x%" PRIX64 ", its end at 0x%" PRIX64,
             uint64_t(opened->data.FirstUsn), uint64_t(opened->data.NextUsn));
    *journal = opened;
    return 0;
}
