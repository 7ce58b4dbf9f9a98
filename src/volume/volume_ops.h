// The program's volume and file operations: the only place it touches the operating
// system besides standard output (and the byte sources of base/ that read images, disks
// and files). Exactly one implementation is linked into each executable:
// volume_ops_win32.cpp (kernel32/shell32: the journal controls for live volumes, the
// readers of ntfs/ for files and disks), volume_ops_posix.cpp (the readers of ntfs/ for
// devices, images and files) or the tests' scripted fake.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/wide_text.h"
#include "journal/path_index.h"
#include "journal/usn_layout.h"

// Every journal read fills one buffer of this size.
const uint32_t USN_BUFFER_SIZE = 65536;

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
// Fills `index` with every file's name and folder from an MFT: the exported $MFT file
// `mftPath`, or with none the open volume's own $MFT (nothing for an exported $J, whose
// paths then come from the journal alone). False only when the MFT cannot be read at all.
bool LoadPathIndex(VolumeHandle volume, const WideChar* mftPath, PathIndex* index);
uint32_t GetLastErrorCode();

// The USN buffer comes from the heap through here so tests can make it fail.
unsigned char* AllocateUsnBuffer();
void ReleaseUsnBuffer(unsigned char* buffer);
