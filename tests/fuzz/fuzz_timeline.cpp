// Any bytes as the records of one USN buffer, written in each timeline format: every CSV
// row must have the header's columns, every JSON line must parse, every bodyfile line
// must have its eleven fields, and each format must give one row per record.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/output.h"
#include "journal/record_walker.h"
#include "journal/timeline.h"

namespace {

// The program's output for one format, written to memory.
std::string Written(const uint8_t* data, size_t size, OutputFormat format)
{
    char* text = nullptr;
    size_t length = 0;
    FILE* stream = open_memstream(&text, &length);
    SetOutputStream(stream);
    OutputOptions options = {format};
    PrintTimelineHeader(options);
    DumpRecords(data, static_cast<uint32_t>(size), 0, options);
    FlushOutput();
    SetOutputStream(nullptr);
    std::fclose(stream);
    std::string written(text, length);
    std::free(text);
    return written;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// CSV rows, a quoted field running over line breaks; each row's count of fields.
std::vector<size_t> CsvRowWidths(const std::string& text)
{
    std::vector<size_t> widths;
    size_t fields = 1;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            quoted = !quoted;  // a doubled quote leaves and re-enters at once
        } else if (!quoted && c == ',') {
            ++fields;
        } else if (!quoted && c == '\r') {
            Require(i + 1 < text.size() && text[i + 1] == '\n');
            widths.push_back(fields);
            fields = 1;
            ++i;
        } else {
            Require(quoted || c != '\n');
        }
    }
    Require(!quoted && fields == 1);  // the last row was ended
    return widths;
}

// A strict JSON reader that only says whether the text is one well-formed value.
struct JsonText {
    const char* p;
    const char* end;
};

void SkipSpace(JsonText& t)
{
    while (t.p != t.end && (*t.p == ' ' || *t.p == '\t' || *t.p == '\n' || *t.p == '\r'))
        ++t.p;
}

bool JsonValue(JsonText& t, int depth);

// UTF-8 as RFC 3629 allows it: no overlong forms, no surrogates, nothing above U+10FFFF.
bool Utf8Sequence(JsonText& t)
{
    unsigned char c = static_cast<unsigned char>(*t.p++);
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    if (c < 0xC2 || c > 0xF4)
        return false;
    uint32_t value = c & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        if (t.p == t.end || (static_cast<unsigned char>(*t.p) & 0xC0) != 0x80)
            return false;
        value = value << 6 | (static_cast<unsigned char>(*t.p++) & 0x3F);
    }
    uint32_t least = more == 1 ? 0x80 : more == 2 ? 0x800 : 0x10000;
    return value >= least && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

bool JsonString(JsonText& t)
{
    if (t.p == t.end || *t.p++ != '"')
        return false;
    while (t.p != t.end) {
        unsigned char c = static_cast<unsigned char>(*t.p);
        if (c == '"') {
            ++t.p;
            return true;
        }
        if (c < 0x20)
            return false;
        if (c == '\\') {
            if (++t.p == t.end)
                return false;
            char escape = *t.p++;
            if (escape == 'u') {
                for (int i = 0; i < 4; ++i, ++t.p) {
                    if (t.p == t.end || !std::strchr("0123456789abcdefABCDEF", *t.p) || *t.p == 0)
                        return false;
                }
            } else if (!std::strchr("\"\\/bfnrt", escape) || escape == 0) {
                return false;
            }
        } else if (c >= 0x80) {
            if (!Utf8Sequence(t))
                return false;
        } else {
            ++t.p;
        }
    }
    return false;
}

bool JsonNumber(JsonText& t)
{
    if (t.p != t.end && *t.p == '-')
        ++t.p;
    if (t.p == t.end || *t.p < '0' || *t.p > '9')
        return false;
    if (*t.p == '0' && t.p + 1 != t.end && t.p[1] >= '0' && t.p[1] <= '9')
        return false;  // no leading zeros
    while (t.p != t.end && *t.p >= '0' && *t.p <= '9')
        ++t.p;
    return true;  // the program writes integers only; a fraction would fail the caller
}

bool JsonObject(JsonText& t, int depth)
{
    ++t.p;
    SkipSpace(t);
    if (t.p != t.end && *t.p == '}') {
        ++t.p;
        return true;
    }
    for (;;) {
        SkipSpace(t);
        if (!JsonString(t))
            return false;
        SkipSpace(t);
        if (t.p == t.end || *t.p++ != ':' || !JsonValue(t, depth + 1))
            return false;
        SkipSpace(t);
        if (t.p == t.end)
            return false;
        char c = *t.p++;
        if (c == '}')
            return true;
        if (c != ',')
            return false;
    }
}

bool JsonValue(JsonText& t, int depth)
{
    SkipSpace(t);
    if (t.p == t.end || depth > 8)
        return false;
    if (*t.p == '{')
        return JsonObject(t, depth);
    if (*t.p == '"')
        return JsonString(t);
    return JsonNumber(t);
}

size_t JsonLines(const std::string& text)
{
    size_t lines = 0;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        JsonText t = {text.data() + start, text.data() + end};
        Require(*t.p == '{' && JsonValue(t, 0));
        SkipSpace(t);
        Require(t.p == t.end);
        ++lines;
    }
    Require(start == text.size());
    return lines;
}

size_t BodyLines(const std::string& text)
{
    size_t lines = 0;
    size_t bars = 0;
    for (char c : text) {
        if (c == '|') {
            ++bars;
        } else if (c == '\n') {
            Require(bars == 10);
            bars = 0;
            ++lines;
        } else {
            Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        }
    }
    Require(bars == 0 && (text.empty() || text.back() == '\n'));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* sink = std::fopen("/dev/null", "w");
    if (size == 0 || size > 65536 - 8)
        return 0;
    SetMessageStream(sink);
    SeparateMessages(true);
    std::vector<size_t> widths = CsvRowWidths(Written(data, size, OUTPUT_CSV));
    Require(!widths.empty());
    for (size_t width : widths)
        Require(width == widths[0]);
    size_t records = widths.size() - 1;
    Require(JsonLines(Written(data, size, OUTPUT_JSON)) == records);
    Require(BodyLines(Written(data, size, OUTPUT_BODY)) == records);
    return 0;
}
