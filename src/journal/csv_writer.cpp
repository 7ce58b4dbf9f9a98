#include "journal/csv_writer.h"

#include <cstring>

#include "base/format_text.h"
#include "base/output.h"
#include "base/utf8_text.h"
#include "journal/timeline_fields.h"

namespace {

const char CSV_ROW_END[] = "\r\n";

// A field is quoted when it holds a comma, a quote or a line break (or any other control
// character, which some readers take for one); quotes inside are doubled.
char* WriteCsvName(char* out, const UsnRecord& record)
{
    char text[NAME_UTF8_MAX];
    size_t length = static_cast<size_t>(WriteUtf8(text, record.FileName, record.FileNameUnits) - text);
    bool quoted = false;
    for (size_t i = 0; i < length && !quoted; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        quoted = c == ',' || c == '"' || c < 0x20 || c == 0x7F;
    }
    if (!quoted) {
        return WriteBytes(out, text, length);
    }
    *out++ = '"';
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '"')
            *out++ = '"';
        *out++ = text[i];
    }
    *out++ = '"';
    return out;
}

const FieldSyntax CSV_SYNTAX = {false, WriteCsvName};

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
    char* out = ReserveOutput(OUTPUT_RESERVE_MAX);
    out = WriteTimelineFields(out, record, CSV_SYNTAX);
    CommitOutput(WriteLiteral(out, CSV_ROW_END));
}
