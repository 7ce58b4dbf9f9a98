#include "ntfs_bytes.h"

#include <cstring>

namespace {

uint32_t SignedSize(int64_t value)
{
    uint32_t size = 1;
    while (size < 8 && (value < -(int64_t(1) << (8 * size - 1)) || value >= (int64_t(1) << (8 * size - 1))))
        size++;
    return size;
}

}  // namespace

Bytes EncodeRunlist(const std::vector<TestRun>& runs)
{
    Bytes bytes;
    int64_t previous = 0;
    for (const TestRun& run : runs) {
        uint32_t lengthSize = SignedSize(run.length);
        uint32_t offsetSize = 0;
        int64_t offset = 0;
        if (run.lcn >= 0) {
            offset = run.lcn - previous;
            offsetSize = SignedSize(offset);
            previous = run.lcn;
        }
        bytes.push_back(static_cast<unsigned char>(lengthSize | offsetSize << 4));
        for (uint32_t i = 0; i < lengthSize; i++)
            bytes.push_back(static_cast<unsigned char>(uint64_t(run.length) >> (8 * i)));
        for (uint32_t i = 0; i < offsetSize; i++)
            bytes.push_back(static_cast<unsigned char>(uint64_t(offset) >> (8 * i)));
    }
    bytes.push_back(0);
    return bytes;
}

Bytes ResidentAttribute(uint32_t type, const std::u16string& name, const Bytes& value, uint16_t id)
{
    size_t valueOffset = Align8(24 + 2 * name.size());
    Bytes bytes(Align8(valueOffset + value.size()), 0);
    Put32(bytes, 0, type);
    Put32(bytes, 4, static_cast<uint32_t>(bytes.size()));
    bytes[9] = static_cast<unsigned char>(name.size());
    Put16(bytes, 10, 24);
    Put16(bytes, 14, id);
    Put32(bytes, 16, static_cast<uint32_t>(value.size()));
    Put16(bytes, 20, static_cast<uint16_t>(valueOffset));
    PutName(bytes, 24, name);
    std::copy(value.begin(), value.end(), bytes.begin() + valueOffset);
    return bytes;
}

Bytes NonResidentAttribute(const NonResidentFields& fields)
{
    size_t runlistOffset = Align8(64 + 2 * fields.name.size());
    Bytes bytes(Align8(runlistOffset + fields.runlist.size()), 0);
    Put32(bytes, 0, fields.type);
    Put32(bytes, 4, static_cast<uint32_t>(bytes.size()));
    bytes[8] = 1;
    bytes[9] = static_cast<unsigned char>(fields.name.size());
    Put16(bytes, 10, 64);
    Put16(bytes, 12, fields.flags);
    Put16(bytes, 14, fields.id);
    Put64(bytes, 16, uint64_t(fields.firstVcn));
    Put64(bytes, 24, uint64_t(fields.lastVcn));
    Put16(bytes, 32, static_cast<uint16_t>(runlistOffset));
    Put64(bytes, 40, fields.allocatedSize);
    Put64(bytes, 48, fields.dataSize);
    Put64(bytes, 56, fields.initializedSize);
    PutName(bytes, 64, fields.name);
    std::copy(fields.runlist.begin(), fields.runlist.end(), bytes.begin() + runlistOffset);
    return bytes;
}

void ProtectWithFixups(Bytes& block, uint32_t arrayOffset, uint16_t sequence)
{
    uint32_t strides = static_cast<uint32_t>(block.size() / 512);
    Put16(block, 4, static_cast<uint16_t>(arrayOffset));
    Put16(block, 6, static_cast<uint16_t>(strides + 1));
    Put16(block, arrayOffset, sequence);
    for (uint32_t i = 1; i <= strides; i++) {
        size_t check = i * 512 - 2;
        block[arrayOffset + 2 * i] = block[check];
        block[arrayOffset + 2 * i + 1] = block[check + 1];
        Put16(block, check, sequence);
    }
}

Bytes MftRecord(uint32_t size, uint16_t sequence, uint16_t flags, uint64_t baseReference,
                const std::vector<Bytes>& attributes)
{
    Bytes record(size, 0);
    std::memcpy(record.data(), "FILE", 4);
    uint32_t arrayOffset = 48;
    size_t at = Align8(arrayOffset + 2 * (size / 512 + 1));
    Put16(record, 16, sequence);
    Put16(record, 18, 1);
    Put16(record, 20, static_cast<uint16_t>(at));
    Put16(record, 22, flags);
    Put64(record, 32, baseReference);
    for (const Bytes& attribute : attributes) {
        std::copy(attribute.begin(), attribute.end(), record.begin() + at);
        at += attribute.size();
    }
    Put32(record, at, 0xFFFFFFFF);
    Put32(record, 24, static_cast<uint32_t>(at + 8));
    Put32(record, 28, size);
    ProtectWithFixups(record, arrayOffset, 0x0007);
    return record;
}

Bytes FileNameIndexEntry(uint64_t reference, const std::u16string& name, int64_t subNode)
{
    Bytes key = FileNameValue(0x000B00000000000B, name, 3);  // in $Extend, Win32 and DOS
    size_t length = Align8(16 + key.size()) + (subNode >= 0 ? 8 : 0);
    Bytes entry(length, 0);
    Put64(entry, 0, reference);
    Put16(entry, 8, static_cast<uint16_t>(length));
    Put16(entry, 10, static_cast<uint16_t>(key.size()));
    Put16(entry, 12, subNode >= 0 ? 1 : 0);
    std::copy(key.begin(), key.end(), entry.begin() + 16);
    if (subNode >= 0)
        Put64(entry, length - 8, uint64_t(subNode));
    return entry;
}

Bytes LastIndexEntry(int64_t subNode)
{
    Bytes entry(subNode >= 0 ? 24 : 16, 0);
    Put16(entry, 8, static_cast<uint16_t>(entry.size()));
    Put16(entry, 12, subNode >= 0 ? 3 : 2);
    if (subNode >= 0)
        Put64(entry, 16, uint64_t(subNode));
    return entry;
}

Bytes IndexNode(const std::vector<Bytes>& entries, bool hasSubNodes)
{
    Bytes node(16, 0);
    for (const Bytes& entry : entries)
        Append(node, entry);
    Put32(node, 0, 16);
    Put32(node, 4, static_cast<uint32_t>(node.size()));
    Put32(node, 8, static_cast<uint32_t>(node.size()));
    node[12] = hasSubNodes ? 1 : 0;
    return node;
}

Bytes AttributeList(const std::vector<AttributeListItem>& items)
{
    Bytes list;
    for (const AttributeListItem& item : items) {
        Bytes entry(Align8(26 + 2 * item.name.size()), 0);
        Put32(entry, 0, item.type);
        Put16(entry, 4, static_cast<uint16_t>(entry.size()));
        entry[6] = static_cast<unsigned char>(item.name.size());
        entry[7] = 26;
        Put64(entry, 8, uint64_t(item.firstVcn));
        Put64(entry, 16, item.reference);
        Put16(entry, 24, item.id);
        PutName(entry, 26, item.name);
        Append(list, entry);
    }
    return list;
}

Bytes UsnJrnlMax(uint64_t maximumSize, uint64_t allocationDelta, uint64_t usnJournalId,
                 int64_t lowestValidUsn)
{
    Bytes value(32, 0);
    Put64(value, 0, maximumSize);
    Put64(value, 8, allocationDelta);
    Put64(value, 16, usnJournalId);
    Put64(value, 24, uint64_t(lowestValidUsn));
    return value;
}

Bytes FileNameValue(uint64_t parent, const std::u16string& name, uint8_t nameSpace)
{
    Bytes value(66 + 2 * name.size(), 0);
    Put64(value, 0, parent);
    value[64] = static_cast<unsigned char>(name.size());
    value[65] = nameSpace;
    PutName(value, 66, name);
    return value;
}
