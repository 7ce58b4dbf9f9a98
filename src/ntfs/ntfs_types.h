// The plain structures the NTFS reader builds from the volume, and the limits shared by
// its files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/byte_source.h"
#include "base/windows_errors.h"
#include "journal/usn_layout.h"
#include "ntfs/ntfs_layout.h"

// Not a Windows code: "no such attribute or entry". It never leaves src/ntfs; each caller
// turns it into the code that fits (missing journal, or damage).
const uint32_t NTFS_NOT_FOUND = 0xFFFFFFFF;

// Bounds that keep hostile bytes from costing unbounded memory or time. Windows itself
// keeps MFT records and index blocks at 64 KiB or less and attribute lists at 256 KiB.
const uint32_t MAX_RECORD_SIZE = 65536;
const uint32_t MAX_ATTRIBUTE_LIST_SIZE = 256 * 1024;
// A heavily fragmented $J or $MFT of a large volume stays well below this many runs; it
// keeps a forged runlist to a few megabytes.
const size_t MAX_RUNS = size_t(1) << 18;
const uint32_t MAX_INDEX_NODES = 4096;
const uint32_t MAX_NTFS_PARTITIONS = 128;  // a GPT's usual entry count; also bounds an MBR's
                                            // chain of logical drives

// $J is read through a window of this size: large reads keep a multi-gigabyte journal
// at disk speed while the reader's own memory stays small.
const uint32_t USN_WINDOW_SIZE = 1024 * 1024;

// What Windows reports as MaxUsn: the largest USN a journal may reach.
const int64_t NTFS_MAX_USN = 0x7FFFFFFFFFFF0000;

// One run of a non-resident attribute: `length` clusters from `vcn`, stored from `lcn`,
// or not stored at all (sparse) when lcn is SPARSE_LCN.
struct NtfsRun {
    int64_t vcn;
    int64_t lcn;
    int64_t length;
};
const int64_t SPARSE_LCN = -1;

// An attribute's value: a copy of a resident value, or the full runlist of a
// non-resident one assembled from all its segments in VCN order.
struct NtfsStream {
    bool resident;
    unsigned char* value;  // resident value (malloc'd), valueLength bytes
    uint32_t valueLength;
    NtfsRun* runs;  // malloc'd, sorted by VCN, contiguous from VCN 0
    size_t runCount;
    size_t runCapacity;
    int64_t nextVcn;  // first VCN after the runs held
    bool sized;       // the segment at VCN 0 (which carries the sizes) was seen
    uint64_t dataSize;
    uint64_t initializedSize;
};

struct NtfsVolume {
    ByteSource source;
    uint64_t offset;  // byte offset of the volume in the source (partition start)
    uint32_t clusterSize;
    uint64_t clusterCount;
    uint64_t mftCluster;
    uint32_t mftRecordSize;
    NtfsStream mft;  // $MFT's own $DATA: MFT record N is read through it
};

// A journal being read: $UsnJrnl of an NTFS volume, or an exported copy of its $J stream
// (a file in which a byte's offset is its USN).
struct UsnJrnl {
    NtfsVolume volume;  // of an exported $J, only the source is set
    NtfsStream usn;     // $UsnJrnl:$J; empty for an exported $J
    bool exported;      // the source holds $J itself, byte for byte
    UsnJournalData data;
    // The window caches a page-aligned stretch of $J, so records are walked in memory and
    // the source is read in large blocks.
    unsigned char* window;
    uint32_t windowCapacity;  // USN_WINDOW_SIZE, or less for a journal smaller than that
    uint64_t windowStart;
    uint32_t windowLength;
};
