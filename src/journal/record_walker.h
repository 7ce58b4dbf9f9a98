// Walks the journal records of one filled USN buffer and prints those of the target.
#pragma once

#include <cstdint>

// True when a record of that FRN belongs to the target: 0 selects every record; a target
// whose sequence number (high 16 bits) is 0 selects by record number (low 48 bits) alone.
bool MatchesTarget(uint64_t recordFrn, uint64_t targetFrn);

// `record` is the first record (byte 8 of the buffer), `remaining` the bytes from there to
// the end of the data returned (greater than 0). A bad record ends the walk of this
// buffer with a message; it never ends the run.
void DumpRecords(const unsigned char* record, uint32_t remaining, uint64_t targetFrn);
