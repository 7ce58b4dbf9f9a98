// Any command line through the entry, with the scripted fake volume: the argument forms,
// the FRN parser and the file lookups must handle every text.
#include <cstdio>

#include "base/output.h"
#include "cli/entry.h"
#include "fake_volume_ops.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* sink = std::fopen("/dev/null", "w");
    ResetFake();
    // Arguments are separated by a zero unit; each unit is two bytes, little-endian.
    Fake().arguments = {WIDE("jrnlpeek")};
    WideString argument;
    for (size_t i = 0; i + 1 < size; i += 2) {
        WideChar unit = static_cast<WideChar>(data[i] | data[i + 1] << 8);
        if (unit == 0) {
            Fake().arguments.push_back(argument);
            argument.clear();
        } else {
            argument += unit;
        }
    }
    Fake().arguments.push_back(argument);
    Fake().files[WIDE("C:\\file")] = 0x0005000000000040;
    Fake().reads = {FakeRead{UsnBuffer(0x2000, {EncodeUsnRecord({0x0005000000000040, 5, 0x100, u"file"})}), 0},
                    FakeRead{UsnBuffer(0x2000, {}), 0}};
    SetOutputStream(sink);
    JrnlpeekMain(0, nullptr);
    return 0;
}
