#include "volume/volume_path.h"

namespace {

// `text` starts with the ASCII `word`, ignoring case.
bool StartsWith(const WideChar* text, const char* word)
{
    for (; *word != 0; ++text, ++word) {
        WideChar unit = *text >= 'a' && *text <= 'z' ? WideChar(*text - 'a' + 'A') : *text;
        char wanted = *word >= 'a' && *word <= 'z' ? char(*word - 'a' + 'A') : *word;
        if (unit != WideChar(wanted))
            return false;
    }
    return true;
}

// Nothing follows, or a single backslash.
bool EndsHere(const WideChar* text)
{
    return text[0] == 0 || (text[0] == '\\' && text[1] == 0);
}

}  // namespace

bool IsLiveVolumePath(const WideChar* path)
{
    if (!(StartsWith(path, "\\\\.\\") || StartsWith(path, "\\\\?\\")))
        return false;
    const WideChar* name = path + 4;
    if (IsAsciiLetter(name[0]) && name[1] == ':')
        return EndsHere(name + 2);
    if (!StartsWith(name, "Volume{"))
        return false;
    const WideChar* close = name;
    while (*close != 0 && *close != '}' && *close != '\\')
        ++close;
    return *close == '}' && EndsHere(close + 1);
}
