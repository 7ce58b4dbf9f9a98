// Finding the NTFS volume in a device or image: a bare volume, or a partition of a
// whole-disk image with an MBR or GPT partition table.
#pragma once

#include <cstdint>

// Sets *volumeOffset to the byte offset of the boot sector of the NTFS volume that comes
// after `skip` others in table order (a bare volume is the only one). Returns 0,
// ERROR_INVALID_FUNCTION when there is no such volume, or ERROR_IO_DEVICE.
uint32_t FindNtfsVolume(int fd, uint32_t skip, uint64_t* volumeOffset);
