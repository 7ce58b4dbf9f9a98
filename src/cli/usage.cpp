#include "cli/usage.h"

#include "base/output.h"

void PrintUsage()
{
    // The second line is the empty banner.
    WriteText(
        "\n"
        "\n"
        "\n"
        "Usage:\n"
        "jrnlpeek.exe <volume> [file-reference-number]\n"
        "-or-\n"
        "jrnlpeek.exe <filename>\n"
        "\n"
        "<volume>\n"
        "\tThe volume path.\n"
        "\tFor example:\n"
        "\tjrnlpeek.exe C:\n"
        "\tjrnlpeek.exe \\\\.\\C:\n"
        "\tjrnlpeek.exe \\\\?\\Volume{00000000-0000-0000-0000-000000000000}\n"
        "\n"
        "[file-reference-number]\n"
        "\tThe file reference number in hexidecimal or decimal.\n"
        "\tThe sequence number is ignored if 0.\n"
        "\tAll USN journal events are shown if omitted.\n"
        "\tFor example:\n"
        "\tjrnlpeek.exe C: 0x0005000000000005\n"
        "\tjrnlpeek.exe C: 5\n"
        "\n"
        "<filename>\n"
        "\tShow USN journal events for the specified file or folder.\n"
        "\tFor example:\n"
        "\tjrnlpeek.exe C:\\windows\\explorer.exe\n");
}

void PrintOptions()
{
    WriteText(
        "\n"
        "Options:\n"
        "\t--csv      Every field of every record as CSV (RFC 4180) with a header row.\n"
        "\t--json     Every field of every record as JSON Lines, one object a line.\n"
        "\t--body     A bodyfile of the records for The Sleuth Kit's mactime.\n"
        "\t--mft FILE With a format: the folders' names from an exported $MFT, for an\n"
        "\t           exported $J (a volume's own MFT is read without it).\n"
        "\t--no-paths With a format: no ParentPath, and the journal read once.\n"
        "\t--verbose  Why a volume or journal was refused or a part skipped, on\n"
        "\t           standard error.\n"
        "\t--help     This screen.\n"
        "\t--version  The program's name and version.\n"
        "\t--         Ends the options, for a volume path that starts with --.\n"
        "\tOptions may stand before or after the other arguments. With --csv, --json\n"
        "\tor --body every message goes to standard error.\n");
}

void PrintVersion()
{
    WriteText("jrnlpeek " JRNLPEEK_VERSION "\n");
}
