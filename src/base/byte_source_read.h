// The one read each platform's byte source supplies (byte_source_posix.cpp,
// byte_source_win32.cpp); byte_source.cpp builds whole reads from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/byte_source.h"

// Reads up to `length` bytes (at least one unless the source ends there) at `offset`.
// Returns 0 with *got set (0 at the end of the source), or WIN_ERROR_IO_DEVICE (or
// WIN_ERROR_OUTOFMEMORY) after saying why.
uint32_t ReadSomeBytes(const ByteSource& source, uint64_t offset, unsigned char* buffer, size_t length,
                       size_t* got);
