// Bit flags written by name: the reasons of a record, its file attributes, its source.
#pragma once

#include <cstddef>
#include <cstdint>

struct FlagName {
    uint32_t bit;
    const char* name;
    size_t length;  // of the name, without its terminator
};

#define FLAG_NAME(bit, name) { bit, name, sizeof(name) - 1 }

// Writes the names of the table's flags set in `flags`, in table order, joined by
// `separator`; bits the table does not name follow as one hexadecimal value
// ("0x00000008"), so nothing set is left out. Writes nothing for 0.
char* WriteFlagNames(char* out, uint32_t flags, const FlagName* table, size_t count, char separator);

