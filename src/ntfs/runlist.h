// Runlists (mapping pairs) of non-resident attributes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ntfs/ntfs_types.h"

// Decodes the mapping pairs of one attribute segment covering VCNs firstVcn..lastVcn and
// appends its runs to *stream, whose runs must end exactly where the segment begins.
// Adjacent runs that continue each other are merged. Returns 0, WIN_ERROR_FILE_CORRUPT (bad
// header byte, run outside the volume, runs not covering the segment exactly, too many
// runs) or WIN_ERROR_OUTOFMEMORY.
uint32_t AppendRunlist(const NtfsVolume* volume, const unsigned char* bytes, uint32_t length,
                       int64_t firstVcn, int64_t lastVcn, NtfsStream* stream);

// Returns 0 when no two stored runs of the stream share a cluster, WIN_ERROR_FILE_CORRUPT
// when some do, or WIN_ERROR_OUTOFMEMORY. Runs that repeat the same clusters would make a few
// megabytes on the disk read as terabytes of stream.
uint32_t CheckRunsDisjoint(const NtfsStream* stream);

// Index of the run holding `vcn`, or stream->runCount when none does.
size_t FindRun(const NtfsStream* stream, int64_t vcn);
