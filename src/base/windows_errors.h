// The Windows error codes the program reports. Both builds print these numbers, so a
// message reads the same whatever platform produced it. The names carry a WIN_ prefix:
// the SDK defines the plain ERROR_* names as macros, which would rewrite these.
#pragma once

#include <cstdint>

const uint32_t WIN_ERROR_INVALID_FUNCTION = 1;
const uint32_t WIN_ERROR_FILE_NOT_FOUND = 2;
const uint32_t WIN_ERROR_PATH_NOT_FOUND = 3;
const uint32_t WIN_ERROR_ACCESS_DENIED = 5;
const uint32_t WIN_ERROR_OUTOFMEMORY = 14;
const uint32_t WIN_ERROR_WRITE_FAULT = 29;
const uint32_t WIN_ERROR_GEN_FAILURE = 31;
const uint32_t WIN_ERROR_INVALID_PARAMETER = 87;
const uint32_t WIN_ERROR_DISK_FULL = 112;
const uint32_t WIN_ERROR_INSUFFICIENT_BUFFER = 122;
const uint32_t WIN_ERROR_FILENAME_EXCED_RANGE = 206;
const uint32_t WIN_ERROR_NO_DATA = 232;  // the pipe is being closed
const uint32_t WIN_ERROR_IO_DEVICE = 1117;
const uint32_t WIN_ERROR_JOURNAL_DELETE_IN_PROGRESS = 1178;
const uint32_t WIN_ERROR_JOURNAL_NOT_ACTIVE = 1179;
const uint32_t WIN_ERROR_JOURNAL_ENTRY_DELETED = 1181;
const uint32_t WIN_ERROR_FILE_CORRUPT = 1392;
const uint32_t WIN_ERROR_CANT_RESOLVE_FILENAME = 1921;
