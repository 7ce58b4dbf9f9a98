// Opening synthetic volumes and reading their journal to the end, for the tests.
#pragma once

#include <cstdint>
#include <string>
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

// The V2 records of a journal's stored bytes (zero page tails passed over) that lie
// wholly before `end`: what reading a copy cut short at `end` returns.
Bytes StoredRecords(const Bytes& journal, size_t end);

// Eight pages of V2 records from USN `base`, each page ending in zero padding; *expected
// receives the records that reading them returns.
Bytes PagedJournal(uint64_t base, Bytes* expected);

// What lies before the stored bytes of an exported $J file.
enum HeadKind { HEAD_HOLE, HEAD_STORED_ZEROS };

// Writes an exported $J file: `headBytes` of hole or stored zeros, then `stored`; opens
// it as the program does (as a volume first, then as a journal file).
uint32_t OpenExported(const Bytes& stored, uint64_t headBytes, HeadKind head, TestJournal* opened);

ReadUsnJournalData EveryRecord(const UsnJrnl* journal, int64_t startUsn = 0);

struct ReadResult {
    uint32_t status = 0;          // of the read that failed, if one did
    Bytes records;                // every read's records, concatenated
    std::vector<int64_t> starts;  // StartUsn of each read
    int64_t nextUsn = 0;          // of the last read
};

// A case's description as a test name: letters and digits kept, anything else '_'.
std::string TestName(const char* description);

// Reads the way the journal reader does: each read starts at the previous read's next
// USN, until a read returns only that USN. Stops (and fails the test) after far more
// reads than the journal could need, so a reader that does not advance cannot hang it.
ReadResult ReadToEnd(UsnJrnl* journal, ReadUsnJournalData request, uint32_t bufferSize = 65536);
