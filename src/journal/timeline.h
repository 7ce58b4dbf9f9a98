// The timeline formats (CSV, JSON Lines, bodyfile): what each writes before the records,
// and each record in the format chosen.
#pragma once

#include "journal/output_options.h"
#include "journal/path_index.h"
#include "journal/usn_record.h"

// A journal read with paths is read twice: the first pass only notes each file's oldest
// record, which rolls the names the MFT gave back to the journal's start; the second
// prints, and applies each record to the names after its line is made.
struct PathPass {
    PathIndex* index;
    bool rewinding;  // the first pass
};

// The CSV header row; nothing for the other formats.
void PrintTimelineHeader(const OutputOptions& options);

// A record, of that shape, with its name checked by the walker to lie in the data:
// printed in the format when `print` says so, and noted in or applied to the path index
// when there is one (`paths` is nullptr when there is not).
void VisitTimelineRecord(const unsigned char* record, const UsnRecordShape& shape,
                         const OutputOptions& options, const PathPass* paths, bool print);
