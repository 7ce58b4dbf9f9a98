// The timeline formats (CSV, JSON Lines, bodyfile) on records built with known fields,
// and the walker that hands V2 and V3 records to them.
#include <gtest/gtest.h>

#include <functional>

#include "base/output.h"
#include "journal/record_walker.h"
#include "journal/time_stamp.h"
#include "journal/timeline.h"
#include "test_support.h"

namespace {

const OutputOptions CSV = {OUTPUT_CSV};
const OutputOptions JSON = {OUTPUT_JSON};
const OutputOptions BODY = {OUTPUT_BODY};

const std::string CSV_HEADER =
    "Usn,TimeStamp,Name,ParentPath,Reason,FileAttributes,FileEntry,FileSequence,ParentEntry,"
    "ParentSequence,FileReferenceNumber,ParentFileReferenceNumber,SourceInfo,SecurityId,"
    "MajorVersion,MinorVersion,RecordLength\r\n";

// JSON Lines and the bodyfile end their lines as the platform does; CSV rows always CR LF.
const std::string LINE_END = OUTPUT_LINE_END;

struct TimeCase {
    uint64_t fileTime;
    const char* iso;
    const char* unixTime;
};

class TimeStampTest : public testing::TestWithParam<TimeCase> {};

TEST_P(TimeStampTest, WritesUtcWithEverySeventhOfASecond)
{
    const TimeCase& c = GetParam();
    char text[64];
    EXPECT_EQ(std::string(text, WriteIsoTimeStamp(text, c.fileTime)), c.iso);
    EXPECT_EQ(std::string(text, WriteUnixTimeStamp(text, c.fileTime)), c.unixTime);
}

// Expected values worked out with Python's datetime.
INSTANTIATE_TEST_SUITE_P(Times, TimeStampTest, testing::Values(
    TimeCase{0, "1601-01-01T00:00:00.0000000Z", "-11644473600.0000000"},
    TimeCase{1, "1601-01-01T00:00:00.0000001Z", "-11644473599.9999999"},
    TimeCase{132274943999999999, "2020-02-29T23:59:59.9999999Z", "1583020799.9999999"},
    TimeCase{125962992000000001, "2000-02-29T12:00:00.0000001Z", "951825600.0000001"},
    TimeCase{94405824000000000, "1900-03-01T00:00:00.0000000Z", "-2203891200.0000000"},
    TimeCase{116444735999999999, "1969-12-31T23:59:59.9999999Z", "-0.0000001"},
    TimeCase{116444736000000000, "1970-01-01T00:00:00.0000000Z", "0.0000000"},
    TimeCase{132401588193984512, "2020-07-25T13:53:39.3984512Z", "1595685219.3984512"},
    TimeCase{2650467743999999999, "9999-12-31T23:59:59.9999999Z", "253402300799.9999999"},
    TimeCase{2650467744000000000, "10000-01-01T00:00:00.0000000Z", "253402300800.0000000"},
    TimeCase{UINT64_MAX, "60056-05-28T05:36:10.9551615Z", "1833029933770.9551615"}));

UsnFields Known()
{
    UsnFields f;
    f.frn = 0x0001000000000040;
    f.parent = 0x0005000000000005;
    f.reason = 0x80000100;
    f.name = u"file.txt";
    f.usn = 4096;
    f.timeStamp = 0x01D6627EBC0BD708;  // 2020-07-25T12:25:51.4302216Z
    f.sourceInfo = 0;
    f.securityId = 263;
    f.attributes = 0x20;
    return f;
}

struct FormatCase {
    const char* what;
    std::function<void(UsnFields&)> change;
    std::string csv;   // the row after the header, without its end
    std::string json;  // the object, without the line end
    std::string body;  // the line, without its end
};

std::string Walk(const UsnFields& fields, const OutputOptions& options)
{
    Bytes record = EncodeUsnRecord(fields);
    CaptureOutput();
    CaptureMessages();
    SeparateMessages(true);
    DumpRecords(record.data(), static_cast<uint32_t>(record.size()), 0, options);
    SeparateMessages(false);
    EXPECT_EQ(TakeMessages(), "");
    return TakeOutput();
}

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, WritesEveryField)
{
    const FormatCase& c = GetParam();
    UsnFields fields = Known();
    c.change(fields);
    EXPECT_EQ(Walk(fields, CSV), c.csv + "\r\n") << c.what;
    EXPECT_EQ(Walk(fields, JSON), c.json + LINE_END) << c.what;
    EXPECT_EQ(Walk(fields, BODY), c.body + LINE_END) << c.what;
}

const std::string TIME = "2020-07-25T12:25:51.4302216Z";
const std::string UNIX = "1595679951.4302216";
const std::string BODY_TIMES = "|" + UNIX + "|" + UNIX + "|" + UNIX + "|" + UNIX;

// A row of the known record with another name (as the format writes it) and RecordLength.
std::string CsvRow(const std::string& name, int recordLength)
{
    return "4096," + TIME + "," + name + ",,FILE_CREATE|CLOSE,ARCHIVE,64,1,5,5,0x0001000000000040,"
           "0x0005000000000005,,263,2,0," + std::to_string(recordLength);
}

std::string JsonObject(const std::string& name, int recordLength)
{
    return "{\"Usn\":4096,\"TimeStamp\":\"" + TIME + "\",\"Name\":\"" + name +
           "\",\"ParentPath\":\"\",\"Reason\":\"FILE_CREATE|CLOSE\",\"FileAttributes\":\"ARCHIVE\",\"FileEntry\":64,"
           "\"FileSequence\":1,\"ParentEntry\":5,\"ParentSequence\":5,"
           "\"FileReferenceNumber\":\"0x0001000000000040\","
           "\"ParentFileReferenceNumber\":\"0x0005000000000005\",\"SourceInfo\":\"\","
           "\"SecurityId\":263,\"MajorVersion\":2,\"MinorVersion\":0,\"RecordLength\":" +
           std::to_string(recordLength) + "}";
}

std::string BodyLine(const std::string& name)
{
    return "0|" + name + " (FILE_CREATE CLOSE)|64-1|r/rrwxrwxrwx|0|0|0" + BODY_TIMES;
}

std::u16string Units(std::initializer_list<char16_t> units)
{
    return std::u16string(units);
}

const std::string ALL_REASONS =
    "DATA_OVERWRITE|DATA_EXTEND|DATA_TRUNCATION|NAMED_DATA_OVERWRITE|NAMED_DATA_EXTEND|"
    "NAMED_DATA_TRUNCATION|FILE_CREATE|FILE_DELETE|EA_CHANGE|SECURITY_CHANGE|RENAME_OLD_NAME|"
    "RENAME_NEW_NAME|INDEXABLE_CHANGE|BASIC_INFO_CHANGE|HARD_LINK_CHANGE|COMPRESSION_CHANGE|"
    "ENCRYPTION_CHANGE|OBJECT_ID_CHANGE|REPARSE_POINT_CHANGE|STREAM_CHANGE|TRANSACTED_CHANGE|"
    "INTEGRITY_CHANGE|DESIRED_STORAGE_CLASS_CHANGE|CLOSE|0x7e000088";

const std::string ALL_ATTRIBUTES =
    "READONLY|HIDDEN|SYSTEM|DIRECTORY|ARCHIVE|DEVICE|NORMAL|TEMPORARY|SPARSE_FILE|"
    "REPARSE_POINT|COMPRESSED|OFFLINE|NOT_CONTENT_INDEXED|ENCRYPTED|INTEGRITY_STREAM|VIRTUAL|"
    "NO_SCRUB_DATA|RECALL_ON_OPEN|PINNED|UNPINNED|RECALL_ON_DATA_ACCESS|0xffa00008";

const std::string ALL_SOURCES =
    "DATA_MANAGEMENT|AUXILIARY_DATA|REPLICATION_MANAGEMENT|CLIENT_REPLICATION_MANAGEMENT|"
    "0xfffffff0";

std::string Spaced(std::string names)
{
    for (char& c : names)
        c = c == '|' ? ' ' : c;
    return names;
}

INSTANTIATE_TEST_SUITE_P(Records, FormatTest, testing::Values(
    FormatCase{"a plain V2 record", [](UsnFields&) {},
               CsvRow("file.txt", 80), JsonObject("file.txt", 80), BodyLine("file.txt")},
    FormatCase{"a V3 record keeps its 128-bit ids",
               [](UsnFields& f) {
                   f.version = 3;
                   f.frnHigh = 0x1122334455667788;
                   f.parentHigh = 0x99AABBCCDDEEFF00;
               },
               "4096," + TIME + ",file.txt,,FILE_CREATE|CLOSE,ARCHIVE,64,1,5,5,"
               "0x11223344556677880001000000000040,0x99aabbccddeeff000005000000000005,,263,3,0,96",
               "{\"Usn\":4096,\"TimeStamp\":\"" + TIME + "\",\"Name\":\"file.txt\",\"ParentPath\":\"\","
               "\"Reason\":\"FILE_CREATE|CLOSE\",\"FileAttributes\":\"ARCHIVE\",\"FileEntry\":64,"
               "\"FileSequence\":1,\"ParentEntry\":5,\"ParentSequence\":5,"
               "\"FileReferenceNumber\":\"0x11223344556677880001000000000040\","
               "\"ParentFileReferenceNumber\":\"0x99aabbccddeeff000005000000000005\","
               "\"SourceInfo\":\"\",\"SecurityId\":263,\"MajorVersion\":3,\"MinorVersion\":0,"
               "\"RecordLength\":96}",
               BodyLine("file.txt")},
    FormatCase{"every flag set, the unnamed bits in hexadecimal",
               [](UsnFields& f) {
                   f.reason = 0xFFFFFFFF;
                   f.attributes = 0xFFFFFFFF;
                   f.sourceInfo = 0xFFFFFFFF;
                   f.securityId = 0xFFFFFFFF;
                   f.name = u"x";
               },
               "4096," + TIME + ",x,," + ALL_REASONS + "," + ALL_ATTRIBUTES +
                   ",64,1,5,5,0x0001000000000040,0x0005000000000005," + ALL_SOURCES +
                   ",4294967295,2,0,64",
               "{\"Usn\":4096,\"TimeStamp\":\"" + TIME + "\",\"Name\":\"x\",\"ParentPath\":\"\",\"Reason\":\"" +
                   ALL_REASONS + "\",\"FileAttributes\":\"" + ALL_ATTRIBUTES +
                   "\",\"FileEntry\":64,\"FileSequence\":1,\"ParentEntry\":5,\"ParentSequence\":5,"
                   "\"FileReferenceNumber\":\"0x0001000000000040\","
                   "\"ParentFileReferenceNumber\":\"0x0005000000000005\",\"SourceInfo\":\"" +
                   ALL_SOURCES + "\",\"SecurityId\":4294967295,\"MajorVersion\":2,"
                   "\"MinorVersion\":0,\"RecordLength\":64}",
               "0|x (" + Spaced(ALL_REASONS) + ")|64-1|d/dr-xr-xr-x|0|0|0" + BODY_TIMES},
    FormatCase{"no reasons, no name, entry and sequence at their limits",
               [](UsnFields& f) {
                   f.reason = 0;
                   f.attributes = 0;
                   f.name = u"";
                   f.frn = 0xFFFFFFFFFFFFFFFF;
                   f.parent = 0;
               },
               "4096," + TIME + ",,,,,281474976710655,65535,0,0,0xffffffffffffffff,"
               "0x0000000000000000,,263,2,0,64",
               "{\"Usn\":4096,\"TimeStamp\":\"" + TIME + "\",\"Name\":\"\",\"ParentPath\":\"\",\"Reason\":\"\","
               "\"FileAttributes\":\"\",\"FileEntry\":281474976710655,\"FileSequence\":65535,"
               "\"ParentEntry\":0,\"ParentSequence\":0,"
               "\"FileReferenceNumber\":\"0xffffffffffffffff\","
               "\"ParentFileReferenceNumber\":\"0x0000000000000000\",\"SourceInfo\":\"\","
               "\"SecurityId\":263,\"MajorVersion\":2,\"MinorVersion\":0,\"RecordLength\":64}",
               "0| ()|281474976710655-65535|r/rrwxrwxrwx|0|0|0" + BODY_TIMES},
    FormatCase{"time stamps of 0 and a negative Usn",
               [](UsnFields& f) { f.timeStamp = 0; f.usn = -8; },
               "-8,1601-01-01T00:00:00.0000000Z,file.txt,,FILE_CREATE|CLOSE,ARCHIVE,64,1,5,5,"
               "0x0001000000000040,0x0005000000000005,,263,2,0,80",
               "{\"Usn\":-8,\"TimeStamp\":\"1601-01-01T00:00:00.0000000Z\",\"Name\":\"file.txt\",\"ParentPath\":\"\","
               "\"Reason\":\"FILE_CREATE|CLOSE\",\"FileAttributes\":\"ARCHIVE\",\"FileEntry\":64,"
               "\"FileSequence\":1,\"ParentEntry\":5,\"ParentSequence\":5,"
               "\"FileReferenceNumber\":\"0x0001000000000040\","
               "\"ParentFileReferenceNumber\":\"0x0005000000000005\",\"SourceInfo\":\"\","
               "\"SecurityId\":263,\"MajorVersion\":2,\"MinorVersion\":0,\"RecordLength\":80}",
               "0|file.txt (FILE_CREATE CLOSE)|64-1|r/rrwxrwxrwx|0|0|0|-11644473600.0000000"
               "|-11644473600.0000000|-11644473600.0000000|-11644473600.0000000"},
    FormatCase{"the largest time stamp",
               [](UsnFields& f) { f.timeStamp = -1; },  // all 64 bits set
               "4096,60056-05-28T05:36:10.9551615Z,file.txt,,FILE_CREATE|CLOSE,ARCHIVE,64,1,5,5,"
               "0x0001000000000040,0x0005000000000005,,263,2,0,80",
               "{\"Usn\":4096,\"TimeStamp\":\"60056-05-28T05:36:10.9551615Z\","
               "\"Name\":\"file.txt\",\"ParentPath\":\"\","
               "\"Reason\":\"FILE_CREATE|CLOSE\",\"FileAttributes\":\"ARCHIVE\",\"FileEntry\":64,"
               "\"FileSequence\":1,\"ParentEntry\":5,\"ParentSequence\":5,"
               "\"FileReferenceNumber\":\"0x0001000000000040\","
               "\"ParentFileReferenceNumber\":\"0x0005000000000005\",\"SourceInfo\":\"\","
               "\"SecurityId\":263,\"MajorVersion\":2,\"MinorVersion\":0,\"RecordLength\":80}",
               "0|file.txt (FILE_CREATE CLOSE)|64-1|r/rrwxrwxrwx|0|0|0|1833029933770.9551615"
               "|1833029933770.9551615|1833029933770.9551615|1833029933770.9551615"},
    FormatCase{"a comma", [](UsnFields& f) { f.name = u"a,b.txt"; },
               CsvRow("\"a,b.txt\"", 80), JsonObject("a,b.txt", 80), BodyLine("a,b.txt")},
    FormatCase{"quotes", [](UsnFields& f) { f.name = u"say \"hi\""; },
               CsvRow("\"say \"\"hi\"\"\"", 80), JsonObject("say \\\"hi\\\"", 80),
               BodyLine("say \"hi\"")},
    FormatCase{"line breaks", [](UsnFields& f) { f.name = u"a\r\nb\n"; },
               CsvRow("\"a\r\nb\n\"", 72), JsonObject("a\\u000d\\u000ab\\u000a", 72),
               BodyLine("a\\x0d\\x0ab\\x0a")},
    FormatCase{"control characters, a zero unit among them",
               [](UsnFields& f) { f.name = Units({u'a', 0, u'\t', 0x1F, 0x7F, u'b'}); },
               CsvRow(std::string("\"a\0\t\x1f\x7f" "b\"", 8), 72),
               JsonObject("a\\u0000\\u0009\\u001f\\u007fb", 72),
               BodyLine("a\\x00\\x09\\x1f\\x7fb")},
    FormatCase{"a bar and a backslash", [](UsnFields& f) { f.name = u"a|b\\c"; },
               CsvRow("a|b\\c", 72), JsonObject("a|b\\\\c", 72), BodyLine("a\\x7cb\\\\c")},
    FormatCase{"letters beyond ASCII, and a pair of surrogates",
               [](UsnFields& f) { f.name = u"caf\u00e9 \u4e2d\U0001F600"; },
               CsvRow("caf\xc3\xa9 \xe4\xb8\xad\xf0\x9f\x98\x80", 80),
               JsonObject("caf\xc3\xa9 \xe4\xb8\xad\xf0\x9f\x98\x80", 80),
               BodyLine("caf\xc3\xa9 \xe4\xb8\xad\xf0\x9f\x98\x80")},
    FormatCase{"each kind of unpaired surrogate becomes U+FFFD",
               [](UsnFields& f) {
                   f.name = Units({0xD800, u'x', 0xDC00, 0xDBFF, 0xDBFF, 0xDFFF, 0xDFFF, 0xD83D});
               },
               CsvRow("\xef\xbf\xbdx\xef\xbf\xbd\xef\xbf\xbd\xf4\x8f\xbf\xbf\xef\xbf\xbd\xef\xbf\xbd", 80),
               JsonObject("\xef\xbf\xbdx\xef\xbf\xbd\xef\xbf\xbd\xf4\x8f\xbf\xbf\xef\xbf\xbd\xef\xbf\xbd", 80),
               BodyLine("\xef\xbf\xbdx\xef\xbf\xbd\xef\xbf\xbd\xf4\x8f\xbf\xbf\xef\xbf\xbd\xef\xbf\xbd")},
    FormatCase{"an odd FileNameLength leaves the last byte out",
               [](UsnFields& f) { f.fileNameLength = 7; },
               CsvRow("fil", 80), JsonObject("fil", 80), BodyLine("fil")}));

// The longest names, made of the characters each format writes longest.
TEST(Formats, The255UnitNamesThatTakeMostRoomAreWrittenWhole)
{
    struct Longest {
        char16_t unit;
        std::string csv, json, body;  // one unit as written
    };
    for (const Longest& c : {Longest{u'"', "\"\"", "\\\"", "\""},
                             Longest{0x01, "\x01", "\\u0001", "\\x01"},
                             Longest{0xFFFF, "\xef\xbf\xbf", "\xef\xbf\xbf", "\xef\xbf\xbf"},
                             Longest{0xDC00, "\xef\xbf\xbd", "\xef\xbf\xbd", "\xef\xbf\xbd"}}) {
        UsnFields fields = Known();
        fields.name = std::u16string(255, c.unit);
        std::string csv, json, body;
        for (int i = 0; i < 255; ++i) {
            csv += c.csv;
            json += c.json;
            body += c.body;
        }
        bool quoted = c.unit == u'"' || c.unit < 0x20;
        EXPECT_EQ(Walk(fields, CSV), CsvRow(quoted ? "\"" + csv + "\"" : csv, 576) + "\r\n");
        EXPECT_EQ(Walk(fields, JSON), JsonObject(json, 576) + LINE_END);
        EXPECT_EQ(Walk(fields, BODY), BodyLine(body) + LINE_END);
    }
}

TEST(Formats, OnlyCsvWritesAHeader)
{
    for (const OutputOptions* options : {&CSV, &JSON, &BODY}) {
        CaptureOutput();
        PrintTimelineHeader(*options);
        EXPECT_EQ(TakeOutput(), options == &CSV ? CSV_HEADER : "");
    }
}

// Standard output starts in text mode, which on Windows writes each line break as CR LF.
// The formats leave it for binary output, so a line break inside a name stays one byte and
// each line ends as the format says, once.
TEST(Formats, WriteTheirOwnLineEndsOnAStreamOpenedInTextMode)
{
    const char* path = "timeline_text_mode.tmp";
    FILE* stream = std::fopen(path, "w");
    ASSERT_NE(stream, nullptr);
    SetOutputStream(stream);
    UseBinaryOutput();
    UsnFields fields = Known();
    fields.name = u"a\nb";
    Bytes record = EncodeUsnRecord(fields);
    for (const OutputOptions* options : {&CSV, &JSON})
        DumpRecords(record.data(), static_cast<uint32_t>(record.size()), 0, *options);
    FlushOutput();
    SetOutputStream(nullptr);
    std::fclose(stream);
    std::string written = ReadBack(std::fopen(path, "rb"));
    std::remove(path);
    EXPECT_EQ(written, CsvRow("\"a\nb\"", 72) + "\r\n" + JsonObject("a\\u000ab", 72) + LINE_END);
}

// The walker in the formats: V2 and V3 records by their MajorVersion, with the checks of
// the event line's walk and its messages, which go apart from the rows.
struct FormatWalkCase {
    const char* what;
    Bytes data;
    uint64_t target;
    std::vector<std::string> names;  // of the rows written, in order
    std::string messages;
    uint32_t remaining = 0;  // 0: all of data
};

class FormatWalkTest : public testing::TestWithParam<FormatWalkCase> {};

TEST_P(FormatWalkTest, WritesTheRecordsItCanReadAndSaysWhereItStopped)
{
    const FormatWalkCase& c = GetParam();
    CaptureOutput();
    CaptureMessages();
    SeparateMessages(true);
    DumpRecords(c.data.data(), c.remaining ? c.remaining : static_cast<uint32_t>(c.data.size()),
                c.target, JSON);
    SeparateMessages(false);
    std::string names;
    std::string rows = TakeOutput();
    const std::string key = "\"Name\":\"";
    for (size_t at = rows.find(key); at != std::string::npos; at = rows.find(key, at + 1))
        names += rows.substr(at + key.size(), rows.find('"', at + key.size()) - at - key.size()) + " ";
    std::string expected;
    for (const std::string& name : c.names)
        expected += name + " ";
    EXPECT_EQ(names, expected) << c.what;
    EXPECT_EQ(TakeMessages(), c.messages) << c.what;
}

const uint64_t A = 0x0001000000000040;
const uint64_t B = 0x0001000000000041;

Bytes Record(int version, uint64_t frn, const char16_t* name, uint64_t frnHigh = 0)
{
    UsnFields f = Known();
    f.version = version;
    f.frn = frn;
    f.frnHigh = frnHigh;
    f.name = name;
    return EncodeUsnRecord(f);
}

Bytes Damaged(int version, int64_t recordLength, int fileNameLength, int fileNameOffset)
{
    UsnFields f = Known();
    f.version = version;
    f.name = u"xxxx";
    f.recordLength = recordLength;
    f.fileNameLength = fileNameLength;
    f.fileNameOffset = fileNameOffset;
    return EncodeUsnRecord(f);
}

INSTANTIATE_TEST_SUITE_P(Buffers, FormatWalkTest, testing::Values(
    FormatWalkCase{"V2 and V3 records mixed",
                   Concat({Record(2, A, u"two"), Record(3, A, u"three"), Record(2, B, u"b")}), 0,
                   {"two", "three", "b"}, ""},
    FormatWalkCase{"the target's V3 records, by record number",
                   Concat({Record(3, A, u"a"), Record(3, B, u"b"), Record(2, A, u"a2")}), 64,
                   {"a", "a2"}, ""},
    FormatWalkCase{"a V3 id whose high half is set is no 64-bit target's",
                   Concat({Record(3, A, u"wide", 1), Record(3, A, u"a")}), A, {"a"}, ""},
    FormatWalkCase{"target 0 takes every V3 id", Record(3, A, u"wide", 1), 0, {"wide"}, ""},
    FormatWalkCase{"a V3 record needs 80 bytes", Concat({Record(2, A, u"a"), Record(3, A, u"b")}),
                   0, {"a"}, "bad record length 72 < 80.\n", 64 + 72},
    FormatWalkCase{"fewer bytes than any record",
                   Concat({Record(3, A, u"a"), Bytes(10, 0)}), 0, {"a"},
                   "bad record length 10 < 64.\n"},
    FormatWalkCase{"a version with no name (V4) ends the buffer",
                   Concat({Record(2, A, u"a"), Record(4, A, u"r"), Record(2, A, u"b")}), 0, {"a"},
                   "bad MajorVersion 4\n"},
    FormatWalkCase{"FileNameLength 511 in a V3 record",
                   Concat({Damaged(3, -1, 511, -1), Record(3, A, u"b")}), 0, {},
                   "bad FileNameLength 511\n"},
    FormatWalkCase{"a V3 name beyond the data",
                   Concat({Record(3, A, u"a"), Damaged(3, 88, 8, 0xFFF0)}), 0, {"a"},
                   "bad FileNameOffset 65520\n"},
    FormatWalkCase{"a V3 RecordLength below the V3 size, after its row",
                   Concat({Damaged(3, 72, 8, 76), Record(3, A, u"b")}), 0, {"xxxx"},
                   "bad RecordLength 72\n"},
    FormatWalkCase{"a RecordLength running past the data, after its row",
                   Damaged(2, 4096, 8, 60), 0, {"xxxx"}, "bad RecordLength 4096\n"}));

}  // namespace
