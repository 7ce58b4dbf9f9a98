#include "cli/entry.h"

#include <cstdio>

#include "base/output.h"
#include "cli/frn_parser.h"
#include "cli/usage.h"
#include "volume/journal_reader.h"
#include "volume/volume_ops.h"

namespace {

const int VOLUME_PATH_UNITS = 260;

// "C:" and anything after it names the volume "\\.\C:".
bool IsDriveLetter(const WideChar* text)
{
    return IsAsciiLetter(text[0]) && text[1] == ':';
}

// "C:\..." names a file or folder on drive C.
bool IsDriveLetterPath(const WideChar* text)
{
    return IsDriveLetter(text) && text[2] == '\\';
}

// The FRN of a named file or folder, or 0 after writing why not.
uint64_t LookUpTarget(const WideChar* path)
{
    uint64_t frn = GetFileReferenceNumber(path);
    if (frn == 0)
        PrintMessage("Error %u: unable to get FRN from filename.", GetLastErrorCode());
    return frn;
}

int Run(int count, WideChar** arguments)
{
    uint64_t targetFrn = 0;
    const WideChar* volumeArgument;
    if (count == 1) {
        volumeArgument = arguments[0];
        if (IsDriveLetterPath(volumeArgument)) {
            targetFrn = LookUpTarget(volumeArgument);
            if (targetFrn == 0)
                return 1;
        }
    } else if (count == 2) {
        volumeArgument = arguments[0];
        const WideChar* target = arguments[1];
        if (target[0] >= '0' && target[0] <= '9') {
            targetFrn = ParseFileReferenceNumber(target);
        } else {
            targetFrn = LookUpTarget(target);
            if (targetFrn == 0)
                return 1;
        }
    } else {
        PrintUsage();
        return 1;
    }

    // The letter keeps its case; whatever follows "C:" plays no part in the volume.
    WideChar volumePath[VOLUME_PATH_UNITS] = {'\\', '\\', '.', '\\', 'C', ':', 0};
    if (IsDriveLetter(volumeArgument)) {
        volumePath[4] = volumeArgument[0];
        volumeArgument = volumePath;
    }
    return DumpJournal(volumeArgument, targetFrn);
}

}  // namespace

int JrnlpeekMain(int argc, char** argv)
{
    ArgumentList arguments;
    int status;
    if (GetArgumentList(argc, argv, &arguments)) {
        status = Run(arguments.count - 1, arguments.values + 1);
    } else {
        PrintMessage("Error %u: unable to read the command line.", GetLastErrorCode());
        status = 1;
    }
    // Standard output itself failed: say so where it can still be seen, and never
    // report success for a run whose output was lost.
    if (!FlushOutput()) {
        std::fprintf(stderr, "Error %u: unable to write to standard output.\n",
                     OutputErrorCode());
        status = 1;
    }
    return status;
}
