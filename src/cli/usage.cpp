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
