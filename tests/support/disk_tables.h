// Partition tables of whole-disk images: an MBR, or a protective MBR and a GPT.
#pragma once

#include <cstdint>
#include <vector>

struct PartitionEntry {
    unsigned char mbrType;          // MBR entries
    bool basicData;                 // GPT entries: Microsoft basic data, else Windows recovery
    uint64_t firstLba;
    uint64_t sectorCount = 0x100000;
};

// The MBR in sector 0: up to four entries. False when it cannot be written.
bool WriteMbr(int fd, const std::vector<PartitionEntry>& partitions);

// A protective MBR, the GPT header at LBA 1 and its 128 entries from LBA 2, with their
// CRCs. With the disk's size in sectors, also the backup entries and header at its end.
bool WriteGpt(int fd, uint32_t sectorSize, const std::vector<PartitionEntry>& partitions,
              uint64_t diskSectors = 0);
