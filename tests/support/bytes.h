// Byte buffers as the tests build them, and little-endian stores into them. The test
// support library writes every on-disk structure with its own offsets, apart from the
// program's code on purpose: what it builds is what the program is checked against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& bytes, size_t at, uint16_t value);
void Put32(Bytes& bytes, size_t at, uint32_t value);
void Put64(Bytes& bytes, size_t at, uint64_t value);
void PutName(Bytes& bytes, size_t at, const std::u16string& name);
// The text as UTF-16LE bytes, as NTFS and the journal hold names.
Bytes Utf16Bytes(const std::u16string& text);
void Append(Bytes& bytes, const Bytes& more);
size_t Align8(size_t value);
Bytes Concat(const std::vector<Bytes>& parts);
