// Turns the [file-reference-number] argument into an FRN.
#pragma once

#include <cstdint>

#include "base/wide_text.h"

// Hexadecimal after "0x" or "0X", decimal otherwise; reading stops at the first unit that
// is not a digit, and the value wraps modulo 2^64. Never fails.
uint64_t ParseFileReferenceNumber(const WideChar* text);
