#include "ntfs/mft_record.h"

#include <cstring>

#include "base/little_endian.h"
#include "ntfs/fixup.h"
#include "ntfs/stream.h"

uint32_t CheckMftRecord(unsigned char* record, uint32_t size)
{
    if (std::memcmp(record + offsetof(MftRecordLayout, Magic), "FILE", 4) != 0 ||
        !ApplyFixups(record, size))
        return WIN_ERROR_FILE_CORRUPT;
    uint32_t firstAttribute = LoadU16(record + offsetof(MftRecordLayout, FirstAttributeOffset));
    uint32_t usedSize = LoadU32(record + offsetof(MftRecordLayout, UsedSize));
    // Attributes begin after the fields that locate them, with room for at least the
    // end marker.
    const uint32_t END_MARKER_SIZE = 4;
    if (usedSize > size || usedSize < END_MARKER_SIZE ||
        firstAttribute < offsetof(MftRecordLayout, UsedSize) ||
        firstAttribute > usedSize - END_MARKER_SIZE)
        return WIN_ERROR_FILE_CORRUPT;
    return 0;
}

uint32_t ReadMftRecord(const NtfsVolume* volume, uint64_t number, unsigned char* record)
{
    uint32_t size = volume->mftRecordSize;
    if (number >= volume->mft.dataSize / size)
        return WIN_ERROR_FILE_CORRUPT;
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
    uint16_t sequence = ReferenceSequence(reference);
    if ((MftRecordFlags(record) & MFT_RECORD_IN_USE) == 0 || MftBaseReference(record) != 0 ||
        (sequence != 0 && MftRecordSequence(record) != sequence))
        return WIN_ERROR_FILE_CORRUPT;
    return 0;
}
