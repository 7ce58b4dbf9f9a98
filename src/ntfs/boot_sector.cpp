#include "ntfs/boot_sector.h"

#include <cinttypes>
#include <cstring>

#include "base/diagnostics.h"
#include "base/little_endian.h"

namespace {

const uint32_t MAX_CLUSTER_SIZE = 2 * 1024 * 1024;
// Keeps every byte offset inside the volume, and the partition offset added to it, far
// from overflow.
const uint64_t MAX_VOLUME_BYTES = uint64_t(1) << 60;

bool IsPowerOfTwo(uint64_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

// Clusters per MFT record or index block: a positive count of clusters, or a negative n
// meaning 2^-n bytes.
uint64_t UnitsToBytes(int8_t value, uint32_t clusterSize)
{
    if (value > 0)
        return uint64_t(value) * clusterSize;
    int shift = -int(value);
    return shift < 32 ? uint64_t(1) << shift : 0;
}

// An NTFS boot sector that describes no possible volume.
uint32_t Refuse(uint64_t at, const char* why)
{
    Diagnose("NTFS boot sector at 0x%" PRIX64 ": %s", at, why);
    return WIN_ERROR_FILE_CORRUPT;
}

}  // namespace

bool HasNtfsOemId(const unsigned char* sector)
{
    return std::memcmp(sector + offsetof(BootSectorLayout, OemId), "NTFS    ", 8) == 0;
}

uint32_t ParseBootSector(const unsigned char* sector, NtfsVolume* volume)
{
    uint64_t at = volume->offset;
    if (!HasNtfsOemId(sector)) {
        Diagnose("boot sector at 0x%" PRIX64 ": no NTFS OEM id", at);
        return WIN_ERROR_INVALID_FUNCTION;
    }
    if (LoadU16(sector + offsetof(BootSectorLayout, Signature)) != BOOT_SIGNATURE)
        return Refuse(at, "no 0x55AA signature at its end");
    uint32_t bytesPerSector = LoadU16(sector + offsetof(BootSectorLayout, BytesPerSector));
    if (!IsPowerOfTwo(bytesPerSector) || bytesPerSector < 256 || bytesPerSector > 4096)
        return Refuse(at, "bytes per sector is not a power of two from 256 to 4096");
    uint32_t sectorsPerCluster = sector[offsetof(BootSectorLayout, SectorsPerCluster)];
    if (sectorsPerCluster >= 244)
        sectorsPerCluster = 1u << (256 - sectorsPerCluster);
    if (!IsPowerOfTwo(sectorsPerCluster) ||
        uint64_t(sectorsPerCluster) * bytesPerSector > MAX_CLUSTER_SIZE)
        return Refuse(at, "sectors per cluster do not make a cluster of a power of two up to 2 MiB");
    uint32_t clusterSize = sectorsPerCluster * bytesPerSector;
    uint64_t totalSectors = LoadU64(sector + offsetof(BootSectorLayout, TotalSectors));
    if (totalSectors > MAX_VOLUME_BYTES / bytesPerSector)
        return Refuse(at, "total sectors make a volume larger than 2^60 bytes");
    uint64_t clusterCount = totalSectors / sectorsPerCluster;
    uint64_t mftCluster = LoadU64(sector + offsetof(BootSectorLayout, MftCluster));
    if (mftCluster >= clusterCount)
        return Refuse(at, "the MFT cluster lies past the volume's end");
    uint64_t recordSize = UnitsToBytes(static_cast<int8_t>(sector[offsetof(BootSectorLayout, ClustersPerMftRecord)]), clusterSize);
    if (recordSize < FIXUP_STRIDE || recordSize > MAX_RECORD_SIZE || recordSize % FIXUP_STRIDE != 0)
        return Refuse(at, "the MFT record size is not a multiple of 512 up to 64 KiB");

    volume->clusterSize = clusterSize;
    volume->clusterCount = clusterCount;
    volume->mftCluster = mftCluster;
    volume->mftRecordSize = static_cast<uint32_t>(recordSize);
    return 0;
}
