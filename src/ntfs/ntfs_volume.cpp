#include "ntfs/ntfs_volume.h"

#include <cinttypes>
#include <cstdlib>

#include "base/diagnostics.h"
#include "ntfs/boot_sector.h"
#include "ntfs/mft_record.h"
#include "ntfs/stream.h"

namespace {

uint32_t OpenVolumeGeometry(const ByteSource& source, uint64_t offset, NtfsVolume* volume)
{
    volume->source = source;
    volume->offset = offset;
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ReadBytes(source, volume->offset, sector, sizeof sector);
    if (status != 0)
        return status;
    return ParseBootSector(sector, volume);
}

// $MFT describes itself: record 0 is read from the boot sector's MFT cluster, and any
// further segments of its runlist are read through the runs already known.
uint32_t LoadMft(NtfsVolume* volume, unsigned char* record)
{
    uint64_t start = volume->offset + volume->mftCluster * volume->clusterSize;
    uint32_t status = ReadBytes(volume->source, start, record, volume->mftRecordSize);
    if (status == 0)
        status = CheckMftRecord(record, volume->mftRecordSize);
    if (status == 0 && (MftRecordFlags(record) & MFT_RECORD_IN_USE) == 0) {
        Diagnose("record not in use");
        status = WIN_ERROR_FILE_CORRUPT;
    }
    if (status == 0)
        status = LoadAttributeStream(volume, record, MFT_RECORD_MFT, ATTRIBUTE_DATA, "", &volume->mft);
    if (status == NTFS_NOT_FOUND) {
        Diagnose("no unnamed $DATA attribute");
        status = WIN_ERROR_FILE_CORRUPT;
    }
    if (status == WIN_ERROR_FILE_CORRUPT)
        Diagnose("$MFT's own record at 0x%" PRIX64 " (the boot sector's MFT cluster): $MFT cannot be read",
                 start);
    return status;
}

}  // namespace

uint32_t OpenNtfsVolume(const ByteSource& source, uint64_t offset, NtfsVolume* volume)
{
    uint32_t status = OpenVolumeGeometry(source, offset, volume);
    if (status != 0)
        return status;
    unsigned char* record = static_cast<unsigned char*>(std::malloc(volume->mftRecordSize));
    if (record == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    status = LoadMft(volume, record);
    std::free(record);
    return status;
}

void CloseNtfsVolume(NtfsVolume* volume)
{
    FreeStream(&volume->mft);
}
