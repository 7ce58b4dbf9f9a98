// The names of the USN_REASON_ flags, as the platform spells them without the prefix.
#pragma once

#include <cstddef>
#include <cstdint>

#include "journal/flag_names.h"

// Every flag Windows documents, in the order of their bits.
extern const FlagName REASON_NAMES[];
extern const size_t REASON_NAME_COUNT;
extern const FlagNameIndex REASON_INDEX;

// The flags the event line names; the others are never written on it.
const uint32_t EVENT_LINE_REASONS = 0x803FFF77;

// The flag of that name, or 0 when there is none.
uint32_t ReasonBit(const char* name);
