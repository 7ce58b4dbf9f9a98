#include "ntfs/mft_record.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/fixup.h"
#include "ntfs/stream.h"

uint32_t CheckMftRecord(unsigned char* record, uint32_t size)
{
    if (std::memcmp(record + offsetof(MftRecordLayout, Magic), "FILE", 4) != 0) {
        Diagnose("no FILE magic at the record's start");
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (!ApplyFixups(record, size))
        return WIN_ERROR_FILE_CORRUPT;
    uint32_t firstAttribute = LoadU16(record + offsetof(MftRecordLayout, FirstAttributeOffset));
    uint32_t usedSize = LoadU32(record + offsetof(MftRecordLayout, UsedSize));
    // Attributes begin after the fields that locate them, with room for at least the
    // end marker.
    const uint32_t END_MARKER_SIZE = 4;
    if (usedSize > size || usedSize < END_MARKER_SIZE) {
        Diagnose("used size 0x%X is not within the record's 0x%X bytes", usedSize, size);
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (firstAttribute < offsetof(MftRecordLayout, UsedSize) || firstAttribute > usedSize - END_MARKER_SIZE) {
        Diagnose("first attribute offset 0x%X is not within the header's end and used size 0x%X",
                 firstAttribute, usedSize);
        return WIN_ERROR_FILE_CORRUPT;
    }
    return 0;
}

void DiagnoseRecord(const NtfsVolume* volume, uint64_t number, const char* format, ...)
{
    if (!DiagnosticsEnabled())
        return;
    char what[256];
    va_list values;
    va_start(values, format);
    std::vsnprintf(what, sizeof what, format, values);
    va_end(values);
    uint64_t at = StreamInputOffset(volume, &volume->mft, number * volume->mftRecordSize);
    if (at == UINT64_MAX)
        Diagnose("MFT record %" PRIu64 ": %s", number, what);
    else
        Diagnose("MFT record %" PRIu64 " at 0x%" PRIX64 ": %s", number, at, what);
}

uint32_t ReadMftRecord(const NtfsVolume* volume, uint64_t number, unsigned char* record)
{
    uint32_t size = volume->mftRecordSize;
    if (number >= volume->mft.dataSize / size) {
        DiagnoseRecord(volume, number, "past the end of $MFT's %" PRIu64 " records",
                       volume->mft.dataSize / size);
        return WIN_ERROR_FILE_CORRUPT;
    }
    uint32_t status = ReadStream(volume, &volume->mft, number * size, record, size);
    if (status == 0)
        status = CheckMftRecord(record, size);
    if (status != 0)
        DiagnoseRecord(volume, number, "%s",
                       status == WIN_ERROR_FILE_CORRUPT ? "not a sound MFT record" : "cannot be read");
    return status;
}

uint32_t ReadBaseRecord(const NtfsVolume* volume, uint64_t reference, unsigned char* record)
{
    uint32_t status = ReadMftRecord(volume, reference & FILE_REFERENCE_RECORD_MASK, record);
    if (status != 0)
        return status;
    uint64_t number = reference & FILE_REFERENCE_RECORD_MASK;
    uint16_t sequence = ReferenceSequence(reference);
    if ((MftRecordFlags(record) & MFT_RECORD_IN_USE) == 0) {
        DiagnoseRecord(volume, number, "not in use");
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (MftBaseReference(record) != 0) {
        DiagnoseRecord(volume, number, "an extension record where a base record was expected");
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (sequence != 0 && MftRecordSequence(record) != sequence) {
        DiagnoseRecord(volume, number, "sequence number %u, not %u as referred to",
                       unsigned(MftRecordSequence(record)), unsigned(sequence));
        return WIN_ERROR_FILE_CORRUPT;
    }
    return 0;
}
