// Which paths the Windows build leaves to the journal controls alone, and which it may
// read from their bytes when the controls fail.
#include <gtest/gtest.h>

#include "test_support.h"
#include "volume/volume_path.h"

namespace {

struct PathCase {
    const char* path;
    bool live;
};

class VolumePathTest : public testing::TestWithParam<PathCase> {};

TEST_P(VolumePathTest, TellsLiveVolumesFromFilesAndDisks)
{
    const char* path = GetParam().path;
    WideString wide(path, path + std::strlen(path));
    EXPECT_EQ(IsLiveVolumePath(wide.c_str()), GetParam().live) << path;
}

INSTANTIATE_TEST_SUITE_P(Paths, VolumePathTest, testing::Values(
    PathCase{"\\\\.\\C:", true},
    PathCase{"\\\\.\\c:", true},
    PathCase{"\\\\?\\C:", true},
    PathCase{"\\\\.\\C:\\", true},
    PathCase{"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}", true},
    PathCase{"\\\\.\\volume{00000000-0000-0000-0000-000000000000}\\", true},
    PathCase{"\\\\?\\E:\\case\\disk.raw", false},
    PathCase{"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\case\\disk.raw", false},
    PathCase{"\\\\?\\Volume{00000000", false},
    PathCase{"\\\\?\\UNC\\server\\share\\disk.raw", false},
    PathCase{"\\\\server\\share\\disk.raw", false},
    PathCase{"\\\\.\\PhysicalDrive2", false},
    PathCase{"\\\\.\\C:x", false},
    PathCase{"\\\\.\\1:", false},
    PathCase{"disk.raw", false},
    PathCase{".\\case\\disk.raw", false},
    PathCase{"C:", false},
    PathCase{"", false}));

}  // namespace
