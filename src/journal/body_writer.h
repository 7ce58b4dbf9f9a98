// Records as The Sleuth Kit's bodyfile 3.x, which mactime turns into a timeline:
//   MD5|name|inode|mode_as_string|UID|GID|size|atime|mtime|ctime|crtime
// The name field is the file's name and, in brackets, the record's reasons separated by
// spaces; the inode is entry-sequence; every time is the record's time stamp.
#pragma once

#include "journal/usn_record.h"

void WriteBodyRecord(const UsnRecord& record);
