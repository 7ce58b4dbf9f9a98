// A small NTFS volume made in the test itself: boot sector, $MFT, $Volume, $Extend with its $I30
// index and $UsnJrnl with $J and $Max, in just the shapes a test asks for. It holds only
// what the journal reader looks at; mkjournal's images (made by mkntfs and libntfs-3g)
// cover whole volumes end to end.
#pragma once

#include <cstdint>
#include <string>

#include "disk_tables.h"
#include "image_file.h"
#include "ntfs_bytes.h"
#include "usn_encoder.h"

// Cluster sizes from 512 bytes to 16 KiB and record sizes of 1 KiB or 4 KiB fit the layout.
struct VolumeShape {
    uint32_t clusterSize = 4096;
    uint32_t recordSize = 1024;
    bool hasJournal = true;
    uint64_t journalRecord = 38;  // never 42, to show the index is used
    Bytes journal;                // $J's stored bytes, after the sparse head
    uint64_t sparseHead = 0;      // bytes, a multiple of the cluster size
    int64_t dataSize = -1;        // -1: sparseHead + journal.size()
    int64_t initializedSize = -1; // -1: the data size
    uint32_t fragments = 1;       // runs the stored bytes are spread over
    uint32_t segments = 1;        // $DATA:$J segments; > 1: in extension records, listed
    bool listNonResident = false; // the attribute list stored in its own cluster
    bool listReversed = false;    // list entries in descending VCN order
    bool maxFirst = false;        // $Max before $J in the record
    bool mftSplit = false;        // $MFT in two runs; $UsnJrnl's record in the second
    bool mftAttributeList = false;  // with mftSplit: the second run in an extension record
    bool indexAllocation = false; // the $UsnJrnl entry in an INDX block below the root
    bool indexCycle = false;      // with indexAllocation: the INDX block names itself as a sub-node
    uint16_t jFlags = 0;          // attribute flags of $J (0x0001 compressed, ...)
    uint16_t volumeFlags = 0;     // $Volume's flags (0x0010: journal deletion under way)
    uint64_t UsnJournalID = 0x01D6627EBC0BD708;
    uint64_t MaximumSize = 32 << 20;
    uint64_t AllocationDelta = 8 << 20;
    int64_t LowestValidUsn = 0;
};

// Where the built structures lie in the file, for tests that damage them.
struct VolumeLayout {
    uint64_t volumeOffset;
    uint64_t mftRecordOffset[64];  // file offset of each MFT record
    uint64_t mftOffset;               // $MFT's own record
    uint64_t mftExtensionOffset;      // $MFT's extension record (mftAttributeList)
    uint64_t volumeRecordOffset;      // $Volume
    uint64_t extendOffset;            // $Extend
    uint64_t usnJrnlOffset;           // $UsnJrnl's base record
    uint64_t usnJrnlExtensionOffsets[4];  // its extension records, with the second $J
                                          // segment on (segments > 1)
    uint64_t indexBlockOffset;     // the INDX block, when there is one
    uint64_t attributeListOffset;  // the non-resident attribute list, when there is one
    uint64_t journalOffset;        // first stored byte of $J
};

// Writes the volume into `fd` at `volumeOffset` (the file grows as needed).
VolumeLayout WriteVolume(int fd, uint64_t volumeOffset, const VolumeShape& shape);

// Only a boot sector with the given OEM id: the start of some other file system.
void WriteForeignBootSector(int fd, uint64_t offset, const char* oemId);
