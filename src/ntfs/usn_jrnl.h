// $Extend\$UsnJrnl of an NTFS volume held in a file or block device, read only: its $J
// stream holds the records, its $Max data the journal's identity and limits. Results and
// error codes are those Windows gives for FSCTL_QUERY_USN_JOURNAL and a version-0
// FSCTL_READ_USN_JOURNAL.
#pragma once

#include <cstdint>

#include "journal/usn_layout.h"

struct UsnJrnl;  // everything found on the volume; owned by the caller through the calls below

// Finds the NTFS volume in the open file (a bare volume, or the partition of a whole-disk
// image with an MBR or GPT table), then $Extend\$UsnJrnl and its $J and $Max streams.
// Returns 0, or a Windows error code (1 not NTFS, 1179 no journal, 1178 journal being
// deleted, 1392 damaged, 1117 device read error, 14 out of memory). On success *journal
// must be given to CloseUsnJrnl. The volume is only read (pread), never written.
// In a whole-disk image the first NTFS partition in table order is the one opened.
uint32_t OpenUsnJrnl(int fd, UsnJrnl** journal);
void QueryUsnJrnl(const UsnJrnl* journal, UsnJournalData* data);
// Returns 0 with *bytesReturned filled (next USN, then whole V2 records), or an error code
// (1181 StartUsn below FirstUsn, 87 another journal's id, 122 buffer too small for the
// next record, 1392, 1117). Each successful read either returns records or has reached
// the end of $J, so reading from each next USN always comes to an end.
uint32_t ReadUsnJrnl(UsnJrnl* journal, const ReadUsnJournalData& request,
                     unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned);
void CloseUsnJrnl(UsnJrnl* journal);
