#include "journal/json_writer.h"

#include "base/format_text.h"
#include "base/output.h"
#include "journal/name_text.h"
#include "journal/timeline_fields.h"

namespace {

// Quotes and backslashes after a backslash, control characters and DEL as \u00XX.
char* EscapeJsonText(char* out, const char* text, const char* end)
{
    for (; text != end; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c == '"' || c == '\\') {
            *out++ = '\\';
            *out++ = *text;
        } else if (c < 0x20 || c == 0x7F) {
            out = WriteHexDigits(WriteLiteral(out, "\\u00"), c, 2);
        } else {
            *out++ = *text;
        }
    }
    return out;
}

const NameEscape JSON_NAME = {'"', '\\', EscapeJsonText};

// A JSON string, UTF-8.
char* WriteJsonText(char* out, const unsigned char* utf16, size_t units)
{
    *out++ = '"';
    out = WriteText(out, utf16, units, JSON_NAME);
    *out++ = '"';
    return out;
}

const FieldSyntax JSON_SYNTAX = {true, WriteJsonText};

}  // namespace

void WriteJsonRecord(const UsnRecord& record)
{
    char* out = ReserveOutput(TimelineRecordRoom(record));
    *out++ = '{';
    out = WriteTimelineFields(out, record, JSON_SYNTAX);
    *out++ = '}';
    CommitOutput(WriteLiteral(out, OUTPUT_LINE_END));
}
