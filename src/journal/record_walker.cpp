#include "journal/record_walker.h"

#include "journal/event_line.h"
#include "journal/little_endian.h"
#include "journal/output.h"
#include "journal/usn_record.h"

namespace {

const uint64_t RECORD_NUMBER_MASK = 0x0000FFFFFFFFFFFF;

}  // namespace

bool MatchesTarget(uint64_t recordFrn, uint64_t targetFrn)
{
    if (targetFrn == 0)
        return true;
    if ((targetFrn >> 48) == 0)
        return (recordFrn & RECORD_NUMBER_MASK) == targetFrn;
    return recordFrn == targetFrn;
}

void DumpRecords(const unsigned char* record, uint32_t remaining, uint64_t targetFrn)
{
    for (;;) {
        if (remaining < USN_RECORD_V2_SIZE) {
            PrintMessage("bad record length %u < %u.", remaining, USN_RECORD_V2_SIZE);
            return;
        }
        uint32_t nameLength = LoadU16(record + FILE_NAME_LENGTH_OFFSET);
        if (nameLength > MAX_FILE_NAME_LENGTH) {
            PrintMessage("bad FileNameLength %u", nameLength);
            return;
        }
        // The name is found only through its offset, which the data must hold.
        uint32_t nameOffset = LoadU16(record + FILE_NAME_OFFSET_OFFSET);
        if (nameLength != 0 && nameOffset + nameLength > remaining) {
            PrintMessage("bad FileNameOffset %u", nameOffset);
            return;
        }
        if (MatchesTarget(LoadU64(record + FILE_REFERENCE_NUMBER_OFFSET), targetFrn))
            PrintRecord(record);
        // Checked after the line, so a matching record that overruns the data is still
        // shown. A length below a record's size would never reach the next record.
        uint32_t recordLength = LoadU32(record + RECORD_LENGTH_OFFSET);
        if (recordLength > remaining || recordLength < USN_RECORD_V2_SIZE) {
            PrintMessage("bad RecordLength %u", recordLength);
            return;
        }
        remaining -= recordLength;
        if (remaining == 0)
            return;
        record += recordLength;
    }
}
