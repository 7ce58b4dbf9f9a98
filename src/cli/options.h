// The long options: an argument that starts with "--" and a letter. They are taken off
// the argument list before the command forms are decided, so every other argument keeps
// its place and its count; a bare "--" ends them, for a volume path that starts with "--".
#pragma once

#include <vector>

#include "base/wide_text.h"
#include "journal/output_options.h"

struct CommandOptions {
    OutputOptions output;
    bool verbose;
    bool help;
    bool version;
};

enum OptionProblem {
    OPTION_OK,
    OPTION_UNKNOWN,         // `argument` is no option of ours
    OPTION_SECOND_FORMAT,   // `argument` asks for a format after `earlier` asked for another
    OPTION_NO_VALUE,        // `argument` takes a value, and none follows it
    OPTION_NO_FORMAT,       // `argument` is about the timeline formats, and none was asked for
};

struct OptionResult {
    OptionProblem problem;
    const WideChar* argument;
    const WideChar* earlier;
};

// Fills `options` and puts the other arguments, in order, into `plain`.
OptionResult TakeOptions(int count, WideChar** arguments, CommandOptions* options,
                         std::vector<WideChar*>* plain);
