// Helpers shared by the unit tests: captured output and hand-made journal records.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "journal/little_endian.h"
#include "journal/output.h"
#include "volume/volume_ops.h"

using Bytes = std::vector<unsigned char>;
using WideString = std::basic_string<WideChar>;

// Sends the program's output to a temporary file until TakeOutput reads it back.
inline FILE*& CaptureFile()
{
    static FILE* file = nullptr;
    return file;
}

inline void CaptureOutput()
{
    if (CaptureFile() != nullptr)
        std::fclose(CaptureFile());
    CaptureFile() = std::tmpfile();
    SetOutputStream(CaptureFile());
}

inline std::string TakeOutput()
{
    FlushOutput();
    FILE* file = CaptureFile();
    std::string text;
    std::rewind(file);
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) != 0)
        text.append(block, got);
    std::fclose(file);
    CaptureFile() = nullptr;
    SetOutputStream(nullptr);
    return text;
}

// A USN_RECORD_V2 as Windows lays it out; the last three fields override the length and
// name fields that a well-formed record would have (the bytes stay those of the record).
struct TestRecord {
    uint64_t frn;
    uint64_t parent;
    uint32_t reason;
    WideString name;
    int64_t recordLength = -1;    // -1: the header and name, rounded up to 8
    int fileNameLength = -1;      // -1: the name's length in bytes
    int fileNameOffset = -1;      // -1: 60
};

inline Bytes BuildRecord(const TestRecord& record)
{
    uint32_t nameBytes = static_cast<uint32_t>(record.name.size() * 2);
    Bytes bytes((60 + nameBytes + 7) / 8 * 8, 0);
    StoreU32(&bytes[0], record.recordLength < 0 ? static_cast<uint32_t>(bytes.size())
                                                : static_cast<uint32_t>(record.recordLength));
    StoreU16(&bytes[4], 2);  // MajorVersion
    StoreU64(&bytes[8], record.frn);
    StoreU64(&bytes[16], record.parent);
    StoreU64(&bytes[24], 0x1000);  // Usn
    StoreU32(&bytes[40], record.reason);
    StoreU16(&bytes[56], static_cast<uint16_t>(record.fileNameLength < 0 ? nameBytes
                                                                          : record.fileNameLength));
    StoreU16(&bytes[58], static_cast<uint16_t>(record.fileNameOffset < 0 ? 60
                                                                          : record.fileNameOffset));
    for (size_t i = 0; i < record.name.size(); ++i)
        StoreU16(&bytes[60 + 2 * i], static_cast<uint16_t>(record.name[i]));
    return bytes;
}

inline Bytes Concat(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A filled USN buffer: the next USN, then the records.
inline Bytes UsnBuffer(int64_t nextUsn, const std::vector<Bytes>& records)
{
    Bytes buffer(8);
    StoreU64(&buffer[0], static_cast<uint64_t>(nextUsn));
    Bytes body = Concat(records);
    buffer.insert(buffer.end(), body.begin(), body.end());
    return buffer;
}
