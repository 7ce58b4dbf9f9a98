#include "fake_volume_ops.h"

#include <cstring>

#include "bytes.h"

namespace {

FakeVolume fake;
std::vector<WideChar*> argumentPointers;
unsigned char* const FAKE_HANDLE = reinterpret_cast<unsigned char*>(&fake);

bool Fail(uint32_t error)
{
    fake.lastError = error;
    return false;
}

}  // namespace

FakeVolume& Fake()
{
    return fake;
}

void ResetFake()
{
    fake = FakeVolume();
}

void ResetFake(const std::vector<WideString>& arguments)
{
    ResetFake();
    fake.arguments = {WIDE("jrnlpeek.exe")};
    fake.arguments.insert(fake.arguments.end(), arguments.begin(), arguments.end());
}

bool GetArgumentList(int, char**, ArgumentList* arguments)
{
    if (fake.argumentsError != 0)
        return Fail(fake.argumentsError);
    argumentPointers.clear();
    for (WideString& argument : fake.arguments)
        argumentPointers.push_back(&argument[0]);
    arguments->count = static_cast<int>(argumentPointers.size());
    arguments->values = argumentPointers.data();
    return true;
}

bool OpenVolume(const WideChar* path, VolumeHandle* volume)
{
    fake.openedVolumes.push_back(path);
    if (fake.openError != 0)
        return Fail(fake.openError);
    ++fake.handlesHeld;
    *volume = FAKE_HANDLE;
    return true;
}

bool QueryUsnJournal(VolumeHandle volume, UsnJournalData* journal)
{
    if (volume != FAKE_HANDLE || fake.handlesHeld != 1)
        return Fail(6);  // ERROR_INVALID_HANDLE
    if (fake.queryError != 0)
        return Fail(fake.queryError);
    *journal = fake.journal;
    return true;
}

bool ReadUsnJournal(VolumeHandle volume, const ReadUsnJournalData& request,
                    unsigned char* buffer, uint32_t bufferSize, uint32_t* bytesReturned)
{
    if (volume != FAKE_HANDLE || fake.handlesHeld != 1 || fake.buffersHeld != 1 ||
        bufferSize != USN_BUFFER_SIZE)
        return Fail(87);
    // A read from the journal's start begins the script again, as a journal read a second
    // time gives the same records.
    if (request.StartUsn == fake.journal.FirstUsn)
        fake.readsGiven = 0;
    size_t index = fake.readsGiven++;
    fake.requests.push_back(request);
    if (index >= fake.reads.size())
        return Fail(9999);
    const FakeRead& read = fake.reads[index];
    if (read.error != 0)
        return Fail(read.error);
    if (read.data.size() > bufferSize)
        return Fail(122);  // WIN_ERROR_INSUFFICIENT_BUFFER: the script is wrong
    if (!read.data.empty())
        std::memcpy(buffer, read.data.data(), read.data.size());
    *bytesReturned = static_cast<uint32_t>(read.data.size());
    return true;
}

void CloseVolume(VolumeHandle volume)
{
    if (volume == FAKE_HANDLE)
        --fake.handlesHeld;
}

uint64_t GetFileReferenceNumber(const WideChar* path)
{
    fake.lookedUpFiles.push_back(path);
    auto file = fake.files.find(path);
    if (file == fake.files.end()) {
        Fail(2);
        return 0;
    }
    return file->second;
}

bool LoadPathIndex(VolumeHandle volume, const WideChar* mftPath, PathIndex* index)
{
    if (volume != FAKE_HANDLE || fake.handlesHeld != 1)
        return Fail(6);  // ERROR_INVALID_HANDLE
    ++fake.mftLoads;
    if (mftPath != nullptr)
        fake.mftFiles.push_back(mftPath);
    if (fake.mftError != 0)
        return Fail(fake.mftError);
    for (const FakeMftFile& file : fake.mft) {
        Bytes name = Utf16Bytes(file.name);
        SetMftEntry(index, file.number, file.sequence, file.parent, name.data(),
                    static_cast<uint32_t>(file.name.size()), 1);
    }
    return true;
}

uint32_t GetLastErrorCode()
{
    return fake.lastError;
}

unsigned char* AllocateUsnBuffer()
{
    if (fake.allocationFails)
        return nullptr;
    ++fake.buffersHeld;
    return new unsigned char[USN_BUFFER_SIZE];
}

void ReleaseUsnBuffer(unsigned char* buffer)
{
    --fake.buffersHeld;
    delete[] buffer;
}
