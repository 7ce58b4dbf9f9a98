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
const unsigned char MBR_TYPE_EXTENDED_CHS = 0x05;
const unsigned char MBR_TYPE_EXTENDED_LBA = 0x0F;
const unsigned char MBR_TYPE_EXTENDED_LINUX = 0x85;
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

// Adds the partition at `lba` to the list when it starts with an NTFS boot sector. Returns
// 0, or ERROR_IO_DEVICE; a partition past the end of the image is passed over.
uint32_t ProbePartition(int fd, uint64_t lba, uint32_t sectorSize, NtfsVolumeList* volumes)
{
    if (lba == 0 || lba >= MAX_LBA || volumes->count == MAX_NTFS_PARTITIONS)
        return 0;
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ProbeBytes(fd, lba * sectorSize, sector, sizeof sector);
    if (status == NTFS_NOT_FOUND || (status == 0 && !HasNtfsOemId(sector)))
        return 0;
    if (status != 0)
        return status;
    // A damaged table may name one partition twice; it is offered once.
    for (uint32_t i = 0; i < volumes->count; i++) {
        if (volumes->offsets[i] == lba * sectorSize)
            return 0;
    }
    volumes->offsets[volumes->count++] = lba * sectorSize;
    return 0;
}

bool IsExtended(unsigned char type)
{
    return type == MBR_TYPE_EXTENDED_CHS || type == MBR_TYPE_EXTENDED_LBA ||
           type == MBR_TYPE_EXTENDED_LINUX;
}

// Logical drives: a chain of extended boot records, each holding one logical partition
// (relative to itself) and the link to the next record (relative to the extended
// partition). The chain is followed a bounded number of times, so a loop in it ends.
uint32_t FindInExtended(int fd, uint64_t extendedLba, uint32_t sectorSize, NtfsVolumeList* volumes)
{
    uint64_t recordLba = extendedLba;
    for (uint32_t link = 0; link < MAX_NTFS_PARTITIONS && recordLba < MAX_LBA; link++) {
        unsigned char record[BOOT_SECTOR_SIZE];
        uint32_t status = ProbeBytes(fd, recordLba * sectorSize, record, sizeof record);
        if (status == NTFS_NOT_FOUND || (status == 0 && LoadU16(record + 510) != 0xAA55))
            return 0;
        if (status != 0)
            return status;
        const unsigned char* logical = record + MBR_ENTRIES_OFFSET;
        const unsigned char* next = logical + MBR_ENTRY_SIZE;
        if (logical[4] == MBR_TYPE_NTFS && LoadU32(logical + 12) != 0) {
            status = ProbePartition(fd, recordLba + LoadU32(logical + 8), sectorSize, volumes);
            if (status != 0)
                return status;
        }
        if (!IsExtended(next[4]) || LoadU32(next + 8) == 0)
            return 0;
        recordLba = extendedLba + LoadU32(next + 8);
    }
    return 0;
}

uint32_t FindInMbr(int fd, const unsigned char* mbr, uint32_t sectorSize, NtfsVolumeList* volumes)
{
    for (uint32_t i = 0; i < 4; i++) {
        const unsigned char* entry = mbr + MBR_ENTRIES_OFFSET + i * MBR_ENTRY_SIZE;
        if (LoadU32(entry + 12) == 0)
            continue;
        uint32_t status = 0;
        if (entry[4] == MBR_TYPE_NTFS)
            status = ProbePartition(fd, LoadU32(entry + 8), sectorSize, volumes);
        else if (IsExtended(entry[4]) && LoadU32(entry + 8) != 0)
            status = FindInExtended(fd, LoadU32(entry + 8), sectorSize, volumes);
        if (status != 0)
            return status;
    }
    return 0;
}

uint32_t FindInGpt(int fd, uint32_t sectorSize, NtfsVolumeList* volumes)
{
    unsigned char header[GPT_HEADER_SIZE];
    uint32_t status = ProbeBytes(fd, sectorSize, header, sizeof header);
    if (status == NTFS_NOT_FOUND)
        return 0;
    if (status != 0)
        return status;
    if (std::memcmp(header, "EFI PART", 8) != 0)
        return 0;
    uint64_t entriesLba = LoadU64(header + 72);
    uint32_t entryCount = LoadU32(header + 80);
    uint32_t entrySize = LoadU32(header + 84);
    if (entriesLba == 0 || entriesLba >= MAX_LBA || entrySize < GPT_ENTRY_USED ||
        entrySize > MAX_GPT_ENTRY_SIZE)
        return 0;
    if (entryCount > MAX_GPT_ENTRIES)
        entryCount = MAX_GPT_ENTRIES;
    for (uint32_t i = 0; i < entryCount; i++) {
        unsigned char entry[GPT_ENTRY_USED];
        status = ProbeBytes(fd, entriesLba * sectorSize + uint64_t(i) * entrySize, entry, sizeof entry);
        if (status == NTFS_NOT_FOUND)
            return 0;
        if (status != 0)
            return status;
        if (std::memcmp(entry, BASIC_DATA_GUID, sizeof BASIC_DATA_GUID) != 0)
            continue;
        status = ProbePartition(fd, LoadU64(entry + 32), sectorSize, volumes);
        if (status != 0)
            return status;
    }
    return 0;
}

}  // namespace

uint32_t FindNtfsVolumes(int fd, NtfsVolumeList* volumes)
{
    volumes->count = 0;
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ProbeBytes(fd, 0, sector, sizeof sector);
    if (status == NTFS_NOT_FOUND)
        return ERROR_INVALID_FUNCTION;
    if (status != 0)
        return status;
    if (HasNtfsOemId(sector)) {
        volumes->offsets[volumes->count++] = 0;
        return 0;
    }
    if (LoadU16(sector + 510) != 0xAA55)
        return ERROR_INVALID_FUNCTION;
    bool gpt = false;
    for (uint32_t i = 0; i < 4; i++)
        gpt = gpt || sector[MBR_ENTRIES_OFFSET + i * MBR_ENTRY_SIZE + 4] == MBR_TYPE_GPT_PROTECTIVE;
    // The sector size that finds volumes is the disk's; the other one is not tried then.
    for (uint32_t sectorSize : SECTOR_SIZES) {
        status = gpt ? FindInGpt(fd, sectorSize, volumes) : FindInMbr(fd, sector, sectorSize, volumes);
        if (status != 0 || volumes->count != 0)
            return status;
    }
    return ERROR_INVALID_FUNCTION;
}
