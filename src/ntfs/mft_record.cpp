#include "ntfs/mft_record.h"

#include <cstring>

#include "journal/little_endian.h"
#include "ntfs/fixup.h"
#include "ntfs/stream.h"

uint32_t CheckMftRecord(unsigned char* record, uint32_t size)
{
    if (std::memcmp(record, "FILE", 4) != 0 || !ApplyFixups(record, size))
        return ERROR_FILE_CORRUPT;
    uint32_t firstAttribute = LoadU16(record + 20);
    uint32_t usedSize = LoadU32(record + 24);
    // Room for at least the end marker of the attribute list.
    if (usedSize > size || usedSize < 4 || firstAttribute < 24 || firstAttribute > usedSize - 4)
        return ERROR_FILE_CORRUPT;
    return 0;
}

uint32_t ReadMftRecord(const NtfsVolume* volume, uint64_t number, unsigned char* record)
{
    uint32_t size = volume->mftRecordSize;
    if (number >= volume->mft.dataSize / size)
        return ERROR_FILE_CORRUPT;
    uint32_t status = ReadStream(volume, &volume->mft, number * size, record, size);
    if (status != 0)
        return status;
    return CheckMftRecord(record, size);
}

uint32_t ReadBaseRecord(const NtfsVolume* volume, uint64_t reference, unsigned char* record)
{
    uint32_t status = ReadMftRecord(volume, reference & FILE_REFERENCE_RECORD_MASK, record);
    if (status != 0)
        return status;
    uint16_t sequence = static_cast<uint16_t>(reference >> 48);
    if ((MftRecordFlags(record) & MFT_RECORD_IN_USE) == 0 || LoadU64(record + 32) != 0 ||
        (sequence != 0 && LoadU16(record + 16) != sequence))
        return ERROR_FILE_CORRUPT;
    return 0;
}
