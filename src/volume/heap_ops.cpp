// The USN buffer of the real program: one block from the standard library's heap.
#include <cstdlib>

#include "volume/volume_ops.h"

unsigned char* AllocateUsnBuffer()
{
    return static_cast<unsigned char*>(std::malloc(USN_BUFFER_SIZE));
}

void ReleaseUsnBuffer(unsigned char* buffer)
{
    std::free(buffer);
}
