// USN records as $J stores them (V2, V3, V4) and as a version-0 read returns them (V2).
#pragma once

#include <cstdint>

#include "volume/volume_ops.h"

const uint32_t USN_PAGE_SIZE = 4096;  // records never cross a page of $J
const uint32_t USN_REASON_CLOSE = 0x80000000;

// The RecordLength of the stored record at `record` when it is well formed and lies
// within the `available` bytes left in its page and in the stream; 0 for the zero
// padding at a page's end and for a damaged record, both of which end the page.
uint32_t StoredUsnRecordLength(const unsigned char* record, uint64_t available);

// How many bytes the (well-formed) record takes in the answer to `request`, or 0 when it
// is not returned: V4 records, V3 records whose 128-bit ids do not fit 64 bits, and
// records the reason mask or the close-only flag leaves out.
uint32_t ReplyRecordLength(const unsigned char* record, const ReadUsnJournalData& request);

// Writes the record in the V2 layout into `out` (replyLength bytes).
void WriteReplyRecord(const unsigned char* record, unsigned char* out, uint32_t replyLength);
