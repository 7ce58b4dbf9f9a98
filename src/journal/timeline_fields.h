// The fields of a record in the CSV and JSON Lines formats: one list of names, the CSV
// header and the JSON keys alike, and one writer of the values in that order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "journal/usn_record.h"

extern const char* const TIMELINE_FIELD_NAMES[];
extern const size_t TIMELINE_FIELD_COUNT;

// What sets the two formats apart.
struct FieldSyntax {
    bool keyed;        // each value follows its name and a colon, text values in quotes
    // Writes a UTF-16LE text (the name, the path) as a value of the format, quoted and
    // escaped as it needs.
    char* (*writeText)(char* out, const unsigned char* utf16, size_t units);
};

// The values, separated by commas, after the format's key where it has keys.
char* WriteTimelineFields(char* out, const UsnRecord& record, const FieldSyntax& syntax);

// The room a record's line may take in any format: a path of any length, every unit
// escaped, besides everything else.
size_t TimelineRecordRoom(const UsnRecord& record);
