#include "disk_tables.h"

#include <algorithm>
#include <cstring>

#include "image_file.h"

namespace {

const uint32_t GPT_HEADER_SIZE = 92;
const uint32_t GPT_ENTRY_COUNT = 128;
const uint32_t GPT_ENTRY_SIZE = 128;
// {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7} and {DE94BBA4-06D1-4D40-A16A-BFD50179D6AC}, in
// their on-disk byte order (the first three fields little-endian).
const unsigned char BASIC_DATA_GUID[16] = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                           0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};
const unsigned char RECOVERY_GUID[16] = {0xA4, 0xBB, 0x94, 0xDE, 0xD1, 0x06, 0x40, 0x4D,
                                         0xA1, 0x6A, 0xBF, 0xD5, 0x01, 0x79, 0xD6, 0xAC};
// Fixed identifiers, so equal descriptions give equal disks.
const unsigned char DISK_GUID[16] = {'j', 'r', 'n', 'l', 'p', 'e', 'e', 'k',
                                     'd', 'i', 's', 'k', 0, 0, 0, 1};
const unsigned char PARTITION_GUID[16] = {'j', 'r', 'n', 'l', 'p', 'e', 'e', 'k',
                                          'p', 'a', 'r', 't', 0, 0, 0, 0};
const uint32_t MBR_DISK_SIGNATURE = 0x6B6E726A;

uint32_t Crc32(const Bytes& data)
{
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

Bytes GptHeader(uint64_t myLba, uint64_t alternateLba, uint64_t entriesLba, uint64_t diskSectors,
                uint32_t entriesCrc, uint32_t sectorSize)
{
    uint64_t entrySectors = GPT_ENTRY_COUNT * GPT_ENTRY_SIZE / sectorSize;
    Bytes header(GPT_HEADER_SIZE, 0);
    std::memcpy(header.data(), "EFI PART", 8);
    Put32(header, 8, 0x00010000);
    Put32(header, 12, GPT_HEADER_SIZE);
    Put64(header, 24, myLba);
    Put64(header, 32, alternateLba);
    Put64(header, 40, 2 + entrySectors);
    Put64(header, 48, diskSectors > 2 + entrySectors ? diskSectors - 2 - entrySectors : 0);
    std::memcpy(header.data() + 56, DISK_GUID, 16);
    Put64(header, 72, entriesLba);
    Put32(header, 80, GPT_ENTRY_COUNT);
    Put32(header, 84, GPT_ENTRY_SIZE);
    Put32(header, 88, entriesCrc);
    Put32(header, 16, Crc32(header));
    return header;
}

}  // namespace

bool WriteMbr(int fd, const std::vector<PartitionEntry>& partitions)
{
    Bytes mbr(512, 0);
    for (size_t i = 0; i < partitions.size() && i < 4; i++) {
        size_t entry = 446 + 16 * i;
        // CHS fields hold the "use LBA" marker.
        const unsigned char chs[3] = {0xFE, 0xFF, 0xFF};
        std::memcpy(&mbr[entry + 1], chs, 3);
        mbr[entry + 4] = partitions[i].mbrType;
        std::memcpy(&mbr[entry + 5], chs, 3);
        Put32(mbr, entry + 8, static_cast<uint32_t>(partitions[i].firstLba));
        Put32(mbr, entry + 12, static_cast<uint32_t>(std::min<uint64_t>(partitions[i].sectorCount, 0xFFFFFFFF)));
    }
    Put32(mbr, 440, MBR_DISK_SIGNATURE);
    Put16(mbr, 510, 0xAA55);
    return WriteAt(fd, 0, mbr);
}

bool WriteGpt(int fd, uint32_t sectorSize, const std::vector<PartitionEntry>& partitions,
              uint64_t diskSectors)
{
    uint64_t protectedSectors = diskSectors != 0 ? diskSectors - 1 : 0xFFFFFFFF;
    if (!WriteMbr(fd, {{0xEE, false, 1, protectedSectors}}))
        return false;
    Bytes entries(GPT_ENTRY_COUNT * GPT_ENTRY_SIZE, 0);
    const char* label = "Basic data partition";
    for (size_t i = 0; i < partitions.size() && i < GPT_ENTRY_COUNT; i++) {
        size_t at = i * GPT_ENTRY_SIZE;
        std::memcpy(&entries[at], partitions[i].basicData ? BASIC_DATA_GUID : RECOVERY_GUID, 16);
        std::memcpy(&entries[at + 16], PARTITION_GUID, 16);
        entries[at + 16 + 15] = static_cast<unsigned char>(i + 1);
        Put64(entries, at + 32, partitions[i].firstLba);
        Put64(entries, at + 40, partitions[i].firstLba + partitions[i].sectorCount - 1);
        for (size_t c = 0; label[c] != 0; ++c)
            Put16(entries, at + 56 + 2 * c, static_cast<uint16_t>(label[c]));
    }
    uint32_t entriesCrc = Crc32(entries);
    uint64_t lastLba = diskSectors != 0 ? diskSectors - 1 : 0;
    if (!WriteAt(fd, sectorSize, GptHeader(1, lastLba, 2, diskSectors, entriesCrc, sectorSize)) ||
        !WriteAt(fd, 2 * uint64_t(sectorSize), entries))
        return false;
    if (diskSectors == 0)
        return true;
    uint64_t backupEntriesLba = lastLba - GPT_ENTRY_COUNT * GPT_ENTRY_SIZE / sectorSize;
    return WriteAt(fd, backupEntriesLba * sectorSize, entries) &&
           WriteAt(fd, lastLba * sectorSize, GptHeader(lastLba, 1, backupEntriesLba, diskSectors, entriesCrc,
                                                       sectorSize));
}
