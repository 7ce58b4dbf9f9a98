// The name a file is known by, from the $FILE_NAME attributes of one of its MFT records.
#pragma once

#include <cstdint>

struct FileNameFound {
    uint64_t parent;             // the folder's file reference
    const unsigned char* name;   // UTF-16LE, inside the record
    uint32_t units;
    uint32_t rank;               // FILE_NAME_RANK_*: the higher, the better the name
};

// A file has one $FILE_NAME per hard link and per namespace. The Win32 name is the one
// users see; a POSIX name stands in for it; the DOS 8.3 alias is taken only when there is
// no other.
const uint32_t FILE_NAME_RANK_NONE = 0;
const uint32_t FILE_NAME_RANK_DOS = 1;
const uint32_t FILE_NAME_RANK_POSIX = 2;
const uint32_t FILE_NAME_RANK_WIN32 = 3;

// Finds the best name among the record's $FILE_NAME attributes (of a hard link's Win32
// names, the first). The record's header and fixups must have been checked
// (CheckMftRecord). Returns 0 with *found filled, NTFS_NOT_FOUND when the record holds
// no usable $FILE_NAME, or WIN_ERROR_FILE_CORRUPT when its attributes are damaged.
uint32_t FindFileName(const unsigned char* record, uint32_t size, FileNameFound* found);
