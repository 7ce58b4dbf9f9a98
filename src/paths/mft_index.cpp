#include "paths/mft_index.h"

#include <algorithm>
#include <cstdlib>

#include "base/diagnostics.h"
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

uint32_t LoadVolumeMft(const NtfsVolume* volume, PathIndex* index)
{
    const NtfsStream* mft = &volume->mft;
    uint32_t recordSize = volume->mftRecordSize;
    uint64_t end = std::min(mft->dataSize, mft->initializedSize) / recordSize * recordSize;
    uint32_t blockSize = MFT_BLOCK_SIZE / recordSize * recordSize;
    unsigned char* block = static_cast<unsigned char*>(std::malloc(blockSize));
    if (block == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    uint32_t status = 0;
    uint64_t offset = 0;
    while (offset < end) {
        // A sparse stretch holds no records; it is not read as zeros.
        uint64_t stored = NextDataOffset(volume, mft, offset) / recordSize * recordSize;
        if (stored >= end)
            break;
        offset = std::max(offset, stored);
        uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(blockSize, end - offset));
        status = ReadStream(volume, mft, offset, block, length);
        if (status != 0) {
            Diagnose("$MFT at 0x%llx: cannot be read (error %u); paths past MFT record %llu "
                     "come from the journal alone",
                     static_cast<unsigned long long>(offset), status,
                     static_cast<unsigned long long>(offset / recordSize));
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
