#include "journal/timeline_fields.h"

#include <cstring>

#include "base/format_text.h"
#include "base/output.h"
#include "journal/attribute_names.h"
#include "journal/path_index.h"
#include "journal/reason_names.h"
#include "journal/time_stamp.h"
#include "journal/usn_layout.h"

namespace {

enum TimelineField {
    FIELD_USN,
    FIELD_TIME_STAMP,
    FIELD_NAME,
    FIELD_PARENT_PATH,
    FIELD_REASON,
    FIELD_FILE_ATTRIBUTES,
    FIELD_FILE_ENTRY,
    FIELD_FILE_SEQUENCE,
    FIELD_PARENT_ENTRY,
    FIELD_PARENT_SEQUENCE,
    FIELD_FILE_REFERENCE_NUMBER,
    FIELD_PARENT_FILE_REFERENCE_NUMBER,
    FIELD_SOURCE_INFO,
    FIELD_SECURITY_ID,
    FIELD_MAJOR_VERSION,
    FIELD_MINOR_VERSION,
    FIELD_RECORD_LENGTH,
};

char* Key(char* out, TimelineField field, const FieldSyntax& syntax)
{
    if (field != FIELD_USN)
        *out++ = ',';
    if (syntax.keyed) {
        const char* name = TIMELINE_FIELD_NAMES[field];
        *out++ = '"';
        out = WriteBytes(out, name, std::strlen(name));
        *out++ = '"';
        *out++ = ':';
    }
    return out;
}

char* Quote(char* out, const FieldSyntax& syntax)
{
    if (syntax.keyed)
        *out++ = '"';
    return out;
}

char* WriteSigned(char* out, int64_t value)
{
    if (value >= 0)
        return WriteDecimal(out, static_cast<uint64_t>(value));
    *out++ = '-';
    return WriteDecimal(out, 0 - static_cast<uint64_t>(value));
}

// "0x" and 16 hexadecimal digits, or 32 for a record with 128-bit ids.
char* WriteFileId(char* out, uint64_t low, uint64_t high, bool wide, const FieldSyntax& syntax)
{
    out = Quote(out, syntax);
    out = WriteLiteral(out, "0x");
    if (wide)
        out = WriteHexDigits(out, high, 16);
    out = WriteHexDigits(out, low, 16);
    return Quote(out, syntax);
}

char* WriteFlags(char* out, uint32_t flags, const FlagNameIndex& names, const FieldSyntax& syntax)
{
    out = Quote(out, syntax);
    out = WriteFlagNames(out, flags, names, '|');
    return Quote(out, syntax);
}

// Records come in runs from one folder, whose path is the same each time: it is written
// in the format once and copied after.
unsigned char lastPath[PATH_BUFFER_BYTES];
uint32_t lastPathUnits;
const FieldSyntax* lastPathSyntax;
char lastPathText[6 * MAX_PATH_UNITS + 2];
size_t lastPathLength;

char* WritePath(char* out, const UsnRecord& r, const FieldSyntax& syntax)
{
    size_t bytes = 2 * size_t(r.ParentPathUnits);
    if (&syntax == lastPathSyntax && r.ParentPathUnits == lastPathUnits &&
        (bytes == 0 || std::memcmp(r.ParentPath, lastPath, bytes) == 0))
        return WriteBytes(out, lastPathText, lastPathLength);
    char* end = syntax.writeText(out, r.ParentPath, r.ParentPathUnits);
    if (bytes != 0)
        std::memcpy(lastPath, r.ParentPath, bytes);
    lastPathUnits = r.ParentPathUnits;
    lastPathSyntax = &syntax;
    lastPathLength = static_cast<size_t>(end - out);
    std::memcpy(lastPathText, out, lastPathLength);
    return end;
}

}  // namespace

const char* const TIMELINE_FIELD_NAMES[] = {
    "Usn",
    "TimeStamp",
    "Name",
    "ParentPath",
    "Reason",
    "FileAttributes",
    "FileEntry",
    "FileSequence",
    "ParentEntry",
    "ParentSequence",
    "FileReferenceNumber",
    "ParentFileReferenceNumber",
    "SourceInfo",
    "SecurityId",
    "MajorVersion",
    "MinorVersion",
    "RecordLength",
};

const size_t TIMELINE_FIELD_COUNT = sizeof TIMELINE_FIELD_NAMES / sizeof TIMELINE_FIELD_NAMES[0];
static_assert(sizeof TIMELINE_FIELD_NAMES / sizeof TIMELINE_FIELD_NAMES[0] ==
                  FIELD_RECORD_LENGTH + 1,
              "a name for every field");

size_t TimelineRecordRoom(const UsnRecord& record)
{
    const size_t MOST_BYTES_A_UNIT = 6;  // a control character escaped in JSON: \u00XX
    return OUTPUT_RESERVE_MAX + MOST_BYTES_A_UNIT * record.ParentPathUnits;
}

char* WriteTimelineFields(char* out, const UsnRecord& r, const FieldSyntax& syntax)
{
    bool wideIds = r.MajorVersion == 3;
    out = Key(out, FIELD_USN, syntax);
    out = WriteSigned(out, r.Usn);
    out = Key(out, FIELD_TIME_STAMP, syntax);
    out = Quote(out, syntax);
    out = WriteIsoTimeStamp(out, r.TimeStamp);
    out = Quote(out, syntax);
    out = Key(out, FIELD_NAME, syntax);
    out = syntax.writeText(out, r.FileName, r.FileNameUnits);
    out = Key(out, FIELD_PARENT_PATH, syntax);
    out = WritePath(out, r, syntax);
    out = Key(out, FIELD_REASON, syntax);
    out = WriteFlags(out, r.Reason, REASON_INDEX, syntax);
    out = Key(out, FIELD_FILE_ATTRIBUTES, syntax);
    out = WriteFlags(out, r.FileAttributes, ATTRIBUTE_INDEX, syntax);
    out = Key(out, FIELD_FILE_ENTRY, syntax);
    out = WriteDecimal(out, r.FileReferenceNumber & FILE_REFERENCE_RECORD_MASK);
    out = Key(out, FIELD_FILE_SEQUENCE, syntax);
    out = WriteDecimal(out, r.FileReferenceNumber >> FILE_REFERENCE_SEQUENCE_SHIFT);
    out = Key(out, FIELD_PARENT_ENTRY, syntax);
    out = WriteDecimal(out, r.ParentFileReferenceNumber & FILE_REFERENCE_RECORD_MASK);
    out = Key(out, FIELD_PARENT_SEQUENCE, syntax);
    out = WriteDecimal(out, r.ParentFileReferenceNumber >> FILE_REFERENCE_SEQUENCE_SHIFT);
    out = Key(out, FIELD_FILE_REFERENCE_NUMBER, syntax);
    out = WriteFileId(out, r.FileReferenceNumber, r.FileReferenceNumberHigh, wideIds, syntax);
    out = Key(out, FIELD_PARENT_FILE_REFERENCE_NUMBER, syntax);
    out = WriteFileId(out, r.ParentFileReferenceNumber, r.ParentFileReferenceNumberHigh, wideIds,
                      syntax);
    out = Key(out, FIELD_SOURCE_INFO, syntax);
    out = WriteFlags(out, r.SourceInfo, SOURCE_INFO_INDEX, syntax);
    out = Key(out, FIELD_SECURITY_ID, syntax);
    out = WriteDecimal(out, r.SecurityId);
    out = Key(out, FIELD_MAJOR_VERSION, syntax);
    out = WriteDecimal(out, r.MajorVersion);
    out = Key(out, FIELD_MINOR_VERSION, syntax);
    out = WriteDecimal(out, r.MinorVersion);
    out = Key(out, FIELD_RECORD_LENGTH, syntax);
    return WriteDecimal(out, r.RecordLength);
}
