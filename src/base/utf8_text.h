// UTF-8 command lines and paths as the UTF-16 text the rest of the program works in, and
// back. Bytes that are not UTF-8 become the lone units 0xDC80 to 0xDCFF and turn back
// into the same bytes, so any Linux path survives the round trip.
#pragma once

#include <cstddef>
#include <string>

#include "base/wide_text.h"

std::u16string DecodeUtf8(const char* text);
std::string EncodeUtf8(const char16_t* text);

// Writes `units` UTF-16 code units, stored little-endian at `utf16`, as UTF-8 at `out` and
// returns the end. A unit of an unpaired surrogate becomes U+FFFD, so the text is always
// well-formed and no unit is dropped. `out` needs room for 3 bytes per unit.
char* WriteUtf8(char* out, const unsigned char* utf16, size_t units);
