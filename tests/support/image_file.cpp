#include "image_file.h"

#include <sys/mman.h>
#include <unistd.h>

int MakeImageFile()
{
    return memfd_create("ntfs-image", 0);
}

bool WriteAt(int fd, uint64_t offset, const Bytes& bytes)
{
    return pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) ==
           static_cast<ssize_t>(bytes.size());
}
