// Walks the journal records of one filled USN buffer and prints those of the target.
#pragma once

#include <cstdint>

#include "journal/output_options.h"
#include "journal/timeline.h"

// True when a record of that FRN belongs to the target: 0 selects every record; a target
// whose sequence number (high 16 bits) is 0 selects by record number (low 48 bits) alone.
bool MatchesTarget(uint64_t recordFrn, uint64_t targetFrn);

// `record` is the first record (byte 8 of the buffer), `remaining` the bytes from there to
// the end of the data returned (greater than 0). A bad record ends the walk of this
// buffer with a message; it never ends the run.
// The event line reads every record as a USN_RECORD_V2, as a version-0 read returns
// them; the other formats read V2 and V3 records by their MajorVersion.
// With `paths`, every record the walk can read goes to the path index, the target's or
// not, so each line's path is right whatever is shown.
void DumpRecords(const unsigned char* record, uint32_t remaining, uint64_t targetFrn,
                 const OutputOptions& options = EVENT_LINE_OUTPUT,
                 const PathPass* paths = nullptr);
