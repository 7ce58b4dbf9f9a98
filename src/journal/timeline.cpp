#include "journal/timeline.h"

#include "journal/body_writer.h"
#include "journal/csv_writer.h"
#include "journal/json_writer.h"

namespace {

unsigned char pathBuffer[PATH_BUFFER_BYTES];
PathCache pathCache;

void PrintFields(const UsnRecord& fields, const OutputOptions& options)
{
    switch (options.format) {
    case OUTPUT_CSV: WriteCsvRecord(fields); break;
    case OUTPUT_JSON: WriteJsonRecord(fields); break;
    case OUTPUT_BODY: WriteBodyRecord(fields); break;
    case OUTPUT_EVENT_LINE: break;  // the walker prints event lines itself
    }
}

}  // namespace

void PrintTimelineHeader(const OutputOptions& options)
{
    if (options.format == OUTPUT_CSV)
        WriteCsvHeader();
}

void VisitTimelineRecord(const unsigned char* record, const UsnRecordShape& shape,
                         const OutputOptions& options, const PathPass* paths, bool print)
{
    UsnRecord fields;
    DecodeUsnRecord(record, shape, &fields);
    // NTFS ids fit 64 bits; a record whose 128-bit ids do not has no place in the index.
    bool tracked = paths != nullptr && fields.FileReferenceNumberHigh == 0 &&
                   fields.ParentFileReferenceNumberHigh == 0;
    if (paths != nullptr && paths->rewinding) {
        if (tracked)
            NoteOldestRecord(paths->index, fields.FileReferenceNumber,
                             fields.ParentFileReferenceNumber, fields.FileName, fields.FileNameUnits);
        return;
    }
    if (print && tracked) {
        fields.ParentPath = pathBuffer;
        fields.ParentPathUnits = WriteParentPathOnce(paths->index, fields.ParentFileReferenceNumber,
                                                     pathBuffer, &pathCache);
    }
    if (print)
        PrintFields(fields, options);
    if (tracked)
        ApplyRecord(paths->index, fields.FileReferenceNumber, fields.ParentFileReferenceNumber,
                    fields.FileName, fields.FileNameUnits);
}
