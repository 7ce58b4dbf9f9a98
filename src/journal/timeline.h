// The timeline formats (CSV, JSON Lines, bodyfile): what each writes before the records,
// and each record in the format chosen.
#pragma once

#include "journal/output_options.h"
#include "journal/usn_record.h"

// The CSV header row; nothing for the other formats.
void PrintTimelineHeader(const OutputOptions& options);

// The record, of that shape, with its name checked by the walker to lie in the data.
void PrintTimelineRecord(const unsigned char* record, const UsnRecordShape& shape,
                         const OutputOptions& options);
