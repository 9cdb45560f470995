// Reply records from a printer that may lie: the reply check, the text taken
// from a reply, the eight length digits, and the length-first read through
// the real transport against a fake USB printer answering the input's bytes.
#include "device_recv.h"
#include "fake_usb.h"
#include "fuzz_input.h"
#include "usb_transport.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Expected sizes as the printer queries use them: none, variable, or fixed.
int ChooseExpectedSize(FuzzInput& in)
{
    switch (in.Byte() % 4) {
    case 0: return 0;
    case 1: return -1;
    case 2: return in.Byte();
    default: return in.Word();
    }
}

// The text a reply yields must end inside the window the caller provided.
void TakeText(const DeviceRecv& reply)
{
    const int window = reply.GetBufferLength();
    std::unique_ptr<char[]> out(new char[static_cast<size_t>(window) + 1]);
    FUZZ_CHECK(reply.GetEffectiveDataAsString(out.get()) == 0);
    FUZZ_CHECK(strlen(out.get()) <= static_cast<size_t>(window));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const int expected = ChooseExpectedSize(in);
    const uint8_t prefixChoice = in.Byte();
    const std::string prefixText = in.Text(20);
    const char* prefix = (prefixChoice & 1) ? prefixText.c_str() : nullptr;

    // The received window filled directly.
    DeviceRecv direct(expected, prefix);
    FUZZ_CHECK(direct.Alloc() == 0);
    const int window = direct.GetBufferLength();
    if (window > 0)
        memcpy(direct.Buffer(), in.Rest(), std::min(in.RestSize(), static_cast<size_t>(window)));
    const int check = direct.CheckData();
    FUZZ_CHECK(check == 0 || check == 3);
    TakeText(direct);

    // The length digits, from exactly eight bytes of their own.
    if (in.RestSize() >= DeviceRecv::kLengthDigits) {
        std::unique_ptr<char[]> digits(new char[DeviceRecv::kLengthDigits]);
        memcpy(digits.get(), in.Rest(), DeviceRecv::kLengthDigits);
        const int body = direct.BodyLengthFromDigits(digits.get());
        FUZZ_CHECK(body == -1 || (body >= 1 && body <= window - DeviceRecv::kLengthDigits));
    }

    // The same bytes through the transport's length-first read.
    fake_usb::SetBulkIn(in.Rest(), in.RestSize());
    DeviceRecv read(expected, prefix);
    const int r = deviceRead(fake_usb::Handle(), &read);
    if (r == 0) {
        const int readCheck = read.CheckData();
        FUZZ_CHECK(readCheck == 0 || readCheck == 3);
        TakeText(read);
    }
    return 0;
}
