// Files opened for reading the way the program opens its inputs, for tests of the byte
// sources on each platform: a file descriptor on Linux, a HANDLE on Windows.
#pragma once

#include <cstdint>
#include <string>

// The open handle, or -1 when the file cannot be opened.
intptr_t OpenReadHandle(const std::string& path);
void CloseReadHandle(intptr_t handle);
