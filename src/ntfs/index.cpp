#include "ntfs/index.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/fixup.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_name.h"
#include "ntfs/stream.h"

namespace {

using NodeHeader = IndexNodeHeaderLayout;
using Entry = IndexEntryLayout;

const uint32_t NODE_HEADER_SIZE = sizeof(NodeHeader);
const uint32_t ENTRY_HEADER_SIZE = sizeof(Entry);
const uint32_t SUBNODE_VCN_SIZE = 8;
const uint32_t FILE_NAME_KEY_SIZE = sizeof(FileNameLayout);  // $FILE_NAME up to its name
const uint32_t INDEX_ROOT_HEADER_SIZE = sizeof(IndexRootLayout);
const uint32_t INDX_NODE_OFFSET = sizeof(IndexBlockLayout);

// An index node whose entries cannot be walked; `at` is the entry's offset in the node.
uint32_t Refuse(uint32_t at, const char* why)
{
    Diagnose("index entry at 0x%X of its node: %s", at, why);
    return WIN_ERROR_FILE_CORRUPT;
}

// Sub-node VCNs count 512-byte units when index blocks are smaller than a cluster.
uint64_t IndexVcnSize(const NtfsVolume* volume, uint32_t blockSize)
{
    return blockSize >= volume->clusterSize ? volume->clusterSize : FIXUP_STRIDE;
}

uint32_t VisitIndexBlock(const NtfsVolume* volume, const NtfsStream* allocation, uint32_t blockSize,
                         int64_t vcn, unsigned char* block, const char* name, uint64_t* reference,
                         IndexWalk* walk)
{
    uint64_t vcnSize = IndexVcnSize(volume, blockSize);
    if (vcn < 0 || allocation->dataSize < blockSize ||
        uint64_t(vcn) > (allocation->dataSize - blockSize) / vcnSize) {
        Diagnose("index sub-node VCN %" PRId64 " lies outside the index's %" PRIu64 " bytes", vcn,
                 allocation->dataSize);
        return WIN_ERROR_FILE_CORRUPT;
    }
    uint32_t status = ReadStream(volume, allocation, uint64_t(vcn) * vcnSize, block, blockSize);
    if (status != 0)
        return status;
    const char* problem = nullptr;
    if (std::memcmp(block + offsetof(IndexBlockLayout, Magic), "INDX", 4) != 0)
        problem = "no INDX magic";
    else if (!ApplyFixups(block, blockSize))
        problem = "its update sequence does not check";
    else if (LoadI64(block + offsetof(IndexBlockLayout, Vcn)) != vcn)
        problem = "it names another VCN as its own";
    else
        status = ScanIndexNode(block + INDX_NODE_OFFSET, blockSize - INDX_NODE_OFFSET, name, reference, walk);
    if (problem != nullptr || status == WIN_ERROR_FILE_CORRUPT) {
        uint64_t at = StreamInputOffset(volume, allocation, uint64_t(vcn) * vcnSize);
        Diagnose("index block of VCN %" PRId64 " at 0x%" PRIX64 ": %s", vcn, at,
                 problem != nullptr ? problem : "its entries are damaged");
    }
    return problem != nullptr ? WIN_ERROR_FILE_CORRUPT : status;
}

// Visits the queued sub-nodes until the name is found or none are left.
uint32_t WalkIndexBlocks(const NtfsVolume* volume, const unsigned char* directory, uint64_t number,
                         uint32_t blockSize, const char* name, uint64_t* reference, IndexWalk* walk)
{
    if (blockSize < FIXUP_STRIDE || blockSize > MAX_RECORD_SIZE || blockSize % FIXUP_STRIDE != 0) {
        Diagnose("index block size 0x%X is not a multiple of 512 up to 64 KiB", blockSize);
        return WIN_ERROR_FILE_CORRUPT;
    }
    NtfsStream allocation{};
    uint32_t status = LoadAttributeStream(volume, directory, number, ATTRIBUTE_INDEX_ALLOCATION,
                                          "$I30", &allocation);
    if (status == NTFS_NOT_FOUND) {
        Diagnose("index with sub-nodes but no $INDEX_ALLOCATION attribute");
        status = WIN_ERROR_FILE_CORRUPT;
    }
    unsigned char* block = nullptr;
    if (status == 0) {
        block = static_cast<unsigned char*>(std::malloc(blockSize));
        if (block == nullptr)
            status = WIN_ERROR_OUTOFMEMORY;
    }
    status = status != 0 ? status : NTFS_NOT_FOUND;
    while (status == NTFS_NOT_FOUND && walk->pendingCount != 0) {
        int64_t vcn = walk->pending[--walk->pendingCount];
        status = VisitIndexBlock(volume, &allocation, blockSize, vcn, block, name, reference, walk);
    }
    std::free(block);
    FreeStream(&allocation);
    return status;
}

}  // namespace

uint32_t ScanIndexNode(const unsigned char* node, uint32_t length, const char* name,
                       uint64_t* reference, IndexWalk* walk)
{
    uint32_t at = length < NODE_HEADER_SIZE ? 0 : LoadU32(node + offsetof(NodeHeader, EntriesOffset));
    uint32_t used = length < NODE_HEADER_SIZE ? 0 : LoadU32(node + offsetof(NodeHeader, UsedSize));
    if (length < NODE_HEADER_SIZE || used > length || at < NODE_HEADER_SIZE || at > used) {
        Diagnose("index node of 0x%X bytes: its header, entries offset 0x%X or used size 0x%X do not fit",
                 length, at, used);
        return WIN_ERROR_FILE_CORRUPT;
    }
    for (;;) {
        if (used - at < ENTRY_HEADER_SIZE)
            return Refuse(at, "no last entry before the node's used size");
        const unsigned char* entry = node + at;
        uint32_t entryLength = LoadU16(entry + offsetof(Entry, Length));
        uint32_t keyLength = LoadU16(entry + offsetof(Entry, KeyLength));
        uint16_t flags = LoadU16(entry + offsetof(Entry, Flags));
        if (entryLength < ENTRY_HEADER_SIZE || entryLength > used - at)
            return Refuse(at, "its length is shorter than an entry or runs past the node's used size");
        if ((flags & INDEX_ENTRY_HAS_SUBNODE) != 0) {
            if (entryLength < ENTRY_HEADER_SIZE + SUBNODE_VCN_SIZE)
                return Refuse(at, "no room for the sub-node VCN it says it holds");
            if (walk->queued == MAX_INDEX_NODES)
                return Refuse(at, "more sub-nodes than an index of this reader's limit holds");
            walk->pending[walk->pendingCount++] = LoadI64(entry + entryLength - SUBNODE_VCN_SIZE);
            walk->queued++;
        }
        if ((flags & INDEX_ENTRY_IS_LAST) != 0)
            return NTFS_NOT_FOUND;
        if (keyLength < FILE_NAME_KEY_SIZE || keyLength > entryLength - ENTRY_HEADER_SIZE)
            return Refuse(at, "its key is no $FILE_NAME or runs past the entry");
        const unsigned char* key = entry + ENTRY_HEADER_SIZE;
        uint32_t nameLength = key[offsetof(FileNameLayout, NameLength)];
        if (FILE_NAME_KEY_SIZE + 2 * nameLength > keyLength)
            return Refuse(at, "its file name runs past its key");
        if (NtfsNameEquals(key + FILE_NAME_KEY_SIZE, nameLength, name)) {
            *reference = LoadU64(entry + offsetof(Entry, Reference));
            return 0;
        }
        at += entryLength;
    }
}

uint32_t FindInDirectory(const NtfsVolume* volume, const unsigned char* directory, uint64_t number,
                         const char* name, uint64_t* reference)
{
    NtfsStream root{};
    uint32_t status = LoadAttributeStream(volume, directory, number, ATTRIBUTE_INDEX_ROOT, "$I30", &root);
    if (status == 0 && (!root.resident || root.valueLength < INDEX_ROOT_HEADER_SIZE)) {
        Diagnose("$INDEX_ROOT not resident or shorter than its header");
        status = WIN_ERROR_FILE_CORRUPT;
    }
    IndexWalk* walk = nullptr;
    if (status == 0) {
        walk = static_cast<IndexWalk*>(std::calloc(1, sizeof(IndexWalk)));
        if (walk == nullptr)
            status = WIN_ERROR_OUTOFMEMORY;
    }
    if (status == 0) {
        status = ScanIndexNode(root.value + INDEX_ROOT_HEADER_SIZE, root.valueLength - INDEX_ROOT_HEADER_SIZE,
                               name, reference, walk);
        if (status == NTFS_NOT_FOUND && walk->pendingCount != 0)
            status = WalkIndexBlocks(volume, directory, number,
                                     LoadU32(root.value + offsetof(IndexRootLayout, IndexBlockSize)), name,
                                     reference, walk);
    }
    std::free(walk);
    FreeStream(&root);
    if (status == WIN_ERROR_FILE_CORRUPT)
        DiagnoseRecord(volume, number, "its $I30 index, where %s is looked up, is damaged", name);
    return status;
}
