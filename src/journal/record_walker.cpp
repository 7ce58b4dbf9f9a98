#include "journal/record_walker.h"

#include "base/little_endian.h"
#include "base/output.h"
#include "journal/event_line.h"
#include "journal/timeline.h"
#include "journal/usn_layout.h"
#include "journal/usn_record.h"

namespace {

// A record with 128-bit ids belongs to a 64-bit target only when the high half is 0.
bool RecordMatches(const unsigned char* record, const UsnRecordShape& shape, uint64_t targetFrn)
{
    if (shape.wideIds && targetFrn != 0 && LoadU64(record + shape.fileReferenceNumber + FILE_ID_HIGH_HALF) != 0)
        return false;
    return MatchesTarget(LoadU64(record + shape.fileReferenceNumber), targetFrn);
}

}  // namespace

bool MatchesTarget(uint64_t recordFrn, uint64_t targetFrn)
{
    if (targetFrn == 0)
        return true;
    if ((targetFrn >> FILE_REFERENCE_SEQUENCE_SHIFT) == 0)
        return (recordFrn & FILE_REFERENCE_RECORD_MASK) == targetFrn;
    return recordFrn == targetFrn;
}

void DumpRecords(const unsigned char* record, uint32_t remaining, uint64_t targetFrn,
                 const OutputOptions& options, const PathPass* paths)
{
    for (;;) {
        if (remaining < USN_RECORD_V2_SIZE) {
            PrintMessage("bad record length %u < %u.", remaining, USN_RECORD_V2_SIZE);
            return;
        }
        const UsnRecordShape* shape = &USN_RECORD_V2_SHAPE;
        if (options.format != OUTPUT_EVENT_LINE) {
            uint16_t majorVersion = LoadU16(record + offsetof(UsnRecordV2Layout, MajorVersion));
            shape = UsnRecordShapeOf(majorVersion);
            if (shape == nullptr) {
                PrintMessage("bad MajorVersion %u", majorVersion);
                return;
            }
            if (remaining < shape->minimumLength) {
                PrintMessage("bad record length %u < %u.", remaining, shape->minimumLength);
                return;
            }
        }
        uint32_t nameLength = LoadU16(record + shape->fileNameLength);
        if (nameLength > MAX_FILE_NAME_LENGTH) {
            PrintMessage("bad FileNameLength %u", nameLength);
            return;
        }
        // The name is found only through its offset, which the data must hold. A record
        // to be shown whose name lies outside ends the walk; a damaged record of another
        // file must not cost the target's records behind it, and is only passed over.
        bool matches = RecordMatches(record, *shape, targetFrn);
        uint32_t nameOffset = LoadU16(record + shape->fileNameOffset);
        bool nameInside = nameLength == 0 || nameOffset + nameLength <= remaining;
        if (matches && !nameInside) {
            PrintMessage("bad FileNameOffset %u", nameOffset);
            return;
        }
        if (options.format == OUTPUT_EVENT_LINE) {
            if (matches)
                PrintRecord(record);
        } else if (nameInside) {
            VisitTimelineRecord(record, *shape, options, paths, matches);
        }
        // Checked after the line, so a matching record that overruns the data is still
        // shown. A length below a record's size would never reach the next record.
        uint32_t recordLength = LoadU32(record + offsetof(UsnRecordV2Layout, RecordLength));
        if (recordLength > remaining || recordLength < shape->minimumLength) {
            PrintMessage("bad RecordLength %u", recordLength);
            return;
        }
        remaining -= recordLength;
        if (remaining == 0)
            return;
        record += recordLength;
    }
}
