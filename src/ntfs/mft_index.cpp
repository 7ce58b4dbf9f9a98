#include "ntfs/mft_index.h"

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "base/byte_source.h"
#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/file_name.h"
#include "ntfs/mft_record.h"
#include "ntfs/stream.h"

namespace {

// $MFT is read in blocks of this size: large reads keep a big MFT at disk speed.
const uint32_t MFT_BLOCK_SIZE = 1024 * 1024;

// When a record is freed, NTFS increments its sequence number (skipping 0), so the name a
// free record still holds belongs to the sequence number before it.
uint16_t SequenceOfName(const unsigned char* record)
{
    uint16_t sequence = MftRecordSequence(record);
    if ((MftRecordFlags(record) & MFT_RECORD_IN_USE) != 0 || sequence == 0)
        return sequence;
    return sequence == 1 ? 0xFFFF : static_cast<uint16_t>(sequence - 1);
}

}  // namespace

void AddMftRecords(PathIndex* index, uint64_t firstNumber, unsigned char* records,
                   uint32_t count, uint32_t recordSize)
{
    for (uint32_t i = 0; i < count; ++i) {
        unsigned char* record = records + uint64_t(i) * recordSize;
        if (CheckMftRecord(record, recordSize) != 0)
            continue;
        FileNameFound name;
        if (FindFileName(record, recordSize, &name) != 0)
            continue;
        // An extension record's names belong to its base record's file.
        uint64_t base = MftBaseReference(record);
        uint64_t number = base == 0 ? firstNumber + i : base & FILE_REFERENCE_RECORD_MASK;
        uint16_t sequence = base == 0 ? SequenceOfName(record) : ReferenceSequence(base);
        SetMftEntry(index, number, sequence, name.parent, name.name, name.units,
                    static_cast<uint8_t>(name.rank));
    }
}

namespace {

// Where the records of an MFT come from: $MFT's own stream on a volume, or a file that
// holds a copy of it. The records lie back to back from offset 0 to `end`.
struct MftBytes {
    const void* source;
    uint32_t (*read)(const void* source, uint64_t offset, unsigned char* buffer, uint32_t length);
    uint64_t (*nextStored)(const void* source, uint64_t offset);
    uint64_t end;
    uint32_t recordSize;
    uint64_t sourceSize;  // of the whole source, which no MFT outgrows
};

// Reads the records block by block. Returns 0, or the error of a first block that cannot
// be read at all; a later failure keeps what came before, and the paths past it come from
// the journal alone.
uint32_t ReadMftRecords(const MftBytes& bytes, PathIndex* index)
{
    uint32_t recordSize = bytes.recordSize;
    uint64_t end = bytes.end / recordSize * recordSize;
    // Room for every record and a name of some length each at once, as far as the source
    // can hold them, so neither is copied as it grows.
    const uint32_t USUAL_NAME_UNITS = 16;
    uint64_t records = std::min(end, bytes.sourceSize) / recordSize;
    index->entries.reserve(records);
    index->names.reserve(records * USUAL_NAME_UNITS);
    uint32_t blockSize = MFT_BLOCK_SIZE / recordSize * recordSize;
    unsigned char* block = static_cast<unsigned char*>(std::malloc(blockSize));
    if (block == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    uint32_t status = 0;
    uint64_t offset = 0;
    while (offset < end) {
        // A hole holds no records; it is not read as zeros.
        uint64_t stored = bytes.nextStored(bytes.source, offset) / recordSize * recordSize;
        if (stored >= end)
            break;
        offset = std::max(offset, stored);
        uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(blockSize, end - offset));
        uint32_t error = bytes.read(bytes.source, offset, block, length);
        if (error != 0) {
            Diagnose("$MFT at 0x%" PRIX64 ": cannot be read (error %u); paths past MFT record %" PRIu64
                     " come from the journal alone",
                     offset, error, offset / recordSize);
            status = offset == 0 ? error : 0;
            break;
        }
        uint64_t first = offset / recordSize;
        GrowPathIndex(index, first + length / recordSize);
        AddMftRecords(index, first, block, length / recordSize, recordSize);
        offset += length;
    }
    std::free(block);
    return status;
}

uint32_t ReadVolumeMftBytes(const void* source, uint64_t offset, unsigned char* buffer, uint32_t length)
{
    const NtfsVolume* volume = static_cast<const NtfsVolume*>(source);
    return ReadStream(volume, &volume->mft, offset, buffer, length);
}

uint64_t NextVolumeMftBytes(const void* source, uint64_t offset)
{
    const NtfsVolume* volume = static_cast<const NtfsVolume*>(source);
    return NextDataOffset(volume, &volume->mft, offset);
}

uint32_t ReadFileBytes(const void* source, uint64_t offset, unsigned char* buffer, uint32_t length)
{
    return ReadBytes(*static_cast<const ByteSource*>(source), offset, buffer, length);
}

uint64_t NextFileBytes(const void* source, uint64_t offset)
{
    return NextStoredOffset(*static_cast<const ByteSource*>(source), offset);
}

// A copy of $MFT holds no boot sector: its first record, $MFT's own, says how large the
// records are. Returns 0 with *recordSize set, or WIN_ERROR_FILE_CORRUPT when the file
// does not start with a sound MFT record.
uint32_t FindRecordSize(const ByteSource& source, uint32_t* recordSize)
{
    unsigned char header[sizeof(MftRecordLayout)];
    uint32_t status = ProbeBytes(source, 0, header, sizeof header);
    if (status != 0 && status != SOURCE_ENDS_FIRST)
        return status;
    uint32_t size = LoadU32(header + offsetof(MftRecordLayout, AllocatedSize));
    if (status == SOURCE_ENDS_FIRST || std::memcmp(header, "FILE", 4) != 0 || size < FIXUP_STRIDE ||
        size > MAX_RECORD_SIZE || (size & (size - 1)) != 0) {
        Diagnose("not an MFT: its first bytes are no MFT record");
        return WIN_ERROR_FILE_CORRUPT;
    }
    unsigned char* record = static_cast<unsigned char*>(std::malloc(size));
    if (record == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    status = ProbeBytes(source, 0, record, size);
    if (status == 0 && CheckMftRecord(record, size) != 0) {
        Diagnose("not an MFT: its first record of %u bytes is damaged", size);
        status = WIN_ERROR_FILE_CORRUPT;
    }
    std::free(record);
    if (status == SOURCE_ENDS_FIRST) {
        Diagnose("not an MFT: it ends inside its first record");
        status = WIN_ERROR_FILE_CORRUPT;
    }
    *recordSize = size;
    return status;
}

}  // namespace

uint32_t ReadVolumeMft(const NtfsVolume* volume, PathIndex* index)
{
    const NtfsStream* mft = &volume->mft;
    MftBytes bytes = {volume, ReadVolumeMftBytes, NextVolumeMftBytes,
                      std::min(mft->dataSize, mft->initializedSize), volume->mftRecordSize,
                      volume->source.sized ? volume->source.size : 0};
    return ReadMftRecords(bytes, index);
}

uint32_t ReadMftFile(const ByteSource& source, PathIndex* index)
{
    if (!source.sized) {
        Diagnose("not an MFT: it cannot be read at offsets");
        return WIN_ERROR_FILE_CORRUPT;
    }
    uint32_t recordSize = 0;
    uint32_t status = FindRecordSize(source, &recordSize);
    if (status != 0)
        return status;
    MftBytes bytes = {&source, ReadFileBytes, NextFileBytes, source.size, recordSize, source.size};
    return ReadMftRecords(bytes, index);
}
