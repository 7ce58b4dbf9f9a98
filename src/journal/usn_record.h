// Where the fields of a USN_RECORD_V2 sit, as the walker and the event line read them.
#pragma once

#include <cstdint>

const uint32_t USN_RECORD_V2_SIZE = 64;  // sizeof(USN_RECORD_V2): FileName[1] begins at 60
const uint32_t RECORD_LENGTH_OFFSET = 0;
const uint32_t FILE_REFERENCE_NUMBER_OFFSET = 8;
const uint32_t PARENT_FILE_REFERENCE_NUMBER_OFFSET = 16;
const uint32_t REASON_OFFSET = 40;
const uint32_t FILE_NAME_LENGTH_OFFSET = 56;
const uint32_t FILE_NAME_OFFSET_OFFSET = 58;

// 255 UTF-16 units: a name and its terminator fit the event line's name buffer.
const uint32_t MAX_FILE_NAME_LENGTH = 510;
const uint32_t NAME_BUFFER_UNITS = 260;
