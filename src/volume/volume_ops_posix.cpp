// The volume operations on Linux: the "volume" is an NTFS block device, an image file or
// an exported $J, read through ntfs/ with the answers Windows would give; errors are
// reported as the Windows codes, so messages read the same on both builds. Nothing is
// ever written.
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/byte_source.h"
#include "base/utf8_text.h"
#include "base/windows_errors.h"
#include "ntfs/mft_index.h"
#include "ntfs/usn_jrnl.h"
#include "volume/volume_ops.h"

namespace {

// Like Windows, which opens any file or device and fails only when the journal is
// queried, the NTFS structures are looked at first by the query.
struct PosixVolume {
    int fd;
    UsnJrnl* journal;  // found at the first query
};

uint32_t lastError = 0;

bool Fail(uint32_t error)
{
    lastError = error;
    return false;
}

// A missing file is 2 and a missing folder on the way 3, as Windows tells them apart.
uint32_t MissingPathCode(const std::string& path)
{
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return WIN_ERROR_FILE_NOT_FOUND;
    struct stat folder;
    return stat(path.substr(0, slash).c_str(), &folder) == 0 ? WIN_ERROR_FILE_NOT_FOUND
                                                             : WIN_ERROR_PATH_NOT_FOUND;
}

uint32_t WindowsCodeOf(int error, const std::string& path)
{
    switch (error) {
    case ENOENT: return path.empty() ? WIN_ERROR_PATH_NOT_FOUND : MissingPathCode(path);
    case ENOTDIR: return WIN_ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return WIN_ERROR_ACCESS_DENIED;
    case ENOMEM: return WIN_ERROR_OUTOFMEMORY;
    case ENAMETOOLONG: return WIN_ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return WIN_ERROR_CANT_RESOLVE_FILENAME;
    case EIO: return WIN_ERROR_IO_DEVICE;
    default: return WIN_ERROR_GEN_FAILURE;
    }
}

// Opens a file or device for reading only. Without O_NONBLOCK, opening a FIFO waits for a
// writer that may never come; with it, the open returns and the first read fails as on
// any device that cannot seek. Windows will not open a folder as a volume or file either.
bool OpenForReading(const WideChar* path, int* fd)
{
    std::string name = EncodeUtf8(path);
    *fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (*fd < 0)
        return Fail(WindowsCodeOf(errno, name));
    struct stat info;
    if (fstat(*fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(*fd);
        return Fail(WIN_ERROR_ACCESS_DENIED);
    }
    return true;
}

}  // namespace

bool GetArgumentList(int argc, char** argv, ArgumentList* arguments)
{
    // Kept for the whole run, like the array Windows hands out.
    static std::vector<std::u16string> texts;
    static std::vector<char16_t*> values;
    texts.clear();
    for (int i = 0; i < argc; ++i)
        texts.push_back(DecodeUtf8(argv[i]));
    values.clear();
    for (std::u16string& text : texts)
        values.push_back(&text[0]);
    values.push_back(nullptr);
    arguments->count = argc;
    arguments->values = values.data();
    return true;
}

bool OpenVolume(const WideChar* path, VolumeHandle* volume)
{
    int fd = -1;
    if (!OpenForReading(path, &fd))
        return false;
    PosixVolume* opened = new (std::nothrow) PosixVolume{fd, nullptr};
    if (opened == nullptr) {
        close(fd);
        return Fail(WIN_ERROR_OUTOFMEMORY);
    }
    *volume = opened;
    return true;
}

bool QueryUsnJournal(VolumeHandle volume, UsnJournalData* journal)
{
    PosixVolume* opened = static_cast<PosixVolume*>(volume);
    if (opened->journal == nullptr) {
        uint32_t error = OpenUsnJrnl(MakeByteSource(opened->fd), &opened->journal);
        if (error != 0)
            return Fail(error);
    }
    QueryUsnJrnl(opened->journal, journal);
    return true;
}

bool ReadUsnJournal(VolumeHandle volume, const ReadUsnJournalData& request,
                    unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned)
{
    // The journal reader reads only after a successful query.
    PosixVolume* opened = static_cast<PosixVolume*>(volume);
    uint32_t error = ReadUsnJrnl(opened->journal, request, buffer, bufferSize, bytesReturned);
    return error == 0 || Fail(error);
}

void CloseVolume(VolumeHandle volume)
{
    PosixVolume* opened = static_cast<PosixVolume*>(volume);
    if (opened->journal != nullptr)
        CloseUsnJrnl(opened->journal);
    close(opened->fd);
    delete opened;
}

// On an NTFS mount the inode number is the MFT record number (ntfs-3g, ntfs3); with no
// sequence number in it, it selects the file's records by record number.
uint64_t GetFileReferenceNumber(const WideChar* path)
{
    std::string name = EncodeUtf8(path);
    struct stat info;
    if (lstat(name.c_str(), &info) != 0) {
        Fail(WindowsCodeOf(errno, name));
        return 0;
    }
    return static_cast<uint64_t>(info.st_ino);
}

bool LoadPathIndex(VolumeHandle volume, const WideChar* mftPath, PathIndex* index)
{
    PosixVolume* opened = static_cast<PosixVolume*>(volume);
    uint32_t status = 0;
    if (mftPath != nullptr) {
        int fd = -1;
        if (!OpenForReading(mftPath, &fd))
            return false;
        status = ReadMftFile(MakeByteSource(fd), index);
        close(fd);
    } else {
        // An exported $J brings no MFT: its paths come from the journal alone.
        const NtfsVolume* ntfs = UsnJrnlVolume(opened->journal);
        status = ntfs != nullptr ? ReadVolumeMft(ntfs, index) : 0;
    }
    return status == 0 || Fail(status);
}

uint32_t GetLastErrorCode()
{
    return lastError;
}
