// How the records of a journal are shown: what the command line chose, as the journal
// reader and the record walker see it.
#pragma once

#include "base/wide_text.h"

enum OutputFormat {
    OUTPUT_EVENT_LINE,  // one event line per record, the program's own output
    OUTPUT_CSV,         // every field, RFC 4180 CSV with a header row
    OUTPUT_JSON,        // every field, JSON Lines
    OUTPUT_BODY,        // The Sleuth Kit's bodyfile, for mactime
};

struct OutputOptions {
    OutputFormat format;
    // The timeline formats give each record's folder as its path at the record's time
    // (ParentPath), from the MFT and the journal together.
    bool paths = false;
    const WideChar* mftPath = nullptr;  // an exported $MFT to take the names from; nullptr:
                                        // the volume's own
};

const OutputOptions EVENT_LINE_OUTPUT = {OUTPUT_EVENT_LINE};
