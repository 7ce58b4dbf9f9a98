// The names of a record's FILE_ATTRIBUTE_ and USN_SOURCE_ flags, as the platform spells
// them without the prefix.
#pragma once

#include <cstddef>

#include "journal/flag_names.h"

extern const FlagName ATTRIBUTE_NAMES[];
extern const size_t ATTRIBUTE_NAME_COUNT;
extern const FlagNameIndex ATTRIBUTE_INDEX;

extern const FlagName SOURCE_INFO_NAMES[];
extern const size_t SOURCE_INFO_NAME_COUNT;
extern const FlagNameIndex SOURCE_INFO_INDEX;

// A directory's attributes carry this flag.
const uint32_t FILE_ATTRIBUTE_DIRECTORY_FLAG = 0x10;
