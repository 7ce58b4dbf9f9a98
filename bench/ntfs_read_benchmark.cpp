// How fast the reader gets through a large journal: a volume whose $J holds about
// 270 MB of records in 64 fragments, opened and read to the end in 64 KiB buffers the
// way the journal reader does. Run by hand: ntfs_read_benchmark [image path].
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "base/little_endian.h"
#include "ntfs/usn_jrnl.h"
#include "synthetic_volume.h"

namespace {

std::string imagePath = "/tmp/jrnlpeek-read-benchmark.img";

void MakeImage()
{
    VolumeShape shape;
    shape.sparseHead = uint64_t(8) << 30;
    shape.fragments = 64;
    uint64_t records = 0;
    while (shape.journal.size() < 270000000) {
        UsnFields record;
        record.frn = 0x0001000000000000 | (records % 50000);
        record.name = u"Document " + std::u16string(1, char16_t('A' + records % 26)) + u".txt";
        record.version = records % 10 == 0 ? 3 : 2;
        AddRecord(shape.journal, record, shape.sparseHead);
        records++;
    }
    int fd = open(imagePath.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    WriteVolume(fd, 0, shape);
    close(fd);
}

void ReadWholeJournal(benchmark::State& state)
{
    int fd = open(imagePath.c_str(), O_RDONLY);
    std::vector<unsigned char> buffer(65536);
    uint64_t records = 0;
    uint64_t bytes = 0;
    for (auto _ : state) {
        UsnJrnl* journal = nullptr;
        if (OpenUsnJrnl(MakeByteSource(fd), &journal) != 0) {
            state.SkipWithError("cannot open the benchmark image");
            break;
        }
        UsnJournalData data;
        QueryUsnJrnl(journal, &data);
        ReadUsnJournalData request = {0, EVERY_REASON, 0, 0, 0, data.UsnJournalID, 0, 0};
        for (;;) {
            uint32_t got = 0;
            if (ReadUsnJrnl(journal, request, buffer.data(), uint32_t(buffer.size()), &got) != 0 || got <= 8)
                break;
            for (uint32_t at = 8; at < got; at += LoadU32(buffer.data() + at))
                records++;
            bytes += got - 8;
            request.StartUsn = LoadI64(buffer.data());
        }
        CloseUsnJrnl(journal);
    }
    state.counters["records"] = benchmark::Counter(double(records), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(bytes));
    close(fd);
}

BENCHMARK(ReadWholeJournal)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && argv[1][0] != '-')
        imagePath = argv[1];
    if (access(imagePath.c_str(), R_OK) != 0)
        MakeImage();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
