// How the records of a journal are shown: what the command line chose, as the journal
// reader and the record walker see it.
#pragma once

enum OutputFormat {
    OUTPUT_EVENT_LINE,  // one event line per record, the program's own output
    OUTPUT_CSV,         // every field, RFC 4180 CSV with a header row
    OUTPUT_JSON,        // every field, JSON Lines
    OUTPUT_BODY,        // The Sleuth Kit's bodyfile, for mactime
};

struct OutputOptions {
    OutputFormat format;
};

const OutputOptions EVENT_LINE_OUTPUT = {OUTPUT_EVENT_LINE};
