#include "ntfs/stream.h"

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "base/byte_source.h"
#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"
#include "ntfs/runlist.h"

namespace {

// A stream is complete when its first segment was seen and its runs cover the data.
uint32_t CheckComplete(const NtfsVolume* volume, const NtfsStream* stream)
{
    if (!stream->sized) {
        Diagnose("attribute without the segment that starts at VCN 0");
        return WIN_ERROR_FILE_CORRUPT;
    }
    uint64_t clustersNeeded = (stream->dataSize + volume->clusterSize - 1) / volume->clusterSize;
    if (!stream->resident && uint64_t(stream->nextVcn) < clustersNeeded) {
        Diagnose("attribute whose runs cover %" PRId64 " clusters of the %" PRIu64 " its data size needs",
                 stream->nextVcn, clustersNeeded);
        return WIN_ERROR_FILE_CORRUPT;
    }
    return 0;
}

// The whole value of the file's $ATTRIBUTE_LIST, malloc'd.
uint32_t LoadAttributeList(const NtfsVolume* volume, const NtfsAttribute& attribute,
                           unsigned char** list, uint32_t* size)
{
    NtfsStream stream{};
    uint32_t status = AddSegment(volume, attribute, &stream);
    if (status == 0)
        status = CheckComplete(volume, &stream);
    if (status == 0 && stream.dataSize > MAX_ATTRIBUTE_LIST_SIZE) {
        Diagnose("attribute list of %" PRIu64 " bytes: more than %u", stream.dataSize, MAX_ATTRIBUTE_LIST_SIZE);
        status = WIN_ERROR_FILE_CORRUPT;
    }
    if (status == 0) {
        *size = static_cast<uint32_t>(stream.dataSize);
        *list = static_cast<unsigned char*>(std::malloc(*size == 0 ? 1 : *size));
        status = *list == nullptr ? WIN_ERROR_OUTOFMEMORY : ReadStream(volume, &stream, 0, *list, *size);
    }
    FreeStream(&stream);
    return status;
}

// Checks that an extension record belongs to the file and is the one the list meant.
bool IsExtensionOf(const unsigned char* record, uint64_t reference, uint64_t baseNumber)
{
    uint16_t sequence = ReferenceSequence(reference);
    return (MftRecordFlags(record) & MFT_RECORD_IN_USE) != 0 &&
           (MftBaseReference(record) & FILE_REFERENCE_RECORD_MASK) == baseNumber &&
           (sequence == 0 || MftRecordSequence(record) == sequence);
}

// Adds the segments named by the list entries, in VCN order, reading each extension
// record once even when it holds several segments.
uint32_t AddListedSegments(const NtfsVolume* volume, const unsigned char* base, uint64_t baseNumber,
                           const AttributeListEntry* entries, size_t count, uint32_t type,
                           const char* name, NtfsStream* stream)
{
    uint32_t size = volume->mftRecordSize;
    unsigned char* scratch = static_cast<unsigned char*>(std::malloc(size));
    if (scratch == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    uint64_t held = UINT64_MAX;
    uint32_t status = 0;
    for (size_t i = 0; i < count && status == 0; i++) {
        uint64_t number = entries[i].reference & FILE_REFERENCE_RECORD_MASK;
        const unsigned char* record = base;
        if (number != baseNumber) {
            if (number != held) {
                held = UINT64_MAX;
                status = ReadMftRecord(volume, number, scratch);
                if (status != 0)
                    break;
                if (!IsExtensionOf(scratch, entries[i].reference, baseNumber)) {
                    DiagnoseRecord(volume, number, "not an extension record in use of record %" PRIu64
                                   " with the sequence number its attribute list gives", baseNumber);
                    status = WIN_ERROR_FILE_CORRUPT;
                    break;
                }
                held = number;
            }
            record = scratch;
        }
        NtfsAttribute attribute;
        status = FindAttribute(record, size, type, name, entries[i].id, &attribute);
        if (status == NTFS_NOT_FOUND ||
            (status == 0 && attribute.nonResident && attribute.firstVcn != entries[i].firstVcn)) {
            DiagnoseRecord(volume, number, "no attribute 0x%X with id %u from VCN %" PRId64
                           " as its file's attribute list says", type, unsigned(entries[i].id),
                           entries[i].firstVcn);
            status = WIN_ERROR_FILE_CORRUPT;
        }
        if (status == 0)
            status = AddSegment(volume, attribute, stream);
    }
    std::free(scratch);
    return status;
}

// The line that names the record of an attribute that cannot be read, after the lines
// that said why. Returns the status.
uint32_t DiagnoseStream(const NtfsVolume* volume, uint64_t number, uint32_t type, const char* name,
                        uint32_t status)
{
    if (status != 0 && status != NTFS_NOT_FOUND)
        DiagnoseRecord(volume, number, "its attribute 0x%X%s%s cannot be read", type, *name ? " " : "", name);
    return status;
}

}  // namespace

void FreeStream(NtfsStream* stream)
{
    std::free(stream->value);
    std::free(stream->runs);
    *stream = NtfsStream{};
}

uint32_t AddSegment(const NtfsVolume* volume, const NtfsAttribute& attribute, NtfsStream* stream)
{
    if (!attribute.nonResident) {
        if (stream->sized) {
            Diagnose("attribute 0x%X: a resident value beside other segments", attribute.type);
            return WIN_ERROR_FILE_CORRUPT;
        }
        size_t size = attribute.valueLength == 0 ? 1 : attribute.valueLength;
        stream->value = static_cast<unsigned char*>(std::malloc(size));
        if (stream->value == nullptr)
            return WIN_ERROR_OUTOFMEMORY;
        std::memcpy(stream->value, attribute.value, attribute.valueLength);
        stream->valueLength = attribute.valueLength;
        stream->resident = true;
        stream->sized = true;
        stream->dataSize = attribute.valueLength;
        stream->initializedSize = attribute.valueLength;
        return 0;
    }
    if ((attribute.flags & (ATTRIBUTE_FLAG_COMPRESSED | ATTRIBUTE_FLAG_ENCRYPTED)) != 0) {
        Diagnose("attribute 0x%X: compressed or encrypted (flags 0x%04X), which is not read here",
                 attribute.type, unsigned(attribute.flags));
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (stream->resident) {
        Diagnose("attribute 0x%X: a non-resident segment beside a resident value", attribute.type);
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (attribute.firstVcn == 0) {
        if (stream->sized || attribute.dataSize > uint64_t(INT64_MAX) ||
            attribute.initializedSize > attribute.dataSize) {
            Diagnose("attribute 0x%X: a second segment at VCN 0, or an initialized size 0x%" PRIX64
                     " above its data size 0x%" PRIX64, attribute.type, attribute.initializedSize,
                     attribute.dataSize);
            return WIN_ERROR_FILE_CORRUPT;
        }
        stream->sized = true;
        stream->dataSize = attribute.dataSize;
        stream->initializedSize = attribute.initializedSize;
    }
    return AppendRunlist(volume, attribute.runlist, attribute.runlistLength, attribute.firstVcn,
                         attribute.lastVcn, stream);
}

uint32_t LoadAttributeStream(const NtfsVolume* volume, const unsigned char* base,
                             uint64_t baseNumber, uint32_t type, const char* name,
                             NtfsStream* stream)
{
    uint32_t size = volume->mftRecordSize;
    NtfsAttribute attribute;
    uint32_t status = FindAttribute(base, size, ATTRIBUTE_LIST, "", ANY_ATTRIBUTE_ID, &attribute);
    if (status == NTFS_NOT_FOUND) {
        status = FindAttribute(base, size, type, name, ANY_ATTRIBUTE_ID, &attribute);
        if (status == 0)
            status = AddSegment(volume, attribute, stream);
        if (status == 0)
            status = CheckComplete(volume, stream);
        return DiagnoseStream(volume, baseNumber, type, name, status);
    }
    if (status != 0)
        return DiagnoseStream(volume, baseNumber, type, name, status);

    unsigned char* list = nullptr;
    uint32_t listSize = 0;
    AttributeListEntry* entries = nullptr;
    size_t count = 0;
    status = LoadAttributeList(volume, attribute, &list, &listSize);
    if (status == 0)
        status = CollectListSegments(list, listSize, type, name, &entries, &count);
    if (status == 0 && count == 0)
        status = NTFS_NOT_FOUND;
    if (status == 0)
        status = AddListedSegments(volume, base, baseNumber, entries, count, type, name, stream);
    std::free(entries);
    std::free(list);
    if (status == 0)
        status = CheckComplete(volume, stream);
    return DiagnoseStream(volume, baseNumber, type, name, status);
}

uint32_t ReadStream(const NtfsVolume* volume, const NtfsStream* stream, uint64_t offset,
                    unsigned char* buffer, uint32_t length)
{
    uint64_t held = stream->resident ? stream->valueLength : stream->initializedSize;
    uint64_t end = offset + length;
    uint64_t stored = std::min(end, std::max(held, offset));  // bytes before this come from the value
    if (stream->resident && stored > offset)
        std::memcpy(buffer, stream->value + offset, stored - offset);
    uint64_t at = stream->resident ? stored : offset;
    uint32_t clusterSize = volume->clusterSize;
    while (at < stored) {
        size_t index = FindRun(stream, static_cast<int64_t>(at / clusterSize));
        if (index == stream->runCount) {
            Diagnose("attribute value at 0x%" PRIX64 ": not covered by its runs", at);
            return WIN_ERROR_FILE_CORRUPT;
        }
        const NtfsRun& run = stream->runs[index];
        uint64_t runStart = uint64_t(run.vcn) * clusterSize;
        uint64_t piece = std::min(stored, runStart + uint64_t(run.length) * clusterSize) - at;
        unsigned char* target = buffer + (at - offset);
        if (run.lcn == SPARSE_LCN) {
            std::memset(target, 0, piece);
        } else {
            uint64_t device = volume->offset + uint64_t(run.lcn) * clusterSize + (at - runStart);
            uint32_t status = ReadBytes(volume->source, device, target, piece);
            if (status != 0)
                return status;
        }
        at += piece;
    }
    std::memset(buffer + (stored - offset), 0, end - stored);
    return 0;
}

uint64_t NextDataOffset(const NtfsVolume* volume, const NtfsStream* stream, uint64_t offset)
{
    if (offset >= stream->dataSize)
        return offset;
    if (stream->resident)
        return offset;
    if (offset >= stream->initializedSize)
        return stream->dataSize;
    uint32_t clusterSize = volume->clusterSize;
    size_t index = FindRun(stream, static_cast<int64_t>(offset / clusterSize));
    while (index < stream->runCount && stream->runs[index].lcn == SPARSE_LCN)
        index++;
    if (index == stream->runCount)
        return stream->dataSize;
    uint64_t start = std::max(offset, uint64_t(stream->runs[index].vcn) * clusterSize);
    return start < stream->initializedSize ? start : stream->dataSize;
}

uint64_t StreamInputOffset(const NtfsVolume* volume, const NtfsStream* stream, uint64_t offset)
{
    if (stream->resident || offset >= stream->initializedSize)
        return UINT64_MAX;
    uint32_t clusterSize = volume->clusterSize;
    size_t index = FindRun(stream, static_cast<int64_t>(offset / clusterSize));
    if (index == stream->runCount || stream->runs[index].lcn == SPARSE_LCN)
        return UINT64_MAX;
    const NtfsRun& run = stream->runs[index];
    return volume->offset + uint64_t(run.lcn) * clusterSize + (offset - uint64_t(run.vcn) * clusterSize);
}
