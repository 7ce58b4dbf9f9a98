#include "journal/event_line.h"

#include <cstring>

#include "journal/little_endian.h"
#include "journal/output.h"
#include "journal/usn_record.h"

namespace {

struct ReasonName {
    uint32_t bit;
    const char* name;
    size_t length;
};

#define REASON(bit, name) { bit, name, sizeof(name) - 1 }

// The USN_REASON_ flags that have a name, in the order they are written.
const ReasonName REASON_NAMES[] = {
    REASON(0x00000001, "DATA_OVERWRITE"),
    REASON(0x00000002, "DATA_EXTEND"),
    REASON(0x00000004, "DATA_TRUNCATION"),
    REASON(0x00000010, "NAMED_DATA_OVERWRITE"),
    REASON(0x00000020, "NAMED_DATA_EXTEND"),
    REASON(0x00000040, "NAMED_DATA_TRUNCATION"),
    REASON(0x00000100, "FILE_CREATE"),
    REASON(0x00000200, "FILE_DELETE"),
    REASON(0x00000400, "EA_CHANGE"),
    REASON(0x00000800, "SECURITY_CHANGE"),
    REASON(0x00001000, "RENAME_OLD_NAME"),
    REASON(0x00002000, "RENAME_NEW_NAME"),
    REASON(0x00004000, "INDEXABLE_CHANGE"),
    REASON(0x00008000, "BASIC_INFO_CHANGE"),
    REASON(0x00010000, "HARD_LINK_CHANGE"),
    REASON(0x00020000, "COMPRESSION_CHANGE"),
    REASON(0x00040000, "ENCRYPTION_CHANGE"),
    REASON(0x00080000, "OBJECT_ID_CHANGE"),
    REASON(0x00100000, "REPARSE_POINT_CHANGE"),
    REASON(0x00200000, "STREAM_CHANGE"),
    REASON(0x80000000, "CLOSE"),
};

#undef REASON

const char HEX_DIGITS[] = "0123456789abcdef";

char* WriteReasons(char* out, uint32_t reason)
{
    const char* lineStart = out;
    for (const ReasonName& row : REASON_NAMES) {
        if ((reason & row.bit) == 0)
            continue;
        if (out != lineStart)
            *out++ = '|';
        std::memcpy(out, row.name, row.length);
        out += row.length;
    }
    return out;
}

char* WriteHex16(char* out, uint64_t value)
{
    for (int i = 15; i >= 0; --i) {
        out[i] = HEX_DIGITS[value & 0xF];
        value >>= 4;
    }
    return out + 16;
}

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
    uint32_t nameLength = LoadU16(record + FILE_NAME_LENGTH_OFFSET);
    const unsigned char* nameBytes = record + LoadU16(record + FILE_NAME_OFFSET_OFFSET);
    // An odd length leaves its last byte out: the terminator goes at nameLength / 2.
    for (uint32_t i = 0; i < nameLength / 2; ++i)
        name[i] = LoadU16(nameBytes + 2 * i);
    name[nameLength / 2] = 0;

    char* out = ReserveOutput(OUTPUT_RESERVE_MAX);
    out = WriteReasons(out, LoadU32(record + REASON_OFFSET));
    std::memcpy(out, " 0x", 3);
    out = WriteHex16(out + 3, LoadU64(record + PARENT_FILE_REFERENCE_NUMBER_OFFSET));
    *out++ = ' ';
    out = WriteName(out, name);
    *out++ = '\n';
    CommitOutput(out);
}
