// A scripted stand-in for the volume operations: each test says what the "volume" holds
// and how it fails, runs the logic, then checks what was asked of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "volume/volume_ops.h"

using WideString = std::basic_string<WideChar>;

struct FakeRead {
    std::vector<unsigned char> data;  // what the read returns, next USN first
    uint32_t error;                   // nonzero: the read fails with this code
};

// A file the MFT names: its record number, sequence number, folder and name.
struct FakeMftFile {
    uint64_t number;
    uint16_t sequence;
    uint64_t parent;
    std::u16string name;
};

struct FakeVolume {
    // Script.
    std::vector<WideString> arguments;  // element 0 is the program's name
    uint32_t argumentsError = 0;
    uint32_t openError = 0;
    uint32_t queryError = 0;
    bool allocationFails = false;
    UsnJournalData journal = {};
    std::vector<FakeRead> reads;  // answered in order from the journal's FirstUsn; one more
                                  // read fails with 9999
    std::map<WideString, uint64_t> files;  // path -> FRN; other paths fail with 2
    std::vector<FakeMftFile> mft;          // what the volume's MFT, or the --mft file, holds
    uint32_t mftError = 0;                 // nonzero: the MFT cannot be read, with this code
    uint32_t lastError = 0;

    // What the logic did.
    std::vector<WideString> openedVolumes;
    std::vector<WideString> lookedUpFiles;
    std::vector<ReadUsnJournalData> requests;
    std::vector<WideString> mftFiles;  // the --mft files read; empty for the volume's own MFT
    int mftLoads = 0;
    size_t readsGiven = 0;  // of the script, since the last read from FirstUsn
    int handlesHeld = 0;
    int buffersHeld = 0;
};

// The one fake volume; ResetFake gives every test a fresh one.
FakeVolume& Fake();
void ResetFake();
// A fresh fake whose command line holds the program's name, then these arguments.
void ResetFake(const std::vector<WideString>& arguments);
