#include "test_journal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "base/little_endian.h"

TestJournal::~TestJournal()
{
    CloseUsnJrnl(journal);
    if (fd >= 0)
        close(fd);
}

uint32_t OpenShape(const VolumeShape& shape, TestJournal* opened)
{
    opened->fd = MakeImageFile();
    WriteVolume(opened->fd, 0, shape);
    return OpenUsnJrnl(MakeByteSource(opened->fd), &opened->journal);
}

Bytes StoredRecords(const Bytes& journal, size_t end)
{
    Bytes records;
    for (size_t at = 0; at < end && end - at >= 8;) {
        uint32_t length = LoadU32(journal.data() + at);
        if (length == 0) {
            at = (at / 4096 + 1) * 4096;
            continue;
        }
        if (length > end - at)
            break;
        records.insert(records.end(), journal.begin() + at, journal.begin() + at + length);
        at += length;
    }
    return records;
}

Bytes PagedJournal(uint64_t base, Bytes* expected)
{
    Bytes journal;
    for (int page = 0; page < 8; page++) {
        for (int i = 0; i < 10 + page; i++) {
            UsnFields fields;
            fields.frn = 0x0001000000000100 + uint64_t(page * 100 + i);
            fields.name = u"page" + std::u16string(1, char16_t('0' + page)) + u"-record";
            AddRecord(journal, fields, base);
        }
        PadPage(journal);
    }
    *expected = StoredRecords(journal, journal.size());
    return journal;
}

uint32_t OpenExported(const Bytes& stored, uint64_t headBytes, HeadKind head, TestJournal* opened)
{
    opened->fd = MakeImageFile();
    const uint64_t BLOCK = 1 << 20;
    for (uint64_t at = 0; head == HEAD_STORED_ZEROS && at < headBytes; at += BLOCK)
        EXPECT_TRUE(WriteAt(opened->fd, at, Bytes(std::min(BLOCK, headBytes - at), 0)));
    EXPECT_EQ(ftruncate(opened->fd, off_t(headBytes)), 0);
    EXPECT_TRUE(WriteAt(opened->fd, headBytes, stored));
    return OpenUsnJrnl(MakeByteSource(opened->fd), &opened->journal);
}

ReadUsnJournalData EveryRecord(const UsnJrnl* journal, int64_t startUsn)
{
    UsnJournalData data;
    QueryUsnJrnl(journal, &data);
    return ReadUsnJournalData{startUsn, EVERY_REASON, 0, 0, 0, data.UsnJournalID, 0, 0};
}

ReadResult ReadToEnd(UsnJrnl* journal, ReadUsnJournalData request, uint32_t bufferSize)
{
    ReadResult result;
    std::vector<unsigned char> buffer(bufferSize);
    for (int reads = 0; reads < 100000; reads++) {
        uint32_t got = 0;
        result.starts.push_back(request.StartUsn);
        result.status = ReadUsnJrnl(journal, request, buffer.data(), bufferSize, &got);
        if (result.status != 0)
            return result;
        EXPECT_GE(got, 8u);
        EXPECT_LE(got, bufferSize);
        result.nextUsn = LoadI64(buffer.data());
        if (got <= 8)
            return result;
        result.records.insert(result.records.end(), buffer.begin() + 8, buffer.begin() + got);
        EXPECT_GT(result.nextUsn, request.StartUsn) << "a read with records must move on";
        request.StartUsn = result.nextUsn;
    }
    ADD_FAILURE() << "the journal never came to an end";
    return result;
}

std::string TestName(const char* description)
{
    std::string name;
    for (const char* c = description; *c != 0; c++)
        name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}
