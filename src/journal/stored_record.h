// USN records as $J stores them (V2, V3, V4) and as a version-0 read returns them (V2).
#pragma once

#include <cstdint>

#include "journal/usn_layout.h"

// The RecordLength of the stored record at `record` when it is well formed and lies
// within the `available` bytes left in its page and in the stream; 0 for the zero
// padding at a page's end and for a damaged record, both of which end the page. Then
// *problem, unless `problem` is null, says in a few words what is wrong with the record.
uint32_t StoredUsnRecordLength(const unsigned char* record, uint64_t available,
                               const char** problem = nullptr);

// How many bytes the (well-formed) record takes in the answer to `request`, or 0 when it
// is not returned: a record newer than the request's MaxMajorVersion that cannot be
// written as V2 (V4 records, V3 records whose 128-bit ids do not fit 64 bits), and records
// that the reason mask or the close-only flag leaves out. The full mask returns every
// record, one whose Reason is 0 included: what is on the disk is never hidden.
uint32_t ReplyRecordLength(const unsigned char* record, const ReadUsnJournalData& request);

// Writes the record as the request wants it into `out` (replyLength bytes): as stored,
// or a V3 record in the V2 layout when the request asks for V2 only.
void WriteReplyRecord(const unsigned char* record, const ReadUsnJournalData& request,
                      unsigned char* out, uint32_t replyLength);
