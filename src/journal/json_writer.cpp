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
char* WriteJsonName(char* out, const UsnRecord& record)
{
    *out++ = '"';
    out = WriteName(out, record, JSON_NAME);
    *out++ = '"';
    return out;
}

const FieldSyntax JSON_SYNTAX = {true, WriteJsonName};

}  // namespace

void WriteJsonRecord(const UsnRecord& record)
{
    char* out = ReserveOutput(OUTPUT_RESERVE_MAX);
    *out++ = '{';
    out = WriteTimelineFields(out, record, JSON_SYNTAX);
    *out++ = '}';
    CommitOutput(WriteLiteral(out, OUTPUT_LINE_END));
}
