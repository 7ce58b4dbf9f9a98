// The program's main loop: reads a volume's USN journal from its first record to its end.
#pragma once

#include <cstdint>

#include "journal/output_options.h"
#include "volume/volume_ops.h"

// Returns the exit status: 0 when the journal was read to its end, 1 on any failure.
// The event line asks for V2 records, as a version-0 read does; the timeline formats ask
// for V2 and V3, so a V3 record keeps its 128-bit ids.
int DumpJournal(const WideChar* volumePath, uint64_t targetFrn,
                const OutputOptions& options = EVENT_LINE_OUTPUT);
