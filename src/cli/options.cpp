#include "cli/options.h"

namespace {

enum OptionKind { KIND_FORMAT, KIND_MFT, KIND_NO_PATHS, KIND_VERBOSE, KIND_HELP, KIND_VERSION };

struct Option {
    const char* name;  // after the "--"
    OptionKind kind;
    OutputFormat format;
};

const Option OPTIONS[] = {
    {"csv", KIND_FORMAT, OUTPUT_CSV},
    {"json", KIND_FORMAT, OUTPUT_JSON},
    {"body", KIND_FORMAT, OUTPUT_BODY},
    {"mft", KIND_MFT, OUTPUT_EVENT_LINE},
    {"no-paths", KIND_NO_PATHS, OUTPUT_EVENT_LINE},
    {"verbose", KIND_VERBOSE, OUTPUT_EVENT_LINE},
    {"help", KIND_HELP, OUTPUT_EVENT_LINE},
    {"version", KIND_VERSION, OUTPUT_EVENT_LINE},
};

bool SameName(const WideChar* text, const char* name)
{
    for (; *name != 0; ++text, ++name) {
        if (*text != static_cast<WideChar>(*name))
            return false;
    }
    return *text == 0;
}

const Option* FindOption(const WideChar* text)
{
    for (const Option& option : OPTIONS) {
        if (SameName(text + 2, option.name))
            return &option;
    }
    return nullptr;
}

}  // namespace

OptionResult TakeOptions(int count, WideChar** arguments, CommandOptions* options,
                         std::vector<WideChar*>* plain)
{
    *options = CommandOptions{EVENT_LINE_OUTPUT, false, false, false};
    plain->clear();
    // The first problem is reported, after every option was read: whether messages go to
    // standard error depends on the format asked for anywhere on the line.
    OptionResult result = {OPTION_OK, nullptr, nullptr};
    const WideChar* formatOption = nullptr;
    const WideChar* pathOption = nullptr;  // the first option that only a format takes
    bool noPaths = false;
    bool optionsEnded = false;
    for (int i = 0; i < count; ++i) {
        WideChar* argument = arguments[i];
        bool dashes = argument[0] == '-' && argument[1] == '-';
        if (optionsEnded || !dashes || (argument[2] != 0 && !IsAsciiLetter(argument[2]))) {
            plain->push_back(argument);
            continue;
        }
        if (argument[2] == 0) {
            optionsEnded = true;
            continue;
        }
        const Option* option = FindOption(argument);
        if (option == nullptr) {
            if (result.problem == OPTION_OK)
                result = {OPTION_UNKNOWN, argument, nullptr};
            continue;
        }
        switch (option->kind) {
        case KIND_FORMAT:
            if (formatOption == nullptr) {
                options->output.format = option->format;
                formatOption = argument;
            } else if (options->output.format != option->format && result.problem == OPTION_OK) {
                result = {OPTION_SECOND_FORMAT, argument, formatOption};
            }
            break;
        case KIND_MFT:
            // The file is the next argument, whatever it looks like.
            if (i + 1 == count) {
                if (result.problem == OPTION_OK)
                    result = {OPTION_NO_VALUE, argument, nullptr};
                break;
            }
            options->output.mftPath = arguments[++i];
            pathOption = pathOption ? pathOption : argument;
            break;
        case KIND_NO_PATHS:
            noPaths = true;
            pathOption = pathOption ? pathOption : argument;
            break;
        case KIND_VERBOSE: options->verbose = true; break;
        case KIND_HELP: options->help = true; break;
        case KIND_VERSION: options->version = true; break;
        }
    }
    options->output.paths = formatOption != nullptr && !noPaths;
    if (pathOption != nullptr && formatOption == nullptr && result.problem == OPTION_OK)
        result = {OPTION_NO_FORMAT, pathOption, nullptr};
    return result;
}
