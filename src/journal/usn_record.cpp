#include "journal/usn_record.h"

#include "base/little_endian.h"
#include "journal/usn_layout.h"

namespace {

using V2 = UsnRecordV2Layout;
using V3 = UsnRecordV3Layout;

static_assert(offsetof(V3, FileAttributes) - offsetof(V3, Usn) ==
                  offsetof(V2, FileAttributes) - offsetof(V2, Usn),
              "Usn to FileAttributes lie alike in both layouts");

// Usn to FileAttributes: the same fields in the same order in both layouts, which a V3
// record holds `shift` bytes further on.
void DecodeCommonFields(const unsigned char* record, size_t shift, UsnRecord* fields)
{
    const unsigned char* p = record + shift;
    fields->Usn = LoadI64(p + offsetof(V2, Usn));
    fields->TimeStamp = LoadU64(p + offsetof(V2, TimeStamp));
    fields->Reason = LoadU32(p + offsetof(V2, Reason));
    fields->SourceInfo = LoadU32(p + offsetof(V2, SourceInfo));
    fields->SecurityId = LoadU32(p + offsetof(V2, SecurityId));
    fields->FileAttributes = LoadU32(p + offsetof(V2, FileAttributes));
}

}  // namespace

const UsnRecordShape USN_RECORD_V2_SHAPE = {
    USN_RECORD_V2_SIZE, offsetof(V2, FileReferenceNumber), offsetof(V2, FileNameLength),
    offsetof(V2, FileNameOffset), false};
const UsnRecordShape USN_RECORD_V3_SHAPE = {
    USN_RECORD_V3_SIZE, offsetof(V3, FileReferenceNumber), offsetof(V3, FileNameLength),
    offsetof(V3, FileNameOffset), true};

const UsnRecordShape* UsnRecordShapeOf(uint16_t majorVersion)
{
    return majorVersion == 2 ? &USN_RECORD_V2_SHAPE
         : majorVersion == 3 ? &USN_RECORD_V3_SHAPE
                             : nullptr;
}

void DecodeUsnRecord(const unsigned char* record, const UsnRecordShape& shape, UsnRecord* fields)
{
    fields->RecordLength = LoadU32(record + offsetof(V2, RecordLength));
    fields->MajorVersion = LoadU16(record + offsetof(V2, MajorVersion));
    fields->MinorVersion = LoadU16(record + offsetof(V2, MinorVersion));
    if (shape.wideIds) {
        const unsigned char* file = record + offsetof(V3, FileReferenceNumber);
        const unsigned char* parent = record + offsetof(V3, ParentFileReferenceNumber);
        fields->FileReferenceNumber = LoadU64(file);
        fields->FileReferenceNumberHigh = LoadU64(file + FILE_ID_HIGH_HALF);
        fields->ParentFileReferenceNumber = LoadU64(parent);
        fields->ParentFileReferenceNumberHigh = LoadU64(parent + FILE_ID_HIGH_HALF);
        DecodeCommonFields(record, offsetof(V3, Usn) - offsetof(V2, Usn), fields);
    } else {
        fields->FileReferenceNumber = LoadU64(record + offsetof(V2, FileReferenceNumber));
        fields->FileReferenceNumberHigh = 0;
        fields->ParentFileReferenceNumber =
            LoadU64(record + offsetof(V2, ParentFileReferenceNumber));
        fields->ParentFileReferenceNumberHigh = 0;
        DecodeCommonFields(record, 0, fields);
    }
    fields->FileName = record + LoadU16(record + shape.fileNameOffset);
    fields->FileNameUnits = LoadU16(record + shape.fileNameLength) / 2u;
    fields->ParentPath = nullptr;
    fields->ParentPathUnits = 0;
}
