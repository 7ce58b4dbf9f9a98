#include "cli/entry.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/output.h"
#include "base/utf8_text.h"
#include "base/windows_errors.h"
#include "cli/frn_parser.h"
#include "cli/options.h"
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

// An argument as UTF-8, for a message that names it.
std::string Utf8Text(const WideChar* text)
{
    std::string bytes;
    for (; *text != 0; ++text) {
        bytes += static_cast<char>(*text & 0xFF);
        bytes += static_cast<char>(*text >> 8 & 0xFF);
    }
    std::string utf8(3 * bytes.size() / 2, '\0');
    const unsigned char* units = reinterpret_cast<const unsigned char*>(bytes.data());
    utf8.resize(static_cast<size_t>(WriteUtf8(&utf8[0], units, bytes.size() / 2) - &utf8[0]));
    return utf8;
}

bool ReportOptionProblem(const OptionResult& result)
{
    if (result.problem == OPTION_UNKNOWN)
        PrintMessage("Error %u: unknown option %s.", WIN_ERROR_INVALID_PARAMETER,
                     Utf8Text(result.argument).c_str());
    else if (result.problem == OPTION_SECOND_FORMAT)
        PrintMessage("Error %u: %s cannot be used with %s.", WIN_ERROR_INVALID_PARAMETER,
                     Utf8Text(result.argument).c_str(), Utf8Text(result.earlier).c_str());
    else if (result.problem == OPTION_NO_VALUE)
        PrintMessage("Error %u: %s needs a file.", WIN_ERROR_INVALID_PARAMETER,
                     Utf8Text(result.argument).c_str());
    else if (result.problem == OPTION_NO_FORMAT)
        PrintMessage("Error %u: %s needs --csv, --json or --body.", WIN_ERROR_INVALID_PARAMETER,
                     Utf8Text(result.argument).c_str());
    return result.problem != OPTION_OK;
}

// The command forms, on the arguments that are not options.
int RunForms(int count, WideChar** arguments, const OutputOptions& output)
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
    if (output.format != OUTPUT_EVENT_LINE)
        UseBinaryOutput();
    return DumpJournal(volumeArgument, targetFrn, output);
}

int Run(int count, WideChar** arguments)
{
    CommandOptions options;
    std::vector<WideChar*> plain;
    OptionResult result = TakeOptions(count, arguments, &options, &plain);
    // The formats' output is for machines: every message then goes to standard error.
    SeparateMessages(options.output.format != OUTPUT_EVENT_LINE);
    EnableDiagnostics(options.verbose);
    if (ReportOptionProblem(result))
        return 1;
    if (options.help) {
        PrintUsage();
        PrintOptions();
        return 0;
    }
    if (options.version) {
        PrintVersion();
        return 0;
    }
    plain.push_back(nullptr);  // the list ends as the platform's does
    return RunForms(static_cast<int>(plain.size()) - 1, plain.data(), options.output);
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
