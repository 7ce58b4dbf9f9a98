// The one line of output a selected journal record produces:
// reason names joined by "|", " 0x", the parent folder's FRN in 16 hex digits, " ", the name.
#pragma once

// The record is a USN_RECORD_V2 whose name the walker has checked: FileNameLength is at
// most 510 bytes and the name lies inside the data held.
void PrintRecord(const unsigned char* record);
