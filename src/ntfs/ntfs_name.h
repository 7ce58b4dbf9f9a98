// Comparing on-disk UTF-16 names with the ASCII names the reader looks for.
#pragma once

#include <cstdint>

// True when the `units` UTF-16LE units at `name` spell `ascii`, ignoring ASCII case (NTFS
// compares names through its upcase table; for the ASCII names of system files and
// streams, folding ASCII letters gives the same answer).
bool NtfsNameEquals(const unsigned char* name, uint32_t units, const char* ascii);
