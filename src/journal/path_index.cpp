#include "journal/path_index.h"

#include <cstdio>

#include "base/little_endian.h"
#include "journal/usn_layout.h"

namespace {

const uint64_t ROOT_RECORD = 5;

uint64_t RecordNumber(uint64_t frn)
{
    return frn & FILE_REFERENCE_RECORD_MASK;
}

uint16_t SequenceNumber(uint64_t frn)
{
    return static_cast<uint16_t>(frn >> FILE_REFERENCE_SEQUENCE_SHIFT);
}

PathEntry* FindEntry(PathIndex* index, uint64_t number)
{
    if (number < index->entries.size())
        return &index->entries[number];
    auto found = index->others.find(number);
    return found == index->others.end() ? nullptr : &found->second;
}

PathEntry* EntryFor(PathIndex* index, uint64_t number)
{
    if (number < index->entries.size())
        return &index->entries[number];
    return &index->others.emplace(number, PathEntry{}).first->second;
}

// Stores the name in the entry's own room when it fits, else at the arena's end.
bool SameName(const PathIndex* index, const PathEntry* entry, const unsigned char* name,
              uint32_t units)
{
    if (entry->nameUnits != units)
        return false;
    for (uint32_t i = 0; i < units; ++i) {
        if (index->names[entry->nameAt + i] != LoadU16(name + 2 * i))
            return false;
    }
    return true;
}

// Most records repeat what their file's entry says already; only a change counts.
void SetEntry(PathIndex* index, PathEntry* entry, uint16_t sequence, uint64_t parent,
              const unsigned char* name, uint32_t units)
{
    bool known = (entry->flags & PATH_ENTRY_KNOWN) != 0;
    if (known && entry->sequence == sequence && entry->parent == parent &&
        SameName(index, entry, name, units))
        return;
    if (!known || (entry->flags & PATH_ENTRY_ON_PATH) != 0)
        ++index->changes;
    if (!known || units > entry->nameRoom) {
        entry->nameAt = static_cast<uint32_t>(index->names.size());
        entry->nameRoom = static_cast<uint16_t>(units);
        index->names.resize(index->names.size() + units);
    }
    for (uint32_t i = 0; i < units; ++i)
        index->names[entry->nameAt + i] = static_cast<char16_t>(LoadU16(name + 2 * i));
    entry->nameUnits = static_cast<uint16_t>(units);
    entry->parent = parent;
    entry->sequence = sequence;
    entry->flags |= PATH_ENTRY_KNOWN;
}

// A marker in place of the folders that cannot be named: "\<what 0x...>" with the file
// reference of the folder where the walk stopped.
uint32_t WriteMarker(unsigned char* out, const char* what, uint64_t frn)
{
    char text[48];
    int length = std::snprintf(text, sizeof text, "\\<%s 0x%016llx>", what,
                               static_cast<unsigned long long>(frn));
    for (int i = 0; i < length; ++i)
        StoreU16(out + 2 * i, static_cast<uint16_t>(text[i]));
    return static_cast<uint32_t>(length);
}

// Room for the longest marker.
const uint32_t MARKER_UNITS = 32;

}  // namespace

void InitPathIndex(PathIndex* index, uint64_t records)
{
    index->entries.clear();
    index->others.clear();
    index->names.clear();
    index->changes = 0;
    GrowPathIndex(index, records);
}

void GrowPathIndex(PathIndex* index, uint64_t records)
{
    if (records <= index->entries.size())
        return;
    index->entries.resize(records, PathEntry{});
    for (auto other = index->others.begin(); other != index->others.end();) {
        if (other->first < records) {
            index->entries[other->first] = other->second;
            other = index->others.erase(other);
        } else {
            ++other;
        }
    }
}

void SetMftEntry(PathIndex* index, uint64_t number, uint16_t sequence, uint64_t parent,
                 const unsigned char* name, uint32_t units, uint8_t rank)
{
    PathEntry* entry = EntryFor(index, number);
    if (rank <= entry->mftRank)
        return;
    SetEntry(index, entry, sequence, parent, name, units);
    entry->mftRank = rank;
}

void NoteOldestRecord(PathIndex* index, uint64_t frn, uint64_t parent,
                      const unsigned char* name, uint32_t units)
{
    PathEntry* entry = EntryFor(index, RecordNumber(frn));
    if ((entry->flags & PATH_ENTRY_NOTED) != 0)
        return;
    SetEntry(index, entry, SequenceNumber(frn), parent, name, units);
    entry->flags |= PATH_ENTRY_NOTED;
}

void ApplyRecord(PathIndex* index, uint64_t frn, uint64_t parent, const unsigned char* name,
                 uint32_t units)
{
    SetEntry(index, EntryFor(index, RecordNumber(frn)), SequenceNumber(frn), parent, name, units);
}

uint32_t WriteParentPath(PathIndex* index, uint64_t parent, unsigned char* out)
{
    // The folders are met from the innermost up; their names are gathered first and
    // written root first.
    const PathEntry* chain[MAX_PATH_DEPTH];
    uint32_t depth = 0;
    uint32_t units = 0;
    uint64_t folder = parent;
    const char* marker = nullptr;
    while (RecordNumber(folder) != ROOT_RECORD) {
        PathEntry* entry = FindEntry(index, RecordNumber(folder));
        if (entry != nullptr)
            entry->flags |= PATH_ENTRY_ON_PATH;
        uint16_t sequence = SequenceNumber(folder);
        if (entry == nullptr || (entry->flags & PATH_ENTRY_KNOWN) == 0 ||
            (sequence != 0 && entry->sequence != sequence)) {
            marker = "unknown";
            break;
        }
        if (depth == MAX_PATH_DEPTH) {
            marker = "loop";
            break;
        }
        if (units + 1 + entry->nameUnits > MAX_PATH_UNITS - MARKER_UNITS) {
            marker = "too long";
            break;
        }
        units += 1 + entry->nameUnits;
        chain[depth++] = entry;
        folder = entry->parent;
    }
    uint32_t length = marker != nullptr ? WriteMarker(out, marker, folder) : 0;
    for (uint32_t i = depth; i-- > 0;) {
        StoreU16(out + 2 * length++, u'\\');
        for (uint16_t unit = 0; unit < chain[i]->nameUnits; ++unit)
            StoreU16(out + 2 * length++, index->names[chain[i]->nameAt + unit]);
    }
    if (length == 0)
        StoreU16(out + 2 * length++, u'\\');
    return length;
}

uint32_t WriteParentPathOnce(PathIndex* index, uint64_t parent, unsigned char* out,
                             PathCache* cache)
{
    if (!cache->held || cache->parent != parent || cache->changes != index->changes) {
        cache->units = WriteParentPath(index, parent, out);
        cache->parent = parent;
        cache->changes = index->changes;
        cache->held = true;
    }
    return cache->units;
}
