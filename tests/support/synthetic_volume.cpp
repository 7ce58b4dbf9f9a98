#include "synthetic_volume.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "image_file.h"

namespace {

const uint32_t RECORD_COUNT = 64;
const uint64_t EXTEND = 11;
const uint64_t MFT_EXTENSION = 16;   // $MFT's extension record
const uint64_t JOURNAL_EXTENSION = 20;  // $UsnJrnl's extension records start here
const uint64_t MFT_CLUSTER_BYTES = 32 * 1024;
const uint64_t INDEX_CLUSTER_BYTES = 384 * 1024;
const uint64_t LIST_CLUSTER_BYTES = 448 * 1024;
const uint64_t JOURNAL_CLUSTER_BYTES = 512 * 1024;
const uint32_t INDEX_BLOCK_SIZE = 4096;

// The builder cannot go on without its image.
void Write(int fd, uint64_t offset, const Bytes& bytes)
{
    if (!WriteAt(fd, offset, bytes))
        std::abort();
}

uint64_t Reference(uint64_t record, uint16_t sequence)
{
    return uint64_t(sequence) << 48 | record;
}

Bytes BootSector(const VolumeShape& shape, uint64_t totalClusters, uint64_t mftCluster)
{
    Bytes sector(512, 0);
    sector[0] = 0xEB;
    sector[1] = 0x52;
    sector[2] = 0x90;
    std::memcpy(sector.data() + 3, "NTFS    ", 8);
    Put16(sector, 11, 512);
    sector[13] = static_cast<unsigned char>(shape.clusterSize / 512);
    sector[21] = 0xF8;
    uint64_t sectorsPerCluster = shape.clusterSize / 512;
    Put64(sector, 40, totalClusters * sectorsPerCluster - 1);
    Put64(sector, 48, mftCluster);
    Put64(sector, 56, mftCluster + 1);
    int8_t recordUnits = shape.recordSize >= shape.clusterSize
                             ? static_cast<int8_t>(shape.recordSize / shape.clusterSize)
                             : static_cast<int8_t>(-__builtin_ctz(shape.recordSize));
    sector[64] = static_cast<unsigned char>(recordUnits);
    sector[68] = 1;
    Put16(sector, 510, 0xAA55);
    return sector;
}

struct Builder {
    int fd;
    uint64_t volumeOffset;
    const VolumeShape& shape;
    VolumeLayout layout;
    uint64_t clusterSize;
    uint64_t mftClusters;
    uint64_t mftSecondCluster;  // first cluster of the second $MFT run when split
};

void PutRecord(Builder& b, uint64_t number, const Bytes& record)
{
    Write(b.fd, b.layout.mftRecordOffset[number], record);
}

void BuildMft(Builder& b)
{
    const VolumeShape& shape = b.shape;
    uint64_t mftCluster = MFT_CLUSTER_BYTES / b.clusterSize;
    uint64_t half = b.mftClusters / 2;
    for (uint64_t i = 0; i < RECORD_COUNT; i++) {
        uint64_t byte = i * shape.recordSize;
        uint64_t cluster = mftCluster + byte / b.clusterSize;
        if (shape.mftSplit && byte / b.clusterSize >= half)
            cluster = b.mftSecondCluster + byte / b.clusterSize - half;
        b.layout.mftRecordOffset[i] = b.volumeOffset + cluster * b.clusterSize + byte % b.clusterSize;
    }
    uint64_t dataSize = uint64_t(RECORD_COUNT) * shape.recordSize;
    NonResidentFields data{0x80, u"", 1, 0, 0, int64_t(b.mftClusters) - 1, {}, dataSize, dataSize, dataSize};
    if (!shape.mftSplit) {
        data.runlist = EncodeRunlist({{int64_t(b.mftClusters), int64_t(mftCluster)}});
        PutRecord(b, 0, MftRecord(shape.recordSize, 1, 1, 0, {NonResidentAttribute(data)}));
        return;
    }
    std::vector<TestRun> first = {{int64_t(half), int64_t(mftCluster)}};
    std::vector<TestRun> second = {{int64_t(b.mftClusters - half), int64_t(b.mftSecondCluster)}};
    if (!shape.mftAttributeList) {
        first.push_back(second[0]);
        data.runlist = EncodeRunlist(first);
        PutRecord(b, 0, MftRecord(shape.recordSize, 1, 1, 0, {NonResidentAttribute(data)}));
        return;
    }
    data.lastVcn = int64_t(half) - 1;
    data.runlist = EncodeRunlist(first);
    NonResidentFields rest{0x80, u"", 0, 0, int64_t(half), int64_t(b.mftClusters) - 1,
                         EncodeRunlist(second), 0, 0, 0};
    Bytes list = AttributeList({{0x80, u"", 0, Reference(0, 1), 1},
                                {0x80, u"", int64_t(half), Reference(MFT_EXTENSION, 1), 0}});
    PutRecord(b, 0, MftRecord(shape.recordSize, 1, 1, 0,
                              {ResidentAttribute(0x20, u"", list, 2), NonResidentAttribute(data)}));
    PutRecord(b, MFT_EXTENSION, MftRecord(shape.recordSize, 1, 1, Reference(0, 1), {NonResidentAttribute(rest)}));
}

void BuildVolumeRecord(Builder& b)
{
    Bytes information(12, 0);
    information[8] = 3;
    information[9] = 1;
    Put16(information, 10, b.shape.volumeFlags);
    PutRecord(b, 3, MftRecord(b.shape.recordSize, 3, 1, 0, {ResidentAttribute(0x70, u"", information, 1)}));
}

void BuildExtend(Builder& b)
{
    const VolumeShape& shape = b.shape;
    std::vector<Bytes> entries = {FileNameIndexEntry(Reference(25, 1), u"$ObjId"),
                                  FileNameIndexEntry(Reference(24, 1), u"$Quota"),
                                  FileNameIndexEntry(Reference(26, 1), u"$Reparse")};
    if (shape.hasJournal)
        entries.push_back(FileNameIndexEntry(Reference(shape.journalRecord, 1), u"$UsnJrnl"));
    entries.push_back(LastIndexEntry());
    Bytes rootHeader(16, 0);
    Put32(rootHeader, 0, 0x30);
    Put32(rootHeader, 4, 1);
    Put32(rootHeader, 8, INDEX_BLOCK_SIZE);
    rootHeader[12] = 1;
    std::vector<Bytes> attributes;
    if (!shape.indexAllocation) {
        Bytes root = rootHeader;
        Bytes node = IndexNode(entries, false);
        root.insert(root.end(), node.begin(), node.end());
        attributes.push_back(ResidentAttribute(0x90, u"$I30", root, 1));
    } else {
        Bytes root = rootHeader;
        Bytes node = IndexNode({LastIndexEntry(0)}, true);
        root.insert(root.end(), node.begin(), node.end());
        attributes.push_back(ResidentAttribute(0x90, u"$I30", root, 1));
        uint64_t cluster = INDEX_CLUSTER_BYTES / b.clusterSize;
        uint64_t clusters = std::max<uint64_t>(1, INDEX_BLOCK_SIZE / b.clusterSize);
        attributes.push_back(NonResidentAttribute({0xA0, u"$I30", 2, 0, 0, int64_t(clusters) - 1,
                                                   EncodeRunlist({{int64_t(clusters), int64_t(cluster)}}),
                                                   INDEX_BLOCK_SIZE, INDEX_BLOCK_SIZE, INDEX_BLOCK_SIZE}));
        Bytes block(INDEX_BLOCK_SIZE, 0);
        std::memcpy(block.data(), "INDX", 4);
        if (shape.indexCycle)
            entries.back() = LastIndexEntry(0);
        Bytes blockNode = IndexNode(entries, shape.indexCycle);
        uint32_t nodeStart = 24;
        uint32_t entriesStart = 64;  // after the update sequence array at 40
        std::copy(blockNode.begin() + 16, blockNode.end(), block.begin() + entriesStart);
        Put32(block, nodeStart, entriesStart - nodeStart);
        Put32(block, nodeStart + 4, static_cast<uint32_t>(entriesStart - nodeStart + blockNode.size() - 16));
        Put32(block, nodeStart + 8, INDEX_BLOCK_SIZE - nodeStart);
        ProtectWithFixups(block, 40, 0x0003);
        b.layout.indexBlockOffset = b.volumeOffset + cluster * b.clusterSize;
        Write(b.fd, b.layout.indexBlockOffset, block);
    }
    PutRecord(b, EXTEND, MftRecord(shape.recordSize, 11, 3, 0, attributes));
}

// The runs of $J: the sparse head, then the stored bytes in `fragments` pieces with a
// cluster left free between pieces.
std::vector<TestRun> JournalRuns(Builder& b, uint64_t* clusters)
{
    const VolumeShape& shape = b.shape;
    std::vector<TestRun> runs;
    if (shape.sparseHead != 0)
        runs.push_back({int64_t(shape.sparseHead / b.clusterSize), -1});
    uint64_t stored = (shape.journal.size() + b.clusterSize - 1) / b.clusterSize;
    uint64_t cluster = JOURNAL_CLUSTER_BYTES / b.clusterSize;
    b.layout.journalOffset = b.volumeOffset + cluster * b.clusterSize;
    uint64_t fragments = std::max<uint64_t>(1, std::min<uint64_t>(shape.fragments, stored));
    uint64_t done = 0;
    for (uint64_t i = 0; i < fragments && stored != 0; i++) {
        uint64_t length = i + 1 == fragments ? stored - done : stored / fragments;
        runs.push_back({int64_t(length), int64_t(cluster)});
        for (uint64_t c = 0; c < length; c++) {
            uint64_t from = (done + c) * b.clusterSize;
            uint64_t to = std::min<uint64_t>(from + b.clusterSize, shape.journal.size());
            Bytes piece(shape.journal.begin() + from, shape.journal.begin() + to);
            Write(b.fd, b.volumeOffset + (cluster + c) * b.clusterSize, piece);
        }
        done += length;
        cluster += length + 1;
    }
    *clusters = shape.sparseHead / b.clusterSize + stored;
    return runs;
}

void BuildJournal(Builder& b)
{
    const VolumeShape& shape = b.shape;
    uint64_t clusters = 0;
    std::vector<TestRun> runs = JournalRuns(b, &clusters);
    uint64_t dataSize = shape.dataSize >= 0 ? uint64_t(shape.dataSize) : shape.sparseHead + shape.journal.size();
    uint64_t initialized = shape.initializedSize >= 0 ? uint64_t(shape.initializedSize) : dataSize;
    uint16_t flags = static_cast<uint16_t>(shape.jFlags | (shape.sparseHead != 0 ? 0x8000 : 0));
    Bytes max = ResidentAttribute(0x80, u"$Max", UsnJrnlMax(shape.MaximumSize, shape.AllocationDelta,
                                                            shape.UsnJournalID, shape.LowestValidUsn), 5);

    // Split the runs into segments, each with at least one run.
    uint32_t segments = std::max<uint32_t>(1, std::min<uint32_t>(shape.segments, uint32_t(runs.size())));
    std::vector<Bytes> pieces;
    std::vector<int64_t> firstVcns;
    int64_t vcn = 0;
    size_t next = 0;
    for (uint32_t s = 0; s < segments; s++) {
        size_t count = s + 1 == segments ? runs.size() - next : runs.size() / segments;
        std::vector<TestRun> part(runs.begin() + next, runs.begin() + next + count);
        next += count;
        int64_t length = 0;
        for (const TestRun& run : part)
            length += run.length;
        bool first = s == 0;
        pieces.push_back(NonResidentAttribute({0x80, u"$J", uint16_t(s == 0 ? 3 : 0), flags, vcn, vcn + length - 1,
                                               EncodeRunlist(part), first ? clusters * b.clusterSize : 0,
                                               first ? dataSize : 0, first ? initialized : 0}));
        firstVcns.push_back(vcn);
        vcn += length;
    }
    std::vector<Bytes> baseAttributes;
    if (segments > 1) {
        std::vector<AttributeListItem> items;
        items.push_back({0x80, u"$J", 0, Reference(shape.journalRecord, 1), 3});
        for (uint32_t s = 1; s < segments; s++) {
            uint64_t extension = JOURNAL_EXTENSION + s - 1;
            items.push_back({0x80, u"$J", firstVcns[s], Reference(extension, 1), 0});
            PutRecord(b, extension, MftRecord(shape.recordSize, 1, 1, Reference(shape.journalRecord, 1), {pieces[s]}));
        }
        if (shape.listReversed)
            std::reverse(items.begin(), items.end());
        items.push_back({0x80, u"$Max", 0, Reference(shape.journalRecord, 1), 5});
        Bytes list = AttributeList(items);
        if (!shape.listNonResident) {
            baseAttributes.push_back(ResidentAttribute(0x20, u"", list, 1));
        } else {
            uint64_t cluster = LIST_CLUSTER_BYTES / b.clusterSize;
            uint64_t listClusters = (list.size() + b.clusterSize - 1) / b.clusterSize;
            baseAttributes.push_back(NonResidentAttribute({0x20, u"", 1, 0, 0, int64_t(listClusters) - 1,
                                                           EncodeRunlist({{int64_t(listClusters), int64_t(cluster)}}),
                                                           listClusters * b.clusterSize, list.size(), list.size()}));
            b.layout.attributeListOffset = b.volumeOffset + cluster * b.clusterSize;
            Write(b.fd, b.layout.attributeListOffset, list);
        }
    }
    if (shape.maxFirst)
        baseAttributes.push_back(max);
    baseAttributes.push_back(pieces[0]);
    if (!shape.maxFirst)
        baseAttributes.push_back(max);
    PutRecord(b, shape.journalRecord, MftRecord(shape.recordSize, 1, 1, 0, baseAttributes));
}

}  // namespace

VolumeLayout WriteVolume(int fd, uint64_t volumeOffset, const VolumeShape& shape)
{
    Builder b{fd, volumeOffset, shape, VolumeLayout{}, shape.clusterSize, 0, 0};
    b.layout.volumeOffset = volumeOffset;
    b.mftClusters = std::max<uint64_t>(1, uint64_t(RECORD_COUNT) * shape.recordSize / b.clusterSize);
    uint64_t journalClusters = (shape.journal.size() + b.clusterSize - 1) / b.clusterSize + shape.fragments;
    uint64_t totalClusters = JOURNAL_CLUSTER_BYTES / b.clusterSize + journalClusters + b.mftClusters + 16;
    b.mftSecondCluster = totalClusters - b.mftClusters - 8;
    Write(fd, volumeOffset, BootSector(shape, totalClusters, MFT_CLUSTER_BYTES / b.clusterSize));
    BuildMft(b);
    BuildVolumeRecord(b);
    BuildExtend(b);
    if (shape.hasJournal)
        BuildJournal(b);
    b.layout.mftOffset = b.layout.mftRecordOffset[0];
    b.layout.mftExtensionOffset = b.layout.mftRecordOffset[MFT_EXTENSION];
    b.layout.volumeRecordOffset = b.layout.mftRecordOffset[3];
    b.layout.extendOffset = b.layout.mftRecordOffset[EXTEND];
    b.layout.usnJrnlOffset = b.layout.mftRecordOffset[shape.journalRecord];
    for (uint64_t i = 0; i < 4; i++)
        b.layout.usnJrnlExtensionOffsets[i] = b.layout.mftRecordOffset[JOURNAL_EXTENSION + i];
    uint64_t end = volumeOffset + totalClusters * b.clusterSize;
    if (lseek(fd, 0, SEEK_END) < static_cast<off_t>(end) && ftruncate(fd, static_cast<off_t>(end)) != 0)
        std::abort();
    return b.layout;
}

void WriteForeignBootSector(int fd, uint64_t offset, const char* oemId)
{
    Bytes sector(512, 0);
    std::memcpy(sector.data() + 3, oemId, 8);
    Put16(sector, 510, 0xAA55);
    Write(fd, offset, sector);
}
