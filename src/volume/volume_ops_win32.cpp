// The volume operations on Windows: kernel32 and shell32, nothing else.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>
#include <winioctl.h>

#include "volume/volume_ops.h"

#ifdef __MINGW32__
// mingw-w64's winioctl.h knows these structures only by their unversioned names, which
// there still hold the version 0 layouts.
typedef USN_JOURNAL_DATA USN_JOURNAL_DATA_V0;
typedef READ_USN_JOURNAL_DATA READ_USN_JOURNAL_DATA_V0;
#endif

// The journal is queried and read with the version 0 structures: a version 0 read is
// answered with USN_RECORD_V2 records, the layout the record walker knows.
static_assert(sizeof(USN_JOURNAL_DATA_V0) == 56, "USN_JOURNAL_DATA_V0 is 56 bytes");
static_assert(sizeof(READ_USN_JOURNAL_DATA_V0) == 40, "READ_USN_JOURNAL_DATA_V0 is 40 bytes");

// READ_USN_JOURNAL_DATA_V1, which mingw-w64 does not declare: the version 0 request and
// the range of record versions wanted, for readers that take V3 records as they are.
struct ReadUsnJournalDataV1 {
    READ_USN_JOURNAL_DATA_V0 V0;
    WORD MinMajorVersion;
    WORD MaxMajorVersion;
};
static_assert(sizeof(ReadUsnJournalDataV1) == 48, "READ_USN_JOURNAL_DATA_V1 is 48 bytes");

// argc and argv are the C runtime's narrow, code-page view of the command line; the
// wide command line keeps every character of a path.
bool GetArgumentList(int, char**, ArgumentList* arguments)
{
    int count = 0;
    // The array lives until the process ends, as the arguments are used to the last.
    LPWSTR* values = CommandLineToArgvW(GetCommandLineW(), &count);
    if (values == nullptr)
        return false;
    arguments->count = count;
    arguments->values = values;
    return true;
}

bool OpenVolume(const WideChar* path, VolumeHandle* volume)
{
    HANDLE handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    *volume = handle;
    return true;
}

bool QueryUsnJournal(VolumeHandle volume, UsnJournalData* journal)
{
    USN_JOURNAL_DATA_V0 data = {};
    DWORD bytesReturned = 0;
    if (!DeviceIoControl(volume, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof data,
                         &bytesReturned, nullptr))
        return false;
    journal->UsnJournalID = data.UsnJournalID;
    journal->FirstUsn = data.FirstUsn;
    journal->NextUsn = data.NextUsn;
    journal->LowestValidUsn = data.LowestValidUsn;
    journal->MaxUsn = data.MaxUsn;
    journal->MaximumSize = data.MaximumSize;
    journal->AllocationDelta = data.AllocationDelta;
    return true;
}

bool ReadUsnJournal(VolumeHandle volume, const ReadUsnJournalData& request,
                    unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned)
{
    ReadUsnJournalDataV1 data = {};
    data.V0.StartUsn = request.StartUsn;
    data.V0.ReasonMask = request.ReasonMask;
    data.V0.ReturnOnlyOnClose = request.ReturnOnlyOnClose;
    data.V0.Timeout = request.Timeout;
    data.V0.BytesToWaitFor = request.BytesToWaitFor;
    data.V0.UsnJournalID = request.UsnJournalID;
    data.MinMajorVersion = request.MinMajorVersion;
    data.MaxMajorVersion = request.MaxMajorVersion;
    // Only a request for newer records than V2 needs the version 1 form.
    DWORD size = request.MaxMajorVersion > 2 ? sizeof data : sizeof data.V0;
    DWORD returned = 0;
    BOOL done = DeviceIoControl(volume, FSCTL_READ_USN_JOURNAL, &data, size, buffer,
                                bufferSize, &returned, nullptr);
    *bytesReturned = returned;
    return done != FALSE;
}

void CloseVolume(VolumeHandle volume)
{
    CloseHandle(volume);
}

uint64_t GetFileReferenceNumber(const WideChar* path)
{
    // No data access: only the file's identity is wanted. Backup semantics let a folder
    // be opened; the reparse-point flag opens a link or junction itself, not its target.
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information)) {
        // The caller reports the last error; CloseHandle is not documented to leave it
        // alone, so the error of the failed query is put back after it.
        DWORD error = GetLastError();
        CloseHandle(file);
        SetLastError(error);
        return 0;
    }
    CloseHandle(file);
    return (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
}

uint32_t GetLastErrorCode()
{
    return GetLastError();
}
