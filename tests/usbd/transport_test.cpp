// The USB transport and printer queries against one emulated printer, with
// interface 0 claimed by this process. Runs under umockdev-wrapper. The
// record checks themselves are tests/protocol's; the values of every query
// reach the information file in the daemon test.
#include "emulated_bus.h"
#include "printer_queries.h"
#include "usb_transport.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using zrsim::ReplyFault;

class Transport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zrsim::EmulatedBus::Available()) << "run this test under umockdev-wrapper";
        bus = std::make_unique<zrsim::EmulatedBus>();
        model = std::make_shared<zrsim::ZrPrinterModel>();
        bus->Plug(model);
        ASSERT_EQ(libusb_init(&context), 0);
        handle = libusb_open_device_with_vid_pid(context, 0x1343, 0x0005);
        ASSERT_NE(handle, nullptr);
        ASSERT_EQ(libusb_claim_interface(handle, 0), 0);
    }

    void TearDown() override
    {
        if (handle != nullptr) {
            libusb_release_interface(handle, 0);
            libusb_close(handle);
        }
        if (context != nullptr)
            libusb_exit(context);
        bus.reset();
    }

    std::unique_ptr<zrsim::EmulatedBus> bus;
    std::shared_ptr<zrsim::ZrPrinterModel> model;
    libusb_context* context = nullptr;
    libusb_device_handle* handle = nullptr;
};

std::vector<size_t> ChunksOfWrite(zrsim::ZrPrinterModel& model, libusb_device_handle* handle, int length)
{
    model.ClearLogs();
    std::vector<unsigned char> data(static_cast<size_t>(length), 'x');
    EXPECT_EQ(deviceWrite(handle, data.data(), length), 0);
    return model.OutChunks();
}

TEST_F(Transport, WritesKeepTheirTailForALaterTransfer)
{
    EXPECT_EQ(ChunksOfWrite(*model, handle, 600), (std::vector<size_t>{344, 256}));
    EXPECT_EQ(ChunksOfWrite(*model, handle, 70000), (std::vector<size_t>{65536, 4208, 256}));
    EXPECT_EQ(ChunksOfWrite(*model, handle, 511), (std::vector<size_t>{511}));

    // A printer that takes no bytes ends the write instead of looping.
    model->Update([](zrsim::PrinterState& s) { s.acceptsNoBytes = true; });
    model->ClearLogs();
    char data[100] = {};
    EXPECT_NE(deviceWrite(handle, data, sizeof data), 0);
    EXPECT_EQ(model->OutChunks().size(), 1u);
}

TEST_F(Transport, LongRepliesAreCutToTheirField)
{
    model->Update([](zrsim::PrinterState& s) { s.firmware = std::string(3000, 'V'); });
    char out[kQueryOutSize + 8];
    memset(out, '#', sizeof out);
    // The answer is the length of what the field holds.
    EXPECT_EQ(GetFirmVersion(handle, out), kQueryOutSize - 1);
    EXPECT_EQ(out[kQueryOutSize], '#');
}

TEST_F(Transport, GarbledRepliesAreRefused)
{
    const auto statusFor = [this](const std::string& raw) {
        model->DiscardReply();
        model->Update([raw](zrsim::PrinterState& s) { s.rawReplies = {raw}; });
        return GetStatus(handle);
    };
    // Nine body bytes do not fit the status reply's 16-byte window; a
    // shorter body shows the zero tail and is read as far as it goes.
    EXPECT_EQ(statusFor("00000009000001000\r"), kStatusFailed);
    EXPECT_EQ(statusFor("00000004900\r"), 900);

    char out[kQueryOutSize];
    // A letter in the length digits, or a zero length, ends the exchange
    // before the body is asked for: one bulk-in transfer only.
    for (const char* raw : {"0000A008SERIAL\r", "00000000"}) {
        model->DiscardReply();
        model->Update([raw](zrsim::PrinterState& s) { s.rawReplies = {raw}; });
        bus->ClearLog();
        EXPECT_EQ(GetSerialNo(handle, out), -1) << raw;
        int reads = 0;
        for (const auto& e : bus->Log())
            reads += e.kind == zrsim::AccessEntry::BulkIn;
        EXPECT_EQ(reads, 1) << raw;
    }
}

TEST_F(Transport, ASilentPrinterTimesOut)
{
    model->Update([](zrsim::PrinterState& s) { s.fault = ReplyFault::Silent; });
    char out[kQueryOutSize];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetSerialNo(handle, out), -1);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 9.5);
    EXPECT_LT(waited, 15.0);
    // The printer recovers; the timed-out transfer left nothing behind.
    model->Update([](zrsim::PrinterState& s) { s.fault = ReplyFault::None; });
    EXPECT_EQ(GetSerialNo(handle, out), 5);
}

TEST_F(Transport, DeviceIdLengthRules)
{
    char id[2048];
    const std::string text30(30, 'T');
    const struct {
        const char* length;  // the two length bytes
        size_t size;         // of the caller's buffer
        const char* why;
        int result;
        std::string text;
    } cases[] = {
        {"\x00\x20", sizeof id, "big-endian 32", 0, text30},
        {"\x20\x00", sizeof id, "big-endian 8192 does not fit: little-endian 32", 0, text30},
        {"\x0d\x00", sizeof id, "13 either way round: refused", -1, ""},
        {"\x00\xff", sizeof id, "more than was sent: cut to what arrived", 0, text30},
        {"\x00\xff", 20, "more than the buffer holds: cut to it", 0, text30.substr(0, 18)},
    };
    for (const auto& c : cases) {
        model->Update([&](zrsim::PrinterState& s) { s.rawDeviceId = std::string(c.length, 2) + text30; });
        memset(id, 'S', sizeof id);
        EXPECT_EQ(get_device_id(handle, id, c.size), c.result) << c.why;
        EXPECT_EQ(std::string(id), c.text) << c.why;
    }
}

// The daemon and a print backend may open the printer at the same time.
// As with usbfs, only one open file holds interface 0, and each file gets
// back only its own transfers: crossed replies would crash either program.
TEST_F(Transport, TwoProgramsShareThePrinterOneClaimAtATime)
{
    libusb_context* other = nullptr;
    ASSERT_EQ(libusb_init(&other), 0);
    libusb_device_handle* second = libusb_open_device_with_vid_pid(other, 0x1343, 0x0005);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(libusb_claim_interface(second, 0), LIBUSB_ERROR_BUSY);

    // A read left waiting on the first file is not the second file's reply.
    unsigned char waiting[64];
    libusb_transfer* pending = libusb_alloc_transfer(0);
    libusb_fill_bulk_transfer(pending, handle, 0x82, waiting, sizeof waiting, nullptr, nullptr, 0);
    ASSERT_EQ(libusb_submit_transfer(pending), 0);
    char out[kQueryOutSize];
    EXPECT_EQ(GetSerialNo(second, out), 5) << "the second file asks while the first still waits";
    EXPECT_STREQ(out, "A1234");
    EXPECT_EQ(libusb_cancel_transfer(pending), 0);
    timeval brief{0, 100000};
    libusb_handle_events_timeout(context, &brief);

    // Closing the first file gives its claim up, as the kernel does, without
    // a release: a program that dies holding the printer does not block it.
    // The emulation learns of the close a moment later.
    libusb_close(handle);
    handle = nullptr;
    int claimed = LIBUSB_ERROR_BUSY;
    for (int i = 0; i < 100 && claimed == LIBUSB_ERROR_BUSY; ++i) {
        claimed = libusb_claim_interface(second, 0);
        if (claimed == LIBUSB_ERROR_BUSY)
            usleep(10000);
    }
    EXPECT_EQ(claimed, 0);
    EXPECT_EQ(GetSerialNo(second, out), 5);
    EXPECT_EQ(libusb_release_interface(second, 0), 0);
    libusb_close(second);
    libusb_exit(other);
    libusb_free_transfer(pending);
}

}  // namespace
