// Any bytes as the records of one USN buffer: the walker must stay inside them and end.
#include <cstdio>

#include "journal/little_endian.h"
#include "journal/output.h"
#include "journal/record_walker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* sink = std::fopen("/dev/null", "w");
    if (size == 0 || size > 65536 - 8)
        return 0;
    SetOutputStream(sink);
    // Select the first record's file, by whole FRN or by record number, so the filter and
    // both sides of it are exercised; an input too short for that shows every record.
    uint64_t target = size >= 16 ? LoadU64(data + 8) : 0;
    if (size & 1)
        target &= 0x0000FFFFFFFFFFFF;
    DumpRecords(data, static_cast<uint32_t>(size), target);
    FlushOutput();
    return 0;
}
