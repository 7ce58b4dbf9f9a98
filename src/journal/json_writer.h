// Records as JSON Lines: one object per record on a line of its own, UTF-8.
#pragma once

#include "journal/usn_record.h"

void WriteJsonRecord(const UsnRecord& record);
