// A printer that answers with the fuzzer's bytes: libusb's bulk and control
// transfers are replaced inside the harness programs (the executable's
// definitions take the place of the shared library's), so the real transport
// code reads lying devices without any USB stack.
#pragma once

#include <libusb.h>

#include <cstddef>
#include <cstdint>

namespace fake_usb {

// Bytes the next bulk-in transfers hand out, in order, and the bytes one
// control transfer answers with. Both are borrowed, not copied.
void SetBulkIn(const uint8_t* data, size_t size);
void SetControlIn(const uint8_t* data, size_t size);

// A handle the transport can pass around; never dereferenced.
libusb_device_handle* Handle();

}  // namespace fake_usb
