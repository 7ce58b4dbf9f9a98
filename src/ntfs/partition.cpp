#include "ntfs/partition.h"

#include <cstring>

#include "journal/little_endian.h"
#include "ntfs/boot_sector.h"
#include "ntfs/byte_source.h"
#include "ntfs/ntfs_types.h"

// A disk may hold several NTFS partitions; they are offered in the order of the partition
// table, and the journal reader takes the first whose journal opens (a "System Reserved"
// partition without a journal often comes before the system volume). Only partitions
// typed as NTFS (MBR type 0x07, GPT Microsoft basic data) count, and only when their boot
// sector really says NTFS: a Windows recovery partition is NTFS too but has its own type,
// and a basic data partition may hold FAT or exFAT.

namespace {

const unsigned char MBR_TYPE_NTFS = 0x07;
const unsigned char MBR_TYPE_GPT_PROTECTIVE = 0xEE;
const uint32_t MBR_ENTRIES_OFFSET = 446;
const uint32_t MBR_ENTRY_SIZE = 16;
const uint32_t GPT_HEADER_SIZE = 92;
const uint32_t GPT_ENTRY_USED = 48;  // type GUID, unique GUID, first and last LBA
const uint32_t MAX_GPT_ENTRIES = 4096;
const uint32_t MAX_GPT_ENTRY_SIZE = 4096;
const uint64_t MAX_LBA = uint64_t(1) << 48;
// EBD0A0A2-B9E5-4433-87C0-68B6B72699C7 as GPT stores it (first three fields little-endian).
const unsigned char BASIC_DATA_GUID[16] = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                           0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};
// Disks with 512-byte sectors come first; 4096-byte-sector disks place the tables by
// their own sector size.
const uint32_t SECTOR_SIZES[] = {512, 4096};

// Returns 0 when the partition at `lba` starts with an NTFS boot sector and *skip is 0,
// NTFS_NOT_FOUND when it does not (or lies past the end of the image, or is one of those
// to skip), or ERROR_IO_DEVICE.
uint32_t ProbePartition(int fd, uint64_t lba, uint32_t sectorSize, uint32_t* skip,
                        uint64_t* volumeOffset)
{
    if (lba == 0 || lba >= MAX_LBA)
        return NTFS_NOT_FOUND;
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ProbeBytes(fd, lba * sectorSize, sector, sizeof sector);
    if (status != 0)
        return status;
    if (!HasNtfsOemId(sector))
        return NTFS_NOT_FOUND;
    if (*skip != 0) {
        --*skip;
        return NTFS_NOT_FOUND;
    }
    *volumeOffset = lba * sectorSize;
    return 0;
}

uint32_t FindInMbr(int fd, const unsigned char* mbr, uint32_t sectorSize, uint32_t* skip,
                   uint64_t* volumeOffset)
{
    for (uint32_t i = 0; i < 4; i++) {
        const unsigned char* entry = mbr + MBR_ENTRIES_OFFSET + i * MBR_ENTRY_SIZE;
        if (entry[4] != MBR_TYPE_NTFS || LoadU32(entry + 12) == 0)
            continue;
        uint32_t status = ProbePartition(fd, LoadU32(entry + 8), sectorSize, skip, volumeOffset);
        if (status != NTFS_NOT_FOUND)
            return status;
    }
    return NTFS_NOT_FOUND;
}

uint32_t FindInGpt(int fd, uint32_t sectorSize, uint32_t* skip, uint64_t* volumeOffset)
{
    unsigned char header[GPT_HEADER_SIZE];
    uint32_t status = ProbeBytes(fd, sectorSize, header, sizeof header);
    if (status != 0)
        return status;
    if (std::memcmp(header, "EFI PART", 8) != 0)
        return NTFS_NOT_FOUND;
    uint64_t entriesLba = LoadU64(header + 72);
    uint32_t entryCount = LoadU32(header + 80);
    uint32_t entrySize = LoadU32(header + 84);
    if (entriesLba == 0 || entriesLba >= MAX_LBA || entrySize < GPT_ENTRY_USED ||
        entrySize > MAX_GPT_ENTRY_SIZE)
        return NTFS_NOT_FOUND;
    if (entryCount > MAX_GPT_ENTRIES)
        entryCount = MAX_GPT_ENTRIES;
    for (uint32_t i = 0; i < entryCount; i++) {
        unsigned char entry[GPT_ENTRY_USED];
        status = ProbeBytes(fd, entriesLba * sectorSize + uint64_t(i) * entrySize, entry, sizeof entry);
        if (status != 0)
            return status;
        if (std::memcmp(entry, BASIC_DATA_GUID, sizeof BASIC_DATA_GUID) != 0)
            continue;
        status = ProbePartition(fd, LoadU64(entry + 32), sectorSize, skip, volumeOffset);
        if (status != NTFS_NOT_FOUND)
            return status;
    }
    return NTFS_NOT_FOUND;
}

}  // namespace

uint32_t FindNtfsVolume(int fd, uint32_t skip, uint64_t* volumeOffset)
{
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ProbeBytes(fd, 0, sector, sizeof sector);
    if (status == NTFS_NOT_FOUND)
        return ERROR_INVALID_FUNCTION;
    if (status != 0)
        return status;
    if (HasNtfsOemId(sector)) {
        *volumeOffset = 0;
        return skip == 0 ? 0 : ERROR_INVALID_FUNCTION;
    }
    if (LoadU16(sector + 510) != 0xAA55)
        return ERROR_INVALID_FUNCTION;
    bool gpt = false;
    for (uint32_t i = 0; i < 4; i++)
        gpt = gpt || sector[MBR_ENTRIES_OFFSET + i * MBR_ENTRY_SIZE + 4] == MBR_TYPE_GPT_PROTECTIVE;
    for (uint32_t sectorSize : SECTOR_SIZES) {
        uint32_t left = skip;
        status = gpt ? FindInGpt(fd, sectorSize, &left, volumeOffset)
                     : FindInMbr(fd, sector, sectorSize, &left, volumeOffset);
        // Volumes were found at this sector size, just not enough of them.
        if (status != NTFS_NOT_FOUND || left != skip)
            return status == NTFS_NOT_FOUND ? ERROR_INVALID_FUNCTION : status;
    }
    return ERROR_INVALID_FUNCTION;
}
