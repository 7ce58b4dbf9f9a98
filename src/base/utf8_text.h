// UTF-8 command lines and paths as the UTF-16 text the rest of the program works in, and
// back. Bytes that are not UTF-8 become the lone units 0xDC80 to 0xDCFF and turn back
// into the same bytes, so any Linux path survives the round trip.
#pragma once

#include <string>

#include "base/wide_text.h"

std::u16string DecodeUtf8(const char* text);
std::string EncodeUtf8(const char16_t* text);
