// The window through which $J is read, wherever its bytes come from: the volume's $J
// stream through its runlist, or an exported $J file, whose holes the platform reports.
#pragma once

#include <cstdint>

#include "ntfs/ntfs_types.h"

// Allocates the window once data.NextUsn is known. Returns 0 or WIN_ERROR_OUTOFMEMORY.
uint32_t AllocateJWindow(UsnJrnl* journal);

inline bool InJWindow(const UsnJrnl* journal, uint64_t usn)
{
    return usn >= journal->windowStart && usn - journal->windowStart < journal->windowLength;
}

// Moves *usn past what is not stored at all (sparse runs, holes) and loads the stretch of
// $J from the page that holds it. Returns 0 with *usn in the window, or with *usn at
// data.NextUsn when nothing is stored after it; or the read's error code.
uint32_t LoadJWindow(UsnJrnl* journal, uint64_t* usn);

// From an 8-aligned `usn` in the window: the offset of the first 8-byte word at or after
// it that is not zero, or the window's end. Stored zeros pass at memory speed, never
// record by record.
uint64_t SkipZeroWords(const UsnJrnl* journal, uint64_t usn);

// Where a byte of $J lies in the input (device, image or file), for messages; UINT64_MAX
// when it is not stored.
uint64_t JInputOffset(const UsnJrnl* journal, uint64_t usn);
