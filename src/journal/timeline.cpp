#include "journal/timeline.h"

#include "journal/body_writer.h"
#include "journal/csv_writer.h"
#include "journal/json_writer.h"

void PrintTimelineHeader(const OutputOptions& options)
{
    if (options.format == OUTPUT_CSV)
        WriteCsvHeader();
}

void PrintTimelineRecord(const unsigned char* record, const UsnRecordShape& shape,
                         const OutputOptions& options)
{
    UsnRecord fields;
    DecodeUsnRecord(record, shape, &fields);
    switch (options.format) {
    case OUTPUT_CSV: WriteCsvRecord(fields); break;
    case OUTPUT_JSON: WriteJsonRecord(fields); break;
    case OUTPUT_BODY: WriteBodyRecord(fields); break;
    case OUTPUT_EVENT_LINE: break;  // the walker prints event lines itself
    }
}
