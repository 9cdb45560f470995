#include "job_stream.h"

#include "record_frame.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using zr_record::DataLength;
constexpr size_t kHeader = zr_record::kHeaderSize;
// Memory follows the bytes that really arrive, whatever a header announces.
constexpr size_t kReadBlock = 1 << 20;

struct Reader {
    int fd;
    const volatile std::sig_atomic_t* cancel;
    bool failed = false;
    bool cancelled = false;

    // Appends up to `want` bytes to `into`; answers the count (0 at the end).
    size_t Read(std::vector<unsigned char>& into, size_t want)
    {
        const size_t start = into.size();
        into.resize(start + want);
        size_t got = 0;
        while (got < want) {
            if (*cancel) {
                cancelled = true;
                break;
            }
            const ssize_t n = read(fd, into.data() + start + got, want - got);
            if (n < 0 && errno == EINTR)
                continue;  // a signal: look at the cancel flag again
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0)
                break;
            got += static_cast<size_t>(n);
        }
        into.resize(start + got);
        return got;
    }
};

}  // namespace

StreamResult SendStream(int fd, const RecordSink& sink, const volatile std::sig_atomic_t* cancel)
{
    static const volatile std::sig_atomic_t never = 0;
    Reader in{fd, cancel != nullptr ? cancel : &never};
    StreamResult result;
    auto send = [&](const std::vector<unsigned char>& bytes) {
        if (bytes.empty())
            return true;
        result.sinkResult = sink(bytes.data(), bytes.size());
        if (result.sinkResult != 0)
            return false;
        result.bytes += bytes.size();
        ++result.records;
        return true;
    };
    std::vector<unsigned char> record;
    for (;;) {
        record.clear();
        const size_t got = in.Read(record, kHeader);
        if (got < kHeader) {
            // The end; a short tail is no record.
            result.framed = got == 0 || in.cancelled;
            break;
        }
        const long length = DataLength(record.data());
        if (length < 0) {
            result.framed = false;
            break;
        }
        size_t remaining = static_cast<size_t>(length);
        while (remaining > 0) {
            const size_t part = in.Read(record, std::min(remaining, kReadBlock));
            if (part == 0)
                break;
            remaining -= part;
        }
        if (in.cancelled || in.failed)
            break;
        if (remaining > 0) {
            // Cut short by the end of the input: half a record would leave
            // the printer waiting for the rest.
            result.framed = false;
            break;
        }
        if (!send(record))
            break;
    }
    result.readFailed = in.failed;
    result.cancelled = in.cancelled;
    return result;
}

long RecordNumber(const unsigned char* record, size_t length)
{
    if (length <= kHeader || length - kHeader > 18)
        return -1;
    return zr_record::ParseDigits(record + kHeader, length - kHeader);
}
