// NTFS and its partition tables as they lie on the disk. Each offset is written here
// once: the layouts are byte arrays read only through offsetof and the little-endian
// loads, never cast onto a buffer. Field names follow the public NTFS documentation.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Partition tables -------------------------------------------------------------

struct MbrEntryLayout {
    uint8_t Status[1];       // 0x00
    uint8_t FirstChs[3];     // 0x01
    uint8_t Type[1];         // 0x04
    uint8_t LastChs[3];      // 0x05
    uint8_t FirstLba[4];     // 0x08
    uint8_t SectorCount[4];  // 0x0C
};
static_assert(sizeof(MbrEntryLayout) == 16, "an MBR entry is 16 bytes");

const uint32_t MBR_ENTRY_COUNT = 4;

// The master boot record, and each extended boot record of a chain of logical drives
// (entry 0: the logical drive; entry 1: the link to the next record).
struct MbrLayout {
    uint8_t BootCode[440];                    // 0x000
    uint8_t DiskSignature[4];                 // 0x1B8
    uint8_t Reserved[2];                      // 0x1BC
    MbrEntryLayout Entries[MBR_ENTRY_COUNT];  // 0x1BE
    uint8_t Signature[2];                     // 0x1FE, 0x55 0xAA
};
static_assert(sizeof(MbrLayout) == 512, "an MBR is one 512-byte sector");

const unsigned char MBR_TYPE_EXTENDED_CHS = 0x05;
const unsigned char MBR_TYPE_NTFS = 0x07;  // also exFAT
const unsigned char MBR_TYPE_EXTENDED_LBA = 0x0F;
const unsigned char MBR_TYPE_EXTENDED_LINUX = 0x85;
const unsigned char MBR_TYPE_GPT_PROTECTIVE = 0xEE;
const uint16_t BOOT_SIGNATURE = 0xAA55;  // 0x55 0xAA, read little-endian

struct GptHeaderLayout {
    uint8_t Signature[8];       // 0x00, "EFI PART"
    uint8_t Revision[4];        // 0x08
    uint8_t HeaderSize[4];      // 0x0C
    uint8_t HeaderCrc32[4];     // 0x10
    uint8_t Reserved[4];        // 0x14
    uint8_t MyLba[8];           // 0x18
    uint8_t AlternateLba[8];    // 0x20
    uint8_t FirstUsableLba[8];  // 0x28
    uint8_t LastUsableLba[8];   // 0x30
    uint8_t DiskGuid[16];       // 0x38
    uint8_t EntriesLba[8];      // 0x48
    uint8_t EntryCount[4];      // 0x50
    uint8_t EntrySize[4];       // 0x54
    uint8_t EntriesCrc32[4];    // 0x58
};
static_assert(sizeof(GptHeaderLayout) == 92, "the GPT header is 92 bytes");

struct GptEntryLayout {
    uint8_t TypeGuid[16];    // 0x00
    uint8_t UniqueGuid[16];  // 0x10
    uint8_t FirstLba[8];     // 0x20
    uint8_t LastLba[8];      // 0x28
    uint8_t Attributes[8];   // 0x30
    uint8_t Name[72];        // 0x38, UTF-16
};
static_assert(sizeof(GptEntryLayout) == 128, "a GPT entry is 128 bytes");

// --- Boot sector ------------------------------------------------------------------

struct BootSectorLayout {
    uint8_t Jump[3];                   // 0x00
    uint8_t OemId[8];                  // 0x03, "NTFS    "
    uint8_t BytesPerSector[2];         // 0x0B
    uint8_t SectorsPerCluster[1];      // 0x0D; 244 and above: 2^(256 - value)
    uint8_t Unused1[26];               // 0x0E
    uint8_t TotalSectors[8];           // 0x28
    uint8_t MftCluster[8];             // 0x30
    uint8_t MftMirrorCluster[8];       // 0x38
    uint8_t ClustersPerMftRecord[1];   // 0x40; negative n: 2^-n bytes
    uint8_t Unused2[3];                // 0x41
    uint8_t ClustersPerIndexBlock[1];  // 0x44; the same encoding
    uint8_t Unused3[3];                // 0x45
    uint8_t SerialNumber[8];           // 0x48
    uint8_t Checksum[4];               // 0x50
    uint8_t BootCode[426];             // 0x54
    uint8_t Signature[2];              // 0x1FE, 0x55 0xAA
};
static_assert(sizeof(BootSectorLayout) == 512, "the boot sector is 512 bytes");

// --- Multi-sector structures: MFT records and index blocks ------------------------

// The header both share: the magic and the update sequence array, whose first entry is
// the value every 512-byte stride's last two bytes must hold, the others the bytes
// those two stand for.
struct MultiSectorHeaderLayout {
    uint8_t Magic[4];      // 0x00
    uint8_t UsaOffset[2];  // 0x04
    uint8_t UsaCount[2];   // 0x06, entries including the sequence value
};
static_assert(sizeof(MultiSectorHeaderLayout) == 8, "the multi-sector header is 8 bytes");

// Fixups protect every 512-byte stride, whatever the sector size of the disk.
const uint32_t FIXUP_STRIDE = 512;

struct MftRecordLayout {
    uint8_t Magic[4];                 // 0x00, "FILE"
    uint8_t UsaOffset[2];             // 0x04
    uint8_t UsaCount[2];              // 0x06
    uint8_t LogFileSequenceNumber[8]; // 0x08
    uint8_t SequenceNumber[2];        // 0x10
    uint8_t LinkCount[2];             // 0x12
    uint8_t FirstAttributeOffset[2];  // 0x14
    uint8_t Flags[2];                 // 0x16
    uint8_t UsedSize[4];              // 0x18
    uint8_t AllocatedSize[4];         // 0x1C
    uint8_t BaseRecordReference[8];   // 0x20, 0 in a base record
    uint8_t NextAttributeId[2];       // 0x28
};
static_assert(sizeof(MftRecordLayout) == 42, "the MFT record header is 42 bytes");

const uint16_t MFT_RECORD_IN_USE = 0x0001;
const uint16_t MFT_RECORD_IS_DIRECTORY = 0x0002;

const uint64_t MFT_RECORD_MFT = 0;
const uint64_t MFT_RECORD_VOLUME = 3;
const uint64_t MFT_RECORD_ROOT = 5;
const uint64_t MFT_RECORD_EXTEND = 11;

// --- Attributes -------------------------------------------------------------------

struct AttributeHeaderLayout {
    uint8_t Type[4];         // 0x00; ATTRIBUTE_END ends a record's attributes
    uint8_t Length[4];       // 0x04
    uint8_t NonResident[1];  // 0x08
    uint8_t NameLength[1];   // 0x09, UTF-16 units
    uint8_t NameOffset[2];   // 0x0A
    uint8_t Flags[2];        // 0x0C
    uint8_t Id[2];           // 0x0E
};
static_assert(sizeof(AttributeHeaderLayout) == 16, "the attribute header is 16 bytes");

struct ResidentAttributeLayout {
    AttributeHeaderLayout Header;  // 0x00
    uint8_t ValueLength[4];        // 0x10
    uint8_t ValueOffset[2];        // 0x14
    uint8_t IndexedFlag[1];        // 0x16
    uint8_t Padding[1];            // 0x17
};
static_assert(sizeof(ResidentAttributeLayout) == 24, "a resident header is 24 bytes");

// The sizes are meaningful in the segment whose first VCN is 0.
struct NonResidentAttributeLayout {
    AttributeHeaderLayout Header;  // 0x00
    uint8_t FirstVcn[8];           // 0x10
    uint8_t LastVcn[8];            // 0x18
    uint8_t RunlistOffset[2];      // 0x20
    uint8_t CompressionUnit[2];    // 0x22
    uint8_t Padding[4];            // 0x24
    uint8_t AllocatedSize[8];      // 0x28
    uint8_t DataSize[8];           // 0x30
    uint8_t InitializedSize[8];    // 0x38; bytes past it read as zeros
};
static_assert(sizeof(NonResidentAttributeLayout) == 64, "a non-resident header is 64 bytes");

const uint32_t ATTRIBUTE_STANDARD_INFORMATION = 0x10;
const uint32_t ATTRIBUTE_LIST = 0x20;
const uint32_t ATTRIBUTE_FILE_NAME = 0x30;
const uint32_t ATTRIBUTE_VOLUME_INFORMATION = 0x70;
const uint32_t ATTRIBUTE_DATA = 0x80;
const uint32_t ATTRIBUTE_INDEX_ROOT = 0x90;
const uint32_t ATTRIBUTE_INDEX_ALLOCATION = 0xA0;
const uint32_t ATTRIBUTE_END = 0xFFFFFFFF;

const uint16_t ATTRIBUTE_FLAG_COMPRESSED = 0x00FF;
const uint16_t ATTRIBUTE_FLAG_ENCRYPTED = 0x4000;

// A runlist is a run of mapping pairs ended by a 0 byte. Each pair starts with a header
// byte whose low nibble is the size of the run's length field and whose high nibble is
// the size of its offset field (0: a sparse run); the offset is signed and relative to
// the previous stored run's first cluster.

// $ATTRIBUTE_LIST: where each attribute (or each VCN segment of a large one) of a file
// spread over several MFT records is held.
struct AttributeListEntryLayout {
    uint8_t Type[4];        // 0x00
    uint8_t Length[2];      // 0x04
    uint8_t NameLength[1];  // 0x06
    uint8_t NameOffset[1];  // 0x07
    uint8_t FirstVcn[8];    // 0x08
    uint8_t Reference[8];   // 0x10, the MFT record holding the attribute
    uint8_t Id[2];          // 0x18
};
static_assert(sizeof(AttributeListEntryLayout) == 26, "an attribute list entry is 26 bytes");

// $FILE_NAME, the value of attribute 0x30 and the key of a directory's $I30 index.
struct FileNameLayout {
    uint8_t ParentReference[8];       // 0x00
    uint8_t CreationTime[8];          // 0x08
    uint8_t ModificationTime[8];      // 0x10
    uint8_t MftModificationTime[8];   // 0x18
    uint8_t AccessTime[8];            // 0x20
    uint8_t AllocatedSize[8];         // 0x28
    uint8_t RealSize[8];              // 0x30
    uint8_t Flags[4];                 // 0x38
    uint8_t Reparse[4];               // 0x3C
    uint8_t NameLength[1];            // 0x40, UTF-16 units; the name follows
    uint8_t Namespace[1];             // 0x41
};
static_assert(sizeof(FileNameLayout) == 66, "a $FILE_NAME's name starts at 66");

const uint8_t FILE_NAME_POSIX = 0;
const uint8_t FILE_NAME_WIN32 = 1;
const uint8_t FILE_NAME_DOS = 2;
const uint8_t FILE_NAME_WIN32_AND_DOS = 3;

struct VolumeInformationLayout {
    uint8_t Reserved[8];      // 0x00
    uint8_t MajorVersion[1];  // 0x08
    uint8_t MinorVersion[1];  // 0x09
    uint8_t Flags[2];         // 0x0A
};
static_assert(sizeof(VolumeInformationLayout) == 12, "$VOLUME_INFORMATION is 12 bytes");

// Set while the USN journal is being deleted, and left set when a deletion was cut short.
const uint16_t VOLUME_DELETE_USN_UNDERWAY = 0x0010;

// --- Directory indexes ($I30) -----------------------------------------------------

struct IndexRootLayout {
    uint8_t AttributeType[4];          // 0x00
    uint8_t CollationRule[4];          // 0x04
    uint8_t IndexBlockSize[4];         // 0x08
    uint8_t ClustersPerIndexBlock[1];  // 0x0C
    uint8_t Padding[3];                // 0x0D
};
static_assert(sizeof(IndexRootLayout) == 16, "the index root header is 16 bytes");

// Follows the index root header, and the index block header of each "INDX" block.
struct IndexNodeHeaderLayout {
    uint8_t EntriesOffset[4];  // 0x00, from the node header
    uint8_t UsedSize[4];       // 0x04
    uint8_t AllocatedSize[4];  // 0x08
    uint8_t Flags[1];          // 0x0C, 0x01: entries point to sub-nodes
    uint8_t Padding[3];        // 0x0D
};
static_assert(sizeof(IndexNodeHeaderLayout) == 16, "the index node header is 16 bytes");

struct IndexBlockLayout {
    uint8_t Magic[4];                  // 0x00, "INDX"
    uint8_t UsaOffset[2];              // 0x04
    uint8_t UsaCount[2];               // 0x06
    uint8_t LogFileSequenceNumber[8];  // 0x08
    uint8_t Vcn[8];                    // 0x10, the block's own VCN
};
static_assert(sizeof(IndexBlockLayout) == 24, "an index block's node starts at 24");

// The key (a $FILE_NAME in $I30) follows the header; an entry with a sub-node holds
// the sub-node's VCN in its last 8 bytes.
struct IndexEntryLayout {
    uint8_t Reference[8];  // 0x00
    uint8_t Length[2];     // 0x08
    uint8_t KeyLength[2];  // 0x0A
    uint8_t Flags[2];      // 0x0C
    uint8_t Padding[2];    // 0x0E
};
static_assert(sizeof(IndexEntryLayout) == 16, "an index entry header is 16 bytes");

const uint16_t INDEX_ENTRY_HAS_SUBNODE = 0x0001;
const uint16_t INDEX_ENTRY_IS_LAST = 0x0002;

// --- $Extend\$UsnJrnl -------------------------------------------------------------

// $UsnJrnl:$Max, resident; a longer value holds these 32 bytes first.
struct UsnJrnlMaxLayout {
    uint8_t MaximumSize[8];     // 0x00
    uint8_t AllocationDelta[8]; // 0x08
    uint8_t UsnJournalID[8];    // 0x10
    uint8_t LowestValidUsn[8];  // 0x18
};
static_assert(sizeof(UsnJrnlMaxLayout) == 32, "$Max holds 32 bytes");
