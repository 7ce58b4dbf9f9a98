// The USN journal read straight from its bytes, read only: $Extend\$UsnJrnl of an NTFS
// volume held in a device or image (its $J stream holds the records, its $Max data the
// journal's identity and limits), or an exported copy of $J. Results and error codes are
// those Windows gives for FSCTL_QUERY_USN_JOURNAL and FSCTL_READ_USN_JOURNAL.
#pragma once

#include <cstdint>

#include "base/byte_source.h"
#include "journal/usn_layout.h"

struct NtfsVolume;
struct UsnJrnl;  // everything found in the source; owned by the caller through the calls below

// Finds the NTFS volume in the source (a bare volume, or the partition of a whole-disk
// image with an MBR or GPT table), then $Extend\$UsnJrnl and its $J and $Max streams;
// a source that is neither is tried as an exported $J (OpenJournalFile). Returns 0, or a
// Windows error code (1 neither NTFS nor a journal, 1179 no journal, 1178 journal being
// deleted, 1392 damaged, 1117 device read error, 14 out of memory). On success *journal
// must be given to CloseUsnJrnl. The source is only read, never written.
// In a whole-disk image the first NTFS partition in table order whose journal opens is
// the one read.
uint32_t OpenUsnJrnl(const ByteSource& source, UsnJrnl** journal);

// Reads a regular file or a disk as an exported $J stream, in which a byte's offset is
// its USN: accepted when the first bytes stored after any hole or head of zeros are a
// well-formed USN record, which is then FirstUsn. NextUsn is the source's size and
// UsnJournalID 0, since no $Max comes with it. Returns 0, 1 (not a journal), 1117 or 14.
uint32_t OpenJournalFile(const ByteSource& source, UsnJrnl** journal);
void QueryUsnJrnl(const UsnJrnl* journal, UsnJournalData* data);
// The NTFS volume the journal was found on, whose MFT can then be read; nullptr for an
// exported $J.
const NtfsVolume* UsnJrnlVolume(const UsnJrnl* journal);
// Returns 0 with *bytesReturned filled (next USN, then whole V2 records), or an error code
// (1181 StartUsn below FirstUsn, 87 another journal's id, 122 buffer too small for the
// next record, 1392, 1117). Each successful read either returns records or has reached
// the end of $J, so reading from each next USN always comes to an end.
uint32_t ReadUsnJrnl(UsnJrnl* journal, const ReadUsnJournalData& request,
                     unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned);
void CloseUsnJrnl(UsnJrnl* journal);
