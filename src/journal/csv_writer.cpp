#include "journal/csv_writer.h"

#include <cstring>

#include "base/format_text.h"
#include "base/output.h"
#include "journal/name_text.h"
#include "journal/timeline_fields.h"

namespace {

const char CSV_ROW_END[] = "\r\n";

// A field is quoted when it holds a comma, a quote or a line break (or any other control
// character, which some readers take for one); quotes inside are doubled.
char* QuoteCsvText(char* out, const char* text, const char* end)
{
    *out++ = '"';
    for (; text != end; ++text) {
        if (*text == '"')
            *out++ = '"';
        *out++ = *text;
    }
    *out++ = '"';
    return out;
}

const NameEscape CSV_NAME = {',', '"', QuoteCsvText};

char* WriteCsvText(char* out, const unsigned char* utf16, size_t units)
{
    return WriteText(out, utf16, units, CSV_NAME);
}

const FieldSyntax CSV_SYNTAX = {false, WriteCsvText};

}  // namespace

void WriteCsvHeader()
{
    char* out = ReserveOutput(OUTPUT_RESERVE_MAX);
    for (size_t i = 0; i < TIMELINE_FIELD_COUNT; ++i) {
        if (i != 0)
            *out++ = ',';
        out = WriteBytes(out, TIMELINE_FIELD_NAMES[i], std::strlen(TIMELINE_FIELD_NAMES[i]));
    }
    CommitOutput(WriteLiteral(out, CSV_ROW_END));
}

void WriteCsvRecord(const UsnRecord& record)
{
    char* out = ReserveOutput(TimelineRecordRoom(record));
    out = WriteTimelineFields(out, record, CSV_SYNTAX);
    CommitOutput(WriteLiteral(out, CSV_ROW_END));
}
