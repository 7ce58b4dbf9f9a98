// Which paths name a live volume, whose journal the file system itself answers for.
#pragma once

#include "base/wide_text.h"

// True for the device forms of a mounted volume: "\\.\C:" and "\\?\C:", and
// "\\.\Volume{...}" and "\\?\Volume{...}", each perhaps with a final backslash. Any other
// path (a file, "\\?\E:\case\disk.raw", a share, a whole disk such as
// "\\.\PhysicalDrive2") may be an image or an exported $J to read from its bytes.
bool IsLiveVolumePath(const WideChar* path);
