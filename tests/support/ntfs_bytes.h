// Hand-made NTFS structures for the reader's tests: records with fixups, attributes,
// runlists and index entries, built byte by byte as the disk holds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

// One run for EncodeRunlist: `length` clusters at `lcn`, or sparse when lcn is -1.
struct TestRun {
    int64_t length;
    int64_t lcn;
};
// Mapping pairs with offsets relative to the previous stored run, ended by a 0 byte.
Bytes EncodeRunlist(const std::vector<TestRun>& runs);

Bytes ResidentAttribute(uint32_t type, const std::u16string& name, const Bytes& value, uint16_t id);

struct NonResidentFields {
    uint32_t type;
    std::u16string name;
    uint16_t id;
    uint16_t flags;
    int64_t firstVcn;
    int64_t lastVcn;
    Bytes runlist;
    uint64_t allocatedSize;
    uint64_t dataSize;
    uint64_t initializedSize;
};
Bytes NonResidentAttribute(const NonResidentFields& fields);

// A "FILE" record of `size` bytes holding the attributes, protected by fixups.
Bytes MftRecord(uint32_t size, uint16_t sequence, uint16_t flags, uint64_t baseReference,
                const std::vector<Bytes>& attributes);
// Puts the update sequence array in place: `arrayOffset` holds the sequence value and
// the saved last two bytes of each 512-byte stride, which then take the sequence value.
void ProtectWithFixups(Bytes& block, uint32_t arrayOffset, uint16_t sequence);

// An index entry with a $FILE_NAME key; a sub-node VCN is added when subNode >= 0.
Bytes FileNameIndexEntry(uint64_t reference, const std::u16string& name, int64_t subNode = -1);
// The entry that ends a node.
Bytes LastIndexEntry(int64_t subNode = -1);
// A node header followed by the entries; `allocated` bytes are reserved for it.
Bytes IndexNode(const std::vector<Bytes>& entries, bool hasSubNodes);

struct AttributeListItem {
    uint32_t type;
    std::u16string name;
    int64_t firstVcn;
    uint64_t reference;
    uint16_t id;
};
Bytes AttributeList(const std::vector<AttributeListItem>& items);

// The value of a $FILE_NAME attribute (namespace 0 POSIX, 1 Win32, 2 DOS, 3 both).
Bytes FileNameValue(uint64_t parent, const std::u16string& name, uint8_t nameSpace);

// The 32 bytes of $UsnJrnl:$Max.
Bytes UsnJrnlMax(uint64_t maximumSize, uint64_t allocationDelta, uint64_t usnJournalId,
                 int64_t lowestValidUsn);
