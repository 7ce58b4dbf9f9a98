// What the program knows of each file's name and folder at one moment of the journal. It
// is filled from the MFT (the volume as it is now), rolled back to the journal's first
// record of each file, then moved forward record by record while the journal is printed,
// so that each record's path is the one its folder had when the record was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// One file: its name and folder, and the sequence number of the file they belong to. A
// record's folder is matched on record number and sequence number, so an MFT record that
// now holds another file never lends that file's name to an older path.
struct PathEntry {
    uint64_t parent;     // the folder's file reference
    uint32_t nameAt;     // first unit of the name in the index's name arena
    uint16_t nameUnits;
    uint16_t nameRoom;   // units the arena holds for this entry, so a rename rarely grows it
    uint16_t sequence;
    uint8_t flags;       // PATH_ENTRY_*
    uint8_t mftRank;     // how good a name the MFT gave (FILE_NAME_RANK_*), 0 for none
};

const uint8_t PATH_ENTRY_KNOWN = 0x01;  // a name and folder are known
const uint8_t PATH_ENTRY_NOTED = 0x02;  // the journal's oldest record of it has been taken
const uint8_t PATH_ENTRY_ON_PATH = 0x04;  // a path was made through it

struct PathIndex {
    std::vector<PathEntry> entries;  // by MFT record number, for the records the MFT holds
    // Files the MFT does not hold: an exported $J read without its $MFT, or record
    // numbers past the MFT's end.
    std::unordered_map<uint64_t, PathEntry> others;
    std::vector<char16_t> names;  // every name, back to back
    // Counts the changes that can alter a path made before: to an entry a path went
    // through, and every new one (the folder where a path stopped may be it).
    uint64_t changes = 0;
};

// A folder that is its own ancestor, in damaged or hostile data, ends the walk up after
// this many folders.
const uint32_t MAX_PATH_DEPTH = 256;
// The longest path Windows itself can name, in UTF-16 units; a longer one, which only
// damaged data makes, keeps its innermost folders.
const uint32_t MAX_PATH_UNITS = 32767;
// Room for any path WriteParentPath makes, as UTF-16LE bytes.
const size_t PATH_BUFFER_BYTES = 2 * MAX_PATH_UNITS;

// An empty index sized for an MFT of `records` records (0 when there is none).
void InitPathIndex(PathIndex* index, uint64_t records);
// Makes room for at least `records` MFT records, keeping what is known.
void GrowPathIndex(PathIndex* index, uint64_t records);

// What the MFT says of record `number`, when `rank` says it is a better name than the
// one the MFT gave before (a file has a name per hard link and per namespace). `name`
// is UTF-16LE, `units` long.
void SetMftEntry(PathIndex* index, uint64_t number, uint16_t sequence, uint64_t parent,
                 const unsigned char* name, uint32_t units, uint8_t rank);

// The first pass over the journal: the oldest record of each file states its name and
// folder as the journal starts, which replaces what the MFT says.
void NoteOldestRecord(PathIndex* index, uint64_t frn, uint64_t parent,
                      const unsigned char* name, uint32_t units);

// The second pass: the record's name and folder hold from this record on.
void ApplyRecord(PathIndex* index, uint64_t frn, uint64_t parent, const unsigned char* name,
                 uint32_t units);

// Writes the path of folder `parent` from the volume's root ("\", "\Users\x") into `out`
// (PATH_BUFFER_BYTES bytes) as UTF-16LE and returns its length in units. A folder that
// cannot be resolved is written as "\<unknown 0x...>" with its file reference, a walk
// that goes too deep as "\<loop 0x...>" and a path too long for Windows as
// "\<too long 0x...>", each followed by the part of the path that is known.
// The entries the walk goes through are marked, so that a change to them is counted.
uint32_t WriteParentPath(PathIndex* index, uint64_t parent, unsigned char* out);

// The same, kept: a run of records in one folder, with no change to the index between
// them, makes the path once. `out` must be the buffer of the call before.
struct PathCache {
    uint64_t parent;
    uint64_t changes;
    uint32_t units;
    bool held;
};
uint32_t WriteParentPathOnce(PathIndex* index, uint64_t parent, unsigned char* out,
                             PathCache* cache);
