#include "journal/body_writer.h"

#include "base/format_text.h"
#include "base/little_endian.h"
#include "base/output.h"
#include "journal/attribute_names.h"
#include "journal/name_text.h"
#include "journal/path_index.h"
#include "journal/reason_names.h"
#include "journal/time_stamp.h"
#include "journal/timeline_fields.h"
#include "journal/usn_layout.h"

namespace {

// The bodyfile has no quoting: a '|' would split the line's fields and a line break the
// line. Those, the other control characters and DEL are written as \xNN, and the
// backslash that starts these as \\, so every name reads back unchanged.
char* EscapeBodyText(char* out, const char* text, const char* end)
{
    for (; text != end; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c == '\\') {
            out = WriteLiteral(out, "\\\\");
        } else if (c == '|' || c < 0x20 || c == 0x7F) {
            out = WriteHexDigits(WriteLiteral(out, "\\x"), c, 2);
        } else {
            *out++ = *text;
        }
    }
    return out;
}

const NameEscape BODY_NAME = {'|', '\\', EscapeBodyText};

// The mode The Sleuth Kit gives NTFS folders and files.
unsigned char slashedPath[PATH_BUFFER_BYTES];

const char DIRECTORY_MODE[] = "d/dr-xr-xr-x";
const char FILE_MODE[] = "r/rrwxrwxrwx";

}  // namespace

void WriteBodyRecord(const UsnRecord& record)
{
    char* out = ReserveOutput(TimelineRecordRoom(record));
    out = WriteLiteral(out, "0|");
    // The name field is the file's whole path when the folder's is known, separated by
    // "/" as The Sleuth Kit writes paths in its bodyfiles ("/Users/x/notes.txt"). NTFS
    // names hold no "\", so each one in the path is a separator.
    if (record.ParentPath != nullptr) {
        for (uint32_t i = 0; i < record.ParentPathUnits; ++i) {
            uint16_t unit = LoadU16(record.ParentPath + 2 * i);
            StoreU16(slashedPath + 2 * i, unit == '\\' ? uint16_t('/') : unit);
        }
        out = WriteText(out, slashedPath, record.ParentPathUnits, BODY_NAME);
        if (record.ParentPathUnits > 1)
            *out++ = '/';
    }
    out = WriteText(out, record.FileName, record.FileNameUnits, BODY_NAME);
    out = WriteLiteral(out, " (");
    out = WriteFlagNames(out, record.Reason, REASON_INDEX, ' ');
    out = WriteLiteral(out, ")|");
    out = WriteDecimal(out, record.FileReferenceNumber & FILE_REFERENCE_RECORD_MASK);
    *out++ = '-';
    out = WriteDecimal(out, record.FileReferenceNumber >> FILE_REFERENCE_SEQUENCE_SHIFT);
    *out++ = '|';
    if (record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY_FLAG)
        out = WriteLiteral(out, DIRECTORY_MODE);
    else
        out = WriteLiteral(out, FILE_MODE);
    // UID, GID and size: a record holds none of them.
    out = WriteLiteral(out, "|0|0|0");
    // atime, mtime, ctime, crtime: the one time a record has. Leaving some at 0 would
    // put a line at 1970 in mactime's timeline for each of them.
    char time[32];
    size_t length = static_cast<size_t>(WriteUnixTimeStamp(time, record.TimeStamp) - time);
    for (int i = 0; i < 4; ++i) {
        *out++ = '|';
        out = WriteBytes(out, time, length);
    }
    CommitOutput(WriteLiteral(out, OUTPUT_LINE_END));
}
