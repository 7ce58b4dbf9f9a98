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

// A table's names by the position of their bit: a journal has millions of records, and
// each is written by looking up only the bits it has.
struct FlagNameIndex {
    const FlagName* byBit[32];
};

// The table's flags must each be one bit.
FlagNameIndex IndexFlagNames(const FlagName* table, size_t count);

// Writes the names of the flags set in `flags`, lowest bit first, joined by `separator`;
// bits the index does not name follow as one hexadecimal value ("0x00000008"), so nothing
// set is left out. Writes nothing for 0.
char* WriteFlagNames(char* out, uint32_t flags, const FlagNameIndex& names, char separator);

