// Update-sequence fixups of multi-sector structures (MFT records, INDX blocks).
#pragma once

#include <cstdint>

// Checks that the last two bytes of every 512-byte stride hold the update sequence value
// and puts back the bytes they stand for. Returns false for a torn or damaged block (the
// block may then be partly changed).
bool ApplyFixups(unsigned char* block, uint32_t size);
