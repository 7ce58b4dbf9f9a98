// Opening the journal: from the partition table down to $Extend\$UsnJrnl, its $J
// stream's runs and its $Max data.
#include <cinttypes>
#include <cstdlib>

#include "base/byte_source.h"
#include "base/diagnostics.h"
#include "base/little_endian.h"
#include "ntfs/attribute.h"
#include "ntfs/boot_sector.h"
#include "ntfs/index.h"
#include "ntfs/j_window.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_types.h"
#include "ntfs/ntfs_volume.h"
#include "ntfs/partition.h"
#include "ntfs/runlist.h"
#include "ntfs/stream.h"
#include "ntfs/usn_jrnl.h"

namespace {

using Max = UsnJrnlMaxLayout;

// Windows refuses the journal while $Volume says that its deletion is under way: what is
// left of it then is being taken apart.
uint32_t CheckJournalNotBeingDeleted(const NtfsVolume* volume, unsigned char* record)
{
    uint32_t status = ReadBaseRecord(volume, MFT_RECORD_VOLUME, record);
    NtfsAttribute information;
    if (status == 0)
        status = FindAttribute(record, volume->mftRecordSize, ATTRIBUTE_VOLUME_INFORMATION, "",
                               ANY_ATTRIBUTE_ID, &information);
    if (status == 0 && (information.nonResident || information.valueLength < sizeof(VolumeInformationLayout)))
        status = WIN_ERROR_FILE_CORRUPT;
    if (status == NTFS_NOT_FOUND || status == WIN_ERROR_FILE_CORRUPT) {
        DiagnoseRecord(volume, MFT_RECORD_VOLUME, "$Volume has no sound $VOLUME_INFORMATION");
        return WIN_ERROR_FILE_CORRUPT;
    }
    if (status != 0)
        return status;
    uint16_t flags = LoadU16(information.value + offsetof(VolumeInformationLayout, Flags));
    if ((flags & VOLUME_DELETE_USN_UNDERWAY) != 0) {
        DiagnoseRecord(volume, MFT_RECORD_VOLUME, "$Volume says the journal is being deleted");
        return WIN_ERROR_JOURNAL_DELETE_IN_PROGRESS;
    }
    return 0;
}

// Finds $Extend\$UsnJrnl and leaves its base record in `record`, its number in *number.
// Volumes older than NTFS 3.0 have no $Extend: record 11 is then an unused reserved record.
uint32_t FindUsnJrnl(const NtfsVolume* volume, unsigned char* record, uint64_t* number)
{
    uint32_t status = ReadMftRecord(volume, MFT_RECORD_EXTEND, record);
    if (status != 0)
        return status;
    uint16_t directory = MFT_RECORD_IN_USE | MFT_RECORD_IS_DIRECTORY;
    if ((MftRecordFlags(record) & directory) != directory) {
        DiagnoseRecord(volume, MFT_RECORD_EXTEND, "not a folder in use: no $Extend, so no journal");
        return WIN_ERROR_JOURNAL_NOT_ACTIVE;
    }
    uint64_t reference = 0;
    status = FindInDirectory(volume, record, MFT_RECORD_EXTEND, "$UsnJrnl", &reference);
    if (status == NTFS_NOT_FOUND) {
        DiagnoseRecord(volume, MFT_RECORD_EXTEND, "$Extend's index holds no $UsnJrnl: no journal");
        return WIN_ERROR_JOURNAL_NOT_ACTIVE;
    }
    if (status != 0)
        return status;
    *number = reference & FILE_REFERENCE_RECORD_MASK;
    return ReadBaseRecord(volume, reference, record);
}

uint32_t LoadJournalStreams(UsnJrnl* journal, const unsigned char* record, uint64_t number)
{
    const NtfsVolume* volume = &journal->volume;
    uint32_t status = LoadAttributeStream(volume, record, number, ATTRIBUTE_DATA, "$J", &journal->usn);
    if (status == NTFS_NOT_FOUND)
        DiagnoseRecord(volume, number, "$UsnJrnl has no $J stream: no journal");
    if (status != 0)
        return status == NTFS_NOT_FOUND ? WIN_ERROR_JOURNAL_NOT_ACTIVE : status;
    // $J is the one stream read from end to end.
    status = CheckRunsDisjoint(&journal->usn);
    if (status == WIN_ERROR_FILE_CORRUPT)
        DiagnoseRecord(volume, number, "$UsnJrnl's $J lists clusters twice");
    if (status != 0)
        return status;
    NtfsStream max{};
    status = LoadAttributeStream(volume, record, number, ATTRIBUTE_DATA, "$Max", &max);
    unsigned char values[sizeof(Max)];
    if (status == NTFS_NOT_FOUND)
        DiagnoseRecord(volume, number, "$UsnJrnl has no $Max stream: no journal");
    if (status == 0 && max.dataSize < sizeof(Max)) {
        DiagnoseRecord(volume, number, "$UsnJrnl's $Max holds %" PRIu64 " bytes, not %u", max.dataSize,
                       unsigned(sizeof(Max)));
        status = WIN_ERROR_FILE_CORRUPT;
    }
    if (status == 0)
        status = ReadStream(volume, &max, 0, values, sizeof(Max));
    FreeStream(&max);
    if (status != 0)
        return status == NTFS_NOT_FOUND ? WIN_ERROR_JOURNAL_NOT_ACTIVE : status;

    UsnJournalData* data = &journal->data;
    data->MaximumSize = LoadU64(values + offsetof(Max, MaximumSize));
    data->AllocationDelta = LoadU64(values + offsetof(Max, AllocationDelta));
    data->UsnJournalID = LoadU64(values + offsetof(Max, UsnJournalID));
    data->LowestValidUsn = LoadI64(values + offsetof(Max, LowestValidUsn));
    // The journal is trimmed by deallocating its head: the first record that can be read
    // is where the first stored data begins.
    data->FirstUsn = static_cast<int64_t>(NextDataOffset(volume, &journal->usn, 0));
    data->NextUsn = static_cast<int64_t>(journal->usn.dataSize);
    data->MaxUsn = NTFS_MAX_USN;
    return 0;
}

uint32_t OpenJournal(UsnJrnl* journal, const ByteSource& source, uint64_t offset)
{
    NtfsVolume* volume = &journal->volume;
    uint32_t status = OpenNtfsVolume(source, offset, volume);
    if (status != 0)
        return status;
    unsigned char* record = static_cast<unsigned char*>(std::malloc(volume->mftRecordSize));
    if (record == nullptr)
        return WIN_ERROR_OUTOFMEMORY;
    uint64_t number = 0;
    status = CheckJournalNotBeingDeleted(volume, record);
    if (status == 0)
        status = FindUsnJrnl(volume, record, &number);
    if (status == 0)
        status = LoadJournalStreams(journal, record, number);
    std::free(record);
    return status == 0 ? AllocateJWindow(journal) : status;
}

// Of several NTFS volumes on a disk, the first whose journal opens is read; when none
// does, the first volume's error is the one that tells the user most.
uint32_t OpenVolumeJournal(const ByteSource& source, UsnJrnl** journal)
{
    NtfsVolumeList volumes;
    uint32_t firstStatus = FindNtfsVolumes(source, &volumes);
    for (uint32_t i = 0; i < volumes.count; ++i) {
        UsnJrnl* opened = static_cast<UsnJrnl*>(std::calloc(1, sizeof(UsnJrnl)));
        if (opened == nullptr)
            return WIN_ERROR_OUTOFMEMORY;
        uint32_t status = OpenJournal(opened, source, volumes.offsets[i]);
        if (status == 0) {
            *journal = opened;
            return 0;
        }
        CloseUsnJrnl(opened);
        if (i == 0)
            firstStatus = status;
    }
    return firstStatus;
}

}  // namespace

uint32_t OpenUsnJrnl(const ByteSource& source, UsnJrnl** journal)
{
    *journal = nullptr;
    uint32_t status = OpenVolumeJournal(source, journal);
    // Neither a volume nor a disk: an exported $J, or the same answer.
    return status == WIN_ERROR_INVALID_FUNCTION ? OpenJournalFile(source, journal) : status;
}

const NtfsVolume* UsnJrnlVolume(const UsnJrnl* journal)
{
    return journal->exported ? nullptr : &journal->volume;
}

void QueryUsnJrnl(const UsnJrnl* journal, UsnJournalData* data)
{
    *data = journal->data;
}

void CloseUsnJrnl(UsnJrnl* journal)
{
    if (journal == nullptr)
        return;
    CloseNtfsVolume(&journal->volume);
    FreeStream(&journal->usn);
    std::free(journal->window);
    std::free(journal);
}
