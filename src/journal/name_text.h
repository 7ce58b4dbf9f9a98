// A record's name as UTF-8 in the timeline formats, with the characters a format cannot
// hold as they stand written another way.
#pragma once

#include <cstddef>

#include "journal/usn_record.h"

// The longest UTF-8 text of a name: 255 units at three bytes each.
const size_t NAME_UTF8_MAX = 3 * 255;

// The characters a format writes another way: the control characters, DEL and these two.
// `escape` writes the whole text in the format's escaped form.
struct NameEscape {
    char first;
    char second;
    char* (*escape)(char* out, const char* text, const char* end);
};

// Writes the name as it stands, or through `escape` when any character needs it (names
// seldom do, so the usual name is converted straight into the output).
char* WriteName(char* out, const UsnRecord& record, const NameEscape& escape);
