// Any bytes as the records of one USN buffer: the walker must stay inside them and end.
#include <cstdio>

#include "base/little_endian.h"
#include "base/output.h"
#include "journal/record_walker.h"
#include "journal/usn_layout.h"

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
        target &= FILE_REFERENCE_RECORD_MASK;
    DumpRecords(data, static_cast<uint32_t>(size), target);
    FlushOutput();
    return 0;
}
