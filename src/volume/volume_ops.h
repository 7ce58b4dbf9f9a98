// The program's volume and file operations: the only place it touches the operating
// system besides standard output. Exactly one implementation is linked into each
// executable: volume_ops_win32.cpp (kernel32/shell32), volume_ops_posix.cpp (NTFS read
// straight from a device or image) or the tests' scripted fake.
#pragma once

#include <cstddef>
#include <cstdint>

// Arguments, paths and file names are zero-terminated UTF-16.
#ifdef _WIN32
using WideChar = wchar_t;
#define WIDE(text) L##text
#else
using WideChar = char16_t;
#define WIDE(text) u##text
#endif

// Windows error codes; the Linux build reports the same ones so messages read alike.
const uint32_t ERROR_INVALID_FUNCTION = 1;
const uint32_t ERROR_FILE_NOT_FOUND = 2;
const uint32_t ERROR_PATH_NOT_FOUND = 3;
const uint32_t ERROR_ACCESS_DENIED = 5;
const uint32_t ERROR_OUTOFMEMORY = 14;
const uint32_t ERROR_INVALID_PARAMETER = 87;
const uint32_t ERROR_IO_DEVICE = 1117;
const uint32_t ERROR_JOURNAL_NOT_ACTIVE = 1179;
const uint32_t ERROR_JOURNAL_ENTRY_DELETED = 1181;
const uint32_t ERROR_FILE_CORRUPT = 1392;

// Every journal read fills one buffer of this size.
const uint32_t USN_BUFFER_SIZE = 65536;

// USN_JOURNAL_DATA_V0: the answer to FSCTL_QUERY_USN_JOURNAL.
struct UsnJournalData {
    uint64_t UsnJournalID;
    int64_t FirstUsn;
    int64_t NextUsn;
    int64_t LowestValidUsn;
    int64_t MaxUsn;
    uint64_t MaximumSize;
    uint64_t AllocationDelta;
};

// READ_USN_JOURNAL_DATA_V0: the request of FSCTL_READ_USN_JOURNAL.
struct ReadUsnJournalData {
    int64_t StartUsn;
    uint32_t ReasonMask;
    uint32_t ReturnOnlyOnClose;
    uint64_t Timeout;
    uint64_t BytesToWaitFor;
    uint64_t UsnJournalID;
};

struct ArgumentList {
    int count;  // element 0, the program's name, is counted
    WideChar** values;
};

using VolumeHandle = void*;

// Each operation reports failure through its result and leaves the reason for
// GetLastErrorCode; none of them writes a message.
bool GetArgumentList(int argc, char** argv, ArgumentList* arguments);
bool OpenVolume(const WideChar* path, VolumeHandle* volume);
bool QueryUsnJournal(VolumeHandle volume, UsnJournalData* journal);
bool ReadUsnJournal(VolumeHandle volume, const ReadUsnJournalData& request,
                    unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned);
void CloseVolume(VolumeHandle volume);
uint64_t GetFileReferenceNumber(const WideChar* path);  // 0 on failure
uint32_t GetLastErrorCode();

// The USN buffer comes from the heap through here so tests can make it fail.
unsigned char* AllocateUsnBuffer();
void ReleaseUsnBuffer(unsigned char* buffer);
