// Image files for the tests: made in memory, written at offsets.
#pragma once

#include <cstdint>

#include "bytes.h"

// A memory-backed file for images; closed by the caller.
int MakeImageFile();

// Writes all the bytes at `offset` (the file grows as needed); false when it cannot.
bool WriteAt(int fd, uint64_t offset, const Bytes& bytes);
