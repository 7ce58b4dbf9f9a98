// Opening synthetic volumes and reading their journal to the end, for the tests.
#pragma once

#include <cstdint>
#include <vector>

#include "base/windows_errors.h"
#include "ntfs/usn_jrnl.h"
#include "synthetic_volume.h"

struct TestJournal {
    int fd = -1;
    UsnJrnl* journal = nullptr;
    ~TestJournal();
};

// Builds the volume in a fresh image file and opens it.
uint32_t OpenShape(const VolumeShape& shape, TestJournal* opened);

ReadUsnJournalData EveryRecord(const UsnJrnl* journal, int64_t startUsn = 0);

struct ReadResult {
    uint32_t status = 0;          // of the read that failed, if one did
    Bytes records;                // every read's records, concatenated
    std::vector<int64_t> starts;  // StartUsn of each read
    int64_t nextUsn = 0;          // of the last read
};

// Reads the way the journal reader does: each read starts at the previous read's next
// USN, until a read returns only that USN. Stops (and fails the test) after far more
// reads than the journal could need, so a reader that does not advance cannot hang it.
ReadResult ReadToEnd(UsnJrnl* journal, ReadUsnJournalData request, uint32_t bufferSize = 65536);
