// The hot path without the disk: one full USN buffer of typical records, walked and
// printed to /dev/null, as the journal reader does for every read, as event lines and in
// each timeline format.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "base/little_endian.h"
#include "base/output.h"
#include "journal/event_line.h"
#include "journal/record_walker.h"
#include "test_support.h"
#include "volume/volume_ops.h"

namespace {

// Names and reasons like a busy system volume's: a few reasons each, names of 10 to 40 units.
Bytes FullBuffer()
{
    const uint32_t reasons[] = {0x100, 0x80000100, 0x2, 0x80000002, 0x1000, 0x2000, 0x80002000,
                                0x8000, 0x80008000, 0x200, 0x80000200, 0x80000006};
    Bytes records;
    for (uint32_t i = 0;; ++i) {
        std::u16string name = u"document-";
        for (uint32_t j = 0; j < i % 31; ++j)
            name += static_cast<char16_t>('a' + j % 26);
        name += u".txt";
        Bytes record = EncodeUsnRecord({0x0001000000000040u + i, 0x0005000000000005u + (i % 7) * 0x100u,
                                    reasons[i % 12], name});
        if (records.size() + record.size() > USN_BUFFER_SIZE - 8)
            return records;
        records.insert(records.end(), record.begin(), record.end());
    }
}

size_t CountRecords(const Bytes& records)
{
    size_t count = 0;
    for (size_t at = 0; at < records.size(); at += LoadU32(&records[at]))
        ++count;
    return count;
}

void WalkBuffer(benchmark::State& state, uint64_t target,
                const OutputOptions& options = EVENT_LINE_OUTPUT)
{
    FILE* sink = std::fopen("/dev/null", "w");
    SetOutputStream(sink);
    Bytes records = FullBuffer();
    for (auto _ : state)
        DumpRecords(records.data(), static_cast<uint32_t>(records.size()), target, options);
    FlushOutput();
    SetOutputStream(nullptr);
    std::fclose(sink);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * CountRecords(records)));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * records.size()));
}

void BM_WalkEveryRecord(benchmark::State& state)
{
    WalkBuffer(state, 0);
}

void BM_WalkForOneFile(benchmark::State& state)
{
    WalkBuffer(state, 0x0001000000000041);
}

// Every field of every record, in each timeline format.
void BM_WalkEveryRecordAsCsv(benchmark::State& state)
{
    WalkBuffer(state, 0, {OUTPUT_CSV});
}

void BM_WalkEveryRecordAsJson(benchmark::State& state)
{
    WalkBuffer(state, 0, {OUTPUT_JSON});
}

void BM_WalkEveryRecordAsBody(benchmark::State& state)
{
    WalkBuffer(state, 0, {OUTPUT_BODY});
}

void BM_PrintRecord(benchmark::State& state)
{
    FILE* sink = std::fopen("/dev/null", "w");
    SetOutputStream(sink);
    Bytes record = EncodeUsnRecord({0x0001000000000040, 0x0005000000000005, 0x80000102,
                                    u"Quarterly report (final).docx"});
    for (auto _ : state)
        PrintRecord(record.data());
    FlushOutput();
    SetOutputStream(nullptr);
    std::fclose(sink);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

}  // namespace

BENCHMARK(BM_WalkEveryRecord);
BENCHMARK(BM_WalkForOneFile);
BENCHMARK(BM_WalkEveryRecordAsCsv);
BENCHMARK(BM_WalkEveryRecordAsJson);
BENCHMARK(BM_WalkEveryRecordAsBody);
BENCHMARK(BM_PrintRecord);
