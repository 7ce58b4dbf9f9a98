// Records as CSV (RFC 4180): a header row, then one row per record, UTF-8, each row
// ended by CR LF on every platform.
#pragma once

#include "journal/usn_record.h"

void WriteCsvHeader();
void WriteCsvRecord(const UsnRecord& record);
