#include "read_handle.h"

#include <fcntl.h>
#include <unistd.h>

intptr_t OpenReadHandle(const std::string& path)
{
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void CloseReadHandle(intptr_t handle)
{
    close(static_cast<int>(handle));
}
