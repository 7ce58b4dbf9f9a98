// Names and paths as UTF-8 in the timeline formats, with the characters a format cannot
// hold as they stand written another way.
#pragma once

#include <cstddef>

// The characters a format writes another way: the control characters, DEL and these two.
// `escape` writes the whole text in the format's escaped form.
struct NameEscape {
    char first;
    char second;
    char* (*escape)(char* out, const char* text, const char* end);
};

// Writes the UTF-16LE text (a name, or a path of up to MAX_PATH_UNITS units) as it
// stands, or through `escape` when any character needs it (names seldom do, so the usual
// one is converted straight into the output). The output must have room for six bytes a
// unit, the most any escape takes.
char* WriteText(char* out, const unsigned char* utf16, size_t units, const NameEscape& escape);
