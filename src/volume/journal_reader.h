// The program's main loop: reads a volume's USN journal from its first record to its end.
#pragma once

#include <cstdint>

#include "volume/volume_ops.h"

// Returns the exit status: 0 when the journal was read to its end, 1 on any failure.
int DumpJournal(const WideChar* volumePath, uint64_t targetFrn);
