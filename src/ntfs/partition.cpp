#include "ntfs/partition.h"

#include <cinttypes>
#include <cstring>

#include "base/byte_source.h"
#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/boot_sector.h"
#include "ntfs/ntfs_types.h"

// A disk may hold several NTFS partitions; they are offered in the order of the partition
// table, and the journal reader takes the first whose journal opens (a "System Reserved"
// partition without a journal often comes before the system volume). Only partitions
// typed as NTFS (MBR type 0x07, GPT Microsoft basic data) count, and only when their boot
// sector really says NTFS: a Windows recovery partition is NTFS too but has its own type,
// and a basic data partition may hold FAT or exFAT.

namespace {

using Mbr = MbrLayout;
using MbrEntry = MbrEntryLayout;
using GptHeader = GptHeaderLayout;
using GptEntry = GptEntryLayout;

const uint32_t GPT_ENTRY_USED = offsetof(GptEntry, Attributes);  // GUIDs, first and last LBA
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
// 0, or WIN_ERROR_IO_DEVICE; a partition past the end of the image is passed over.
uint32_t ProbePartition(const ByteSource& source, uint64_t lba, uint32_t sectorSize, NtfsVolumeList* volumes)
{
    if (lba == 0 || lba >= MAX_LBA || volumes->count == MAX_NTFS_PARTITIONS)
        return 0;
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ProbeBytes(source, lba * sectorSize, sector, sizeof sector);
    if (status == SOURCE_ENDS_FIRST || (status == 0 && !HasNtfsOemId(sector)))
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
uint32_t FindInExtended(const ByteSource& source, uint64_t extendedLba, uint32_t sectorSize,
                        NtfsVolumeList* volumes)
{
    uint64_t recordLba = extendedLba;
    for (uint32_t link = 0; link < MAX_NTFS_PARTITIONS && recordLba < MAX_LBA; link++) {
        unsigned char record[BOOT_SECTOR_SIZE];
        uint32_t status = ProbeBytes(source, recordLba * sectorSize, record, sizeof record);
        if (status == SOURCE_ENDS_FIRST ||
            (status == 0 && LoadU16(record + offsetof(Mbr, Signature)) != BOOT_SIGNATURE))
            return 0;
        if (status != 0)
            return status;
        const unsigned char* logical = record + offsetof(Mbr, Entries);
        const unsigned char* next = logical + sizeof(MbrEntry);
        if (logical[offsetof(MbrEntry, Type)] == MBR_TYPE_NTFS &&
            LoadU32(logical + offsetof(MbrEntry, SectorCount)) != 0) {
            status = ProbePartition(source, recordLba + LoadU32(logical + offsetof(MbrEntry, FirstLba)),
                                    sectorSize, volumes);
            if (status != 0)
                return status;
        }
        uint32_t nextRecord = LoadU32(next + offsetof(MbrEntry, FirstLba));
        if (!IsExtended(next[offsetof(MbrEntry, Type)]) || nextRecord == 0)
            return 0;
        recordLba = extendedLba + nextRecord;
    }
    return 0;
}

uint32_t FindInMbr(const ByteSource& source, const unsigned char* mbr, uint32_t sectorSize,
                   NtfsVolumeList* volumes)
{
    for (uint32_t i = 0; i < MBR_ENTRY_COUNT; i++) {
        const unsigned char* entry = mbr + offsetof(Mbr, Entries) + i * sizeof(MbrEntry);
        if (LoadU32(entry + offsetof(MbrEntry, SectorCount)) == 0)
            continue;
        unsigned char type = entry[offsetof(MbrEntry, Type)];
        uint32_t firstLba = LoadU32(entry + offsetof(MbrEntry, FirstLba));
        uint32_t status = 0;
        if (type == MBR_TYPE_NTFS)
            status = ProbePartition(source, firstLba, sectorSize, volumes);
        else if (IsExtended(type) && firstLba != 0)
            status = FindInExtended(source, firstLba, sectorSize, volumes);
        if (status != 0)
            return status;
    }
    return 0;
}

uint32_t FindInGpt(const ByteSource& source, uint32_t sectorSize, NtfsVolumeList* volumes)
{
    unsigned char header[sizeof(GptHeader)];
    uint32_t status = ProbeBytes(source, sectorSize, header, sizeof header);
    if (status == SOURCE_ENDS_FIRST)
        return 0;
    if (status != 0)
        return status;
    if (std::memcmp(header + offsetof(GptHeader, Signature), "EFI PART", 8) != 0)
        return 0;
    uint64_t entriesLba = LoadU64(header + offsetof(GptHeader, EntriesLba));
    uint32_t entryCount = LoadU32(header + offsetof(GptHeader, EntryCount));
    uint32_t entrySize = LoadU32(header + offsetof(GptHeader, EntrySize));
    if (entriesLba == 0 || entriesLba >= MAX_LBA || entrySize < GPT_ENTRY_USED ||
        entrySize > MAX_GPT_ENTRY_SIZE)
        return 0;
    if (entryCount > MAX_GPT_ENTRIES)
        entryCount = MAX_GPT_ENTRIES;
    for (uint32_t i = 0; i < entryCount; i++) {
        unsigned char entry[GPT_ENTRY_USED];
        status = ProbeBytes(source, entriesLba * sectorSize + uint64_t(i) * entrySize, entry, sizeof entry);
        if (status == SOURCE_ENDS_FIRST)
            return 0;
        if (status != 0)
            return status;
        if (std::memcmp(entry + offsetof(GptEntry, TypeGuid), BASIC_DATA_GUID, sizeof BASIC_DATA_GUID) != 0)
            continue;
        status = ProbePartition(source, LoadU64(entry + offsetof(GptEntry, FirstLba)), sectorSize, volumes);
        if (status != 0)
            return status;
    }
    return 0;
}

}  // namespace

uint32_t FindNtfsVolumes(const ByteSource& source, NtfsVolumeList* volumes)
{
    volumes->count = 0;
    unsigned char sector[BOOT_SECTOR_SIZE];
    uint32_t status = ProbeBytes(source, 0, sector, sizeof sector);
    if (status == SOURCE_ENDS_FIRST) {
        Diagnose("input of fewer than %u bytes: no NTFS boot sector or partition table", BOOT_SECTOR_SIZE);
        return WIN_ERROR_INVALID_FUNCTION;
    }
    if (status != 0)
        return status;
    if (HasNtfsOemId(sector)) {
        volumes->offsets[volumes->count++] = 0;
        return 0;
    }
    if (LoadU16(sector + offsetof(Mbr, Signature)) != BOOT_SIGNATURE) {
        Diagnose("input at 0x0: neither an NTFS boot sector nor a partition table");
        return WIN_ERROR_INVALID_FUNCTION;
    }
    bool gpt = false;
    for (uint32_t i = 0; i < MBR_ENTRY_COUNT; i++)
        gpt = gpt || sector[offsetof(Mbr, Entries) + i * sizeof(MbrEntry) + offsetof(MbrEntry, Type)] ==
                         MBR_TYPE_GPT_PROTECTIVE;
    // The sector size that finds volumes is the disk's; the other one is not tried then.
    for (uint32_t sectorSize : SECTOR_SIZES) {
        status = gpt ? FindInGpt(source, sectorSize, volumes) : FindInMbr(source, sector, sectorSize, volumes);
        if (status != 0 || volumes->count != 0)
            return status;
    }
    Diagnose("%s partition table at 0x0: no partition typed NTFS starts with an NTFS boot sector",
             gpt ? "GPT" : "MBR");
    return WIN_ERROR_INVALID_FUNCTION;
}
