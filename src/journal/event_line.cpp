#include "journal/event_line.h"

#include <cstring>

#include "base/little_endian.h"
#include "base/format_text.h"
#include "base/output.h"
#include "journal/reason_names.h"
#include "journal/usn_layout.h"

namespace {

// The name buffer: a name of at most 255 units and its terminator.
const uint32_t NAME_BUFFER_UNITS = 260;

// Units 1 to 255 are written as the byte of the same value, with no code-page
// translation. A unit above 255 has no such byte: it becomes '?', so every unit is still
// one byte and the rest of the name follows it.
char* WriteName(char* out, const uint16_t* name)
{
    for (; *name != 0; ++name)
        *out++ = *name <= 0xFF ? static_cast<char>(*name) : '?';
    return out;
}

}  // namespace

void PrintRecord(const unsigned char* record)
{
    uint16_t name[NAME_BUFFER_UNITS];
    uint32_t nameLength = LoadU16(record + offsetof(UsnRecordV2Layout, FileNameLength));
    const unsigned char* nameBytes = record + LoadU16(record + offsetof(UsnRecordV2Layout, FileNameOffset));
    // An odd length leaves its last byte out: the terminator goes at nameLength / 2.
    for (uint32_t i = 0; i < nameLength / 2; ++i)
        name[i] = LoadU16(nameBytes + 2 * i);
    name[nameLength / 2] = 0;

    char* out = ReserveOutput(OUTPUT_RESERVE_MAX);
    uint32_t reason = LoadU32(record + offsetof(UsnRecordV2Layout, Reason)) & EVENT_LINE_REASONS;
    out = WriteFlagNames(out, reason, REASON_INDEX, '|');
    uint64_t parent = LoadU64(record + offsetof(UsnRecordV2Layout, ParentFileReferenceNumber));
    out = WriteHexDigits(WriteLiteral(out, " 0x"), parent, 16);
    *out++ = ' ';
    out = WriteName(out, name);
    *out++ = '\n';
    CommitOutput(out);
}
