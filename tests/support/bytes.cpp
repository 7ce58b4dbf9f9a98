#include "bytes.h"

void Put16(Bytes& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

void Put32(Bytes& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, static_cast<uint16_t>(value));
    Put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

void Put64(Bytes& bytes, size_t at, uint64_t value)
{
    Put32(bytes, at, static_cast<uint32_t>(value));
    Put32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}

void PutName(Bytes& bytes, size_t at, const std::u16string& name)
{
    for (size_t i = 0; i < name.size(); i++)
        Put16(bytes, at + 2 * i, name[i]);
}

Bytes Utf16Bytes(const std::u16string& text)
{
    Bytes bytes(2 * text.size());
    PutName(bytes, 0, text);
    return bytes;
}

void Append(Bytes& bytes, const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

Bytes Concat(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        Append(all, part);
    return all;
}

size_t Align8(size_t value)
{
    return (value + 7) & ~size_t(7);
}
