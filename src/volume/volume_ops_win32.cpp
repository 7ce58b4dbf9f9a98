// The volume operations on Windows: kernel32 and shell32, nothing else. A live volume is
// answered by the file system through the journal controls; a file or a disk whose
// controls fail (an image, an exported $J, a write-blocked evidence drive) is read from
// its bytes with the same readers the Linux build uses.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>
#include <winioctl.h>

#include <new>

#include "base/byte_source.h"
#include "base/windows_errors.h"
#include "ntfs/mft_index.h"
#include "ntfs/ntfs_volume.h"
#include "ntfs/usn_jrnl.h"
#include "volume/volume_ops.h"
#include "volume/volume_path.h"

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

namespace {

struct Win32Volume {
    HANDLE handle;
    bool live;         // named as a live volume: only the journal controls answer for it
    UsnJrnl* journal;  // read from the bytes, once the controls have failed on a file or disk
};

Win32Volume* Opened(VolumeHandle volume)
{
    return static_cast<Win32Volume*>(volume);
}

// After the journal query failed on a path that is no live volume: its bytes, when they
// can be read at offsets, as an NTFS image or disk, or as an exported $J. What neither
// reader recognises keeps the control's own error.
bool OpenFromBytes(Win32Volume* opened, DWORD controlError)
{
    uint32_t status = WIN_ERROR_INVALID_FUNCTION;
    if (!opened->live) {
        ByteSource source = MakeByteSource(reinterpret_cast<intptr_t>(opened->handle));
        if (source.sized)
            status = OpenUsnJrnl(source, &opened->journal);
    }
    if (status == 0)
        return true;
    SetLastError(status == WIN_ERROR_INVALID_FUNCTION ? controlError : status);
    return false;
}

}  // namespace

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
    Win32Volume* opened = new (std::nothrow) Win32Volume{handle, IsLiveVolumePath(path), nullptr};
    if (opened == nullptr) {
        CloseHandle(handle);
        SetLastError(ERROR_OUTOFMEMORY);
        return false;
    }
    *volume = opened;
    return true;
}

bool QueryUsnJournal(VolumeHandle volume, UsnJournalData* journal)
{
    Win32Volume* opened = Opened(volume);
    if (opened->journal != nullptr) {
        QueryUsnJrnl(opened->journal, journal);
        return true;
    }
    USN_JOURNAL_DATA_V0 data = {};
    DWORD bytesReturned = 0;
    if (!DeviceIoControl(opened->handle, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof data,
                         &bytesReturned, nullptr)) {
        if (!OpenFromBytes(opened, GetLastError()))
            return false;
        QueryUsnJrnl(opened->journal, journal);
        return true;
    }
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
    Win32Volume* opened = Opened(volume);
    if (opened->journal != nullptr) {
        uint32_t error = ReadUsnJrnl(opened->journal, request, buffer, bufferSize, bytesReturned);
        if (error != 0)
            SetLastError(error);
        return error == 0;
    }
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
    BOOL done = DeviceIoControl(opened->handle, FSCTL_READ_USN_JOURNAL, &data, size, buffer,
                                bufferSize, &returned, nullptr);
    *bytesReturned = returned;
    return done != FALSE;
}

void CloseVolume(VolumeHandle volume)
{
    Win32Volume* opened = Opened(volume);
    CloseUsnJrnl(opened->journal);
    CloseHandle(opened->handle);
    delete opened;
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

bool LoadPathIndex(VolumeHandle volume, const WideChar* mftPath, PathIndex* index)
{
    Win32Volume* opened = Opened(volume);
    uint32_t status = 0;
    if (mftPath != nullptr) {
        HANDLE file = CreateFileW(mftPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        status = ReadMftFile(MakeByteSource(reinterpret_cast<intptr_t>(file)), index);
        CloseHandle(file);
    } else if (opened->journal != nullptr) {
        // An image or disk read from its bytes; an exported $J brings no MFT.
        const NtfsVolume* ntfs = UsnJrnlVolume(opened->journal);
        status = ntfs != nullptr ? ReadVolumeMft(ntfs, index) : 0;
    } else {
        // A live volume: its MFT is read from the volume's own bytes, through the same
        // handle the journal controls answer on.
        NtfsVolume ntfs = {};
        status = OpenNtfsVolume(MakeByteSource(reinterpret_cast<intptr_t>(opened->handle)), 0, &ntfs);
        if (status == 0)
            status = ReadVolumeMft(&ntfs, index);
        CloseNtfsVolume(&ntfs);
    }
    if (status != 0)
        SetLastError(status);
    return status == 0;
}

uint32_t GetLastErrorCode()
{
    return GetLastError();
}
