#include "usn_encoder.h"

namespace {

const size_t V2_HEADER = 60;
const size_t V3_HEADER = 76;
const size_t V4_HEADER = 64;
const size_t V4_EXTENT = 16;

void PutOverridable(Bytes& record, size_t at, int64_t stored, size_t actual, bool wide)
{
    uint64_t value = stored >= 0 ? uint64_t(stored) : actual;
    if (wide)
        Put32(record, at, static_cast<uint32_t>(value));
    else
        Put16(record, at, static_cast<uint16_t>(value));
}

size_t RecordSize(const UsnFields& f)
{
    size_t nameBytes = 2 * f.name.size();
    return f.version == 2 ? Align8(V2_HEADER + nameBytes)
         : f.version == 3 ? Align8(V3_HEADER + nameBytes)
                          : V4_HEADER + V4_EXTENT * f.extents;
}

}  // namespace

Bytes EncodeUsnRecord(const UsnFields& f)
{
    size_t nameBytes = 2 * f.name.size();
    size_t size = RecordSize(f);
    Bytes record(size, 0);
    PutOverridable(record, 0, f.recordLength, size, true);
    Put16(record, 4, static_cast<uint16_t>(f.version));
    Put64(record, 8, f.frn);
    if (f.version == 2) {
        Put64(record, 16, f.parent);
        Put64(record, 24, uint64_t(f.usn));
        Put64(record, 32, uint64_t(f.timeStamp));
        Put32(record, 40, f.reason);
        Put32(record, 44, f.sourceInfo);
        Put32(record, 48, f.securityId);
        Put32(record, 52, f.attributes);
        PutOverridable(record, 56, f.fileNameLength, nameBytes, false);
        PutOverridable(record, 58, f.fileNameOffset, V2_HEADER, false);
        PutName(record, V2_HEADER, f.name);
        return record;
    }
    Put64(record, 16, f.frnHigh);
    Put64(record, 24, f.parent);
    Put64(record, 32, f.parentHigh);
    Put64(record, 40, uint64_t(f.usn));
    if (f.version == 4) {
        Put32(record, 48, f.reason);
        Put32(record, 52, f.sourceInfo);
        Put16(record, 60, f.extents);
        Put16(record, 62, V4_EXTENT);
        for (uint16_t i = 0; i < f.extents; ++i) {
            Put64(record, V4_HEADER + V4_EXTENT * i, uint64_t(i) * 65536);  // Offset
            Put64(record, V4_HEADER + V4_EXTENT * i + 8, 4096);             // Length
        }
        return record;
    }
    Put64(record, 48, uint64_t(f.timeStamp));
    Put32(record, 56, f.reason);
    Put32(record, 60, f.sourceInfo);
    Put32(record, 64, f.securityId);
    Put32(record, 68, f.attributes);
    PutOverridable(record, 72, f.fileNameLength, nameBytes, false);
    PutOverridable(record, 74, f.fileNameOffset, V3_HEADER, false);
    PutName(record, V3_HEADER, f.name);
    return record;
}

Bytes EncodeUsnRecordV2(const UsnFields& fields)
{
    UsnFields v2 = fields;
    v2.version = 2;
    return EncodeUsnRecord(v2);
}

void AddRecord(Bytes& journal, UsnFields fields, uint64_t base)
{
    if (journal.size() % TEST_USN_PAGE_SIZE + RecordSize(fields) > TEST_USN_PAGE_SIZE)
        PadPage(journal);
    fields.usn = static_cast<int64_t>(base + journal.size());
    Append(journal, EncodeUsnRecord(fields));
}

void PadPage(Bytes& journal)
{
    journal.resize((journal.size() + TEST_USN_PAGE_SIZE - 1) / TEST_USN_PAGE_SIZE * TEST_USN_PAGE_SIZE, 0);
}

Bytes UsnBuffer(int64_t nextUsn, const std::vector<Bytes>& records)
{
    Bytes buffer(8, 0);
    Put64(buffer, 0, uint64_t(nextUsn));
    for (const Bytes& record : records)
        Append(buffer, record);
    return buffer;
}
