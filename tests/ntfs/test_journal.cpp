#include "test_journal.h"

#include <gtest/gtest.h>
#include <unistd.h>

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
    return OpenUsnJrnl(opened->fd, &opened->journal);
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
