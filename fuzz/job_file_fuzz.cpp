// The print backend's job file in the world-writable /tmp, read back by the
// filter: contents, key and the caller's field size come from the input.
#include "fuzz_input.h"
#include "printer_info.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string jobId;
std::string path;

void RemoveJobFile()
{
    unlink(path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    jobId = "9" + std::to_string(getpid());
    path = JobFilePath(jobId.c_str());
    atexit(RemoveJobFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const int outSize = in.Byte() % 80;
    std::string key = in.Text(40);
    if (in.Byte() & 1)
        key = "MEDIA_SIZE=";

    FILE* file = fopen(path.c_str(), "w");
    if (file == nullptr)
        abort();
    fwrite(in.Rest(), 1, in.RestSize(), file);
    fclose(file);

    // The field sits exactly in a heap block of its size, with a guard
    // pattern that must survive when nothing fits.
    std::unique_ptr<char[]> out(new char[outSize > 0 ? outSize : 1]);
    memset(out.get(), '#', outSize > 0 ? outSize : 1);
    FUZZ_CHECK(_GetValuePrInfoFile(key.c_str(), jobId.c_str(), out.get(), outSize) == 0);
    if (outSize > 0) {
        const size_t n = strnlen(out.get(), static_cast<size_t>(outSize));
        if (n < static_cast<size_t>(outSize)) {
            // A value was stored: without quotes or line feeds.
            FUZZ_CHECK(strchr(out.get(), '"') == nullptr && strchr(out.get(), '\n') == nullptr);
        } else {
            for (int i = 0; i < outSize; ++i)
                FUZZ_CHECK(out[i] == '#');
        }
    }
    return 0;
}
