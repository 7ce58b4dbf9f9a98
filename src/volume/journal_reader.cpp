#include "volume/journal_reader.h"

#include "base/little_endian.h"
#include "base/output.h"
#include "base/windows_errors.h"
#include "journal/record_walker.h"
#include "journal/timeline.h"
#include "journal/usn_record.h"

namespace {

// Reads buffer after buffer until a read returns only the next USN.
int ReadToEnd(VolumeHandle volume, const UsnJournalData& journal, unsigned char* buffer,
              uint64_t targetFrn, const OutputOptions& options, const PathPass* paths)
{
    // Every reason, every record (not only those written at a close), and no waiting for
    // records that have not been written yet.
    ReadUsnJournalData request = {journal.FirstUsn, EVERY_REASON, 0, 0, 0, journal.UsnJournalID, 0, 0};
    if (options.format != OUTPUT_EVENT_LINE) {
        request.MinMajorVersion = TIMELINE_MIN_VERSION;
        request.MaxMajorVersion = TIMELINE_MAX_VERSION;
    }
    for (;;) {
        uint32_t bytesReturned = 0;
        if (!ReadUsnJournal(volume, request, buffer, USN_BUFFER_SIZE, &bytesReturned)) {
            PrintMessage("Error %u: unable to read USN journal.", GetLastErrorCode());
            return 1;
        }
        if (bytesReturned < NEXT_USN_SIZE) {
            PrintMessage("no next USN.");
            return 0;
        }
        int64_t nextUsn = LoadI64(buffer);
        if (bytesReturned == NEXT_USN_SIZE)
            return 0;
        DumpRecords(buffer + NEXT_USN_SIZE, bytesReturned - NEXT_USN_SIZE, targetFrn, options, paths);
        // Records came back but the journal would send us to the same place again:
        // reading on would print them for ever.
        if (nextUsn <= request.StartUsn) {
            PrintMessage("Error %u: unable to read USN journal.", WIN_ERROR_FILE_CORRUPT);
            return 1;
        }
        // Nothing can be shown any more; the caller reports the write failure.
        if (OutputFailed())
            return 1;
        request.StartUsn = nextUsn;
    }
}

}  // namespace

int DumpJournal(const WideChar* volumePath, uint64_t targetFrn, const OutputOptions& options)
{
    VolumeHandle volume;
    if (!OpenVolume(volumePath, &volume)) {
        PrintMessage("Error %u: unable to open drive.", GetLastErrorCode());
        return 1;
    }
    UsnJournalData journal;
    if (!QueryUsnJournal(volume, &journal)) {
        PrintMessage("Error %u: unable to query USN journal.", GetLastErrorCode());
        CloseVolume(volume);
        return 1;
    }
    unsigned char* buffer = AllocateUsnBuffer();
    if (buffer == nullptr) {
        PrintMessage("Error %u: unable to allocate USN buffer.", WIN_ERROR_OUTOFMEMORY);
        CloseVolume(volume);
        return 1;
    }
    // With paths the journal is read twice, and the first time says nothing: a read that
    // fails then fails again in the second pass, which tells.
    PathIndex index;
    PathPass pass = {&index, true};
    if (options.paths) {
        if (!LoadPathIndex(volume, options.mftPath, &index)) {
            PrintMessage("Error %u: unable to read MFT.", GetLastErrorCode());
            ReleaseUsnBuffer(buffer);
            CloseVolume(volume);
            return 1;
        }
        MuteMessages(true);
        ReadToEnd(volume, journal, buffer, targetFrn, options, &pass);
        MuteMessages(false);
        pass.rewinding = false;
    }
    PrintTimelineHeader(options);
    int status = ReadToEnd(volume, journal, buffer, targetFrn, options, options.paths ? &pass : nullptr);
    ReleaseUsnBuffer(buffer);
    CloseVolume(volume);
    return status;
}
