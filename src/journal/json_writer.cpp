#include "journal/json_writer.h"

#include <cstring>

#include "base/format_text.h"
#include "base/output.h"
#include "base/utf8_text.h"
#include "journal/timeline_fields.h"

namespace {

// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
char* WriteJsonName(char* out, const UsnRecord& record)
{
    char text[NAME_UTF8_MAX];
    const char* end = WriteUtf8(text, record.FileName, record.FileNameUnits);
    *out++ = '"';
    for (const char* p = text; p != end; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            *out++ = '\\';
            *out++ = static_cast<char>(c);
        } else if (c < 0x20) {
            out = WriteHexDigits(WriteLiteral(out, "\\u00"), c, 2);
        } else {
            *out++ = static_cast<char>(c);
        }
    }
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
