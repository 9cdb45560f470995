// The USB transport and printer queries against an emulated printer.
#include "emulated_printer_fixture.h"

#include "device_cmd.h"
#include "device_recv.h"
#include "printer_queries.h"
#include "usb_transport.h"

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Transport = EmulatedPrinterTest;
using zrsim::ReplyFault;

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
    EXPECT_EQ(ChunksOfWrite(*model, handle, 65800), (std::vector<size_t>{65536, 264}));
    EXPECT_EQ(ChunksOfWrite(*model, handle, 511), (std::vector<size_t>{511}));
    EXPECT_EQ(deviceWrite(handle, nullptr, 10), 3);
    EXPECT_EQ(deviceWrite(handle, "x", 0), 3);
}

TEST_F(Transport, AWriteThePrinterDoesNotTakeEnds)
{
    model->Update([](zrsim::PrinterState& s) { s.acceptsNoBytes = true; });
    char data[100] = {};
    EXPECT_NE(deviceWrite(handle, data, sizeof data), 0);
    EXPECT_EQ(model->OutChunks().size(), 1u);
}

TEST_F(Transport, QueriesAnswerTheReplyText)
{
    char out[kQueryOutSize];
    EXPECT_EQ(GetSerialNo(handle, out), 5);
    EXPECT_STREQ(out, "A1234");
    EXPECT_EQ(GetFirmVersion(handle, out), 4);
    EXPECT_STREQ(out, "1.53");
    EXPECT_EQ(GetMediaSize(handle, out), 5);
    EXPECT_STREQ(out, "MS310");
    EXPECT_GT(GetMediaInitial(handle, out), 0);
    EXPECT_STREQ(out, "MQD:400");
    EXPECT_GT(GetMediaRemain(handle, out), 0);
    EXPECT_STREQ(out, "MQR:123");
    EXPECT_GT(GetTotalCount(handle, out, false), 0);
    EXPECT_STREQ(out, "CL5678");
    const auto records = model->Records();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0].name, "INFO");
    EXPECT_EQ(records[0].parameter, "SERIAL_NUMBER");
    EXPECT_EQ(records[5].name, "MNT_RD");
    EXPECT_EQ(records[5].parameter, "COUNTER_LIFE");
    EXPECT_EQ(GetSerialNo(nullptr, out), -1);
    EXPECT_EQ(GetSerialNo(handle, nullptr), -1);
}

TEST_F(Transport, LongRepliesAreCutToTheirField)
{
    model->Update([](zrsim::PrinterState& s) { s.firmware = std::string(3000, 'V'); });
    char out[kQueryOutSize + 8];
    memset(out, '#', sizeof out);
    EXPECT_EQ(GetFirmVersion(handle, out), kQueryOutSize - 1);
    EXPECT_EQ(strlen(out), size_t(kQueryOutSize - 1));
    EXPECT_EQ(out[kQueryOutSize], '#');
}

TEST_F(Transport, StatusWindow)
{
    model->Update([](zrsim::PrinterState& s) { s.status = 1000; });
    EXPECT_EQ(GetStatus(handle), 1000);
    model->Update([](zrsim::PrinterState& s) { s.status = 99999; });
    EXPECT_EQ(GetStatus(handle), 99999);

    const auto statusFor = [this](const std::string& raw) {
        model->DiscardReply();
        model->Update([raw](zrsim::PrinterState& s) { s.rawReplies = {raw}; });
        return GetStatus(handle);
    };
    // Nine body bytes do not fit the 16-byte window.
    EXPECT_EQ(statusFor("00000009000001000\r"), kStatusFailed);
    // Eight body bytes without CR or NUL are not a finished reply.
    EXPECT_EQ(statusFor("0000000800001000"), kStatusFailed);
    // A shorter body shows the zero tail and is read as far as it goes.
    EXPECT_EQ(statusFor("00000004900\r"), 900);
}

TEST_F(Transport, RefusedReplyHeaders)
{
    char out[kQueryOutSize];
    // A letter in the length digits, or a zero length, ends the exchange
    // before the body is asked for: one bulk-in transfer only.
    for (const char* raw : {"0000A008SERIAL\r", "00000000"}) {
        model->Update([raw](zrsim::PrinterState& s) { s.rawReplies = {raw}; });
        bus->ClearLog();
        EXPECT_EQ(GetSerialNo(handle, out), -1) << raw;
        int reads = 0;
        for (const auto& e : bus->Log())
            reads += e.kind == zrsim::AccessEntry::BulkIn;
        EXPECT_EQ(reads, 1) << raw;
        model->DiscardReply();
    }
    model->Update([](zrsim::PrinterState& s) { s.fault = ReplyFault::BadHeader; });
    EXPECT_EQ(GetStatus(handle), kStatusFailed);
    EXPECT_EQ(GetSerialNo(handle, out), -1);
    EXPECT_STREQ(out, "");
    model->Update([](zrsim::PrinterState& s) { s.fault = ReplyFault::BusError; });
    EXPECT_EQ(GetFirmVersion(handle, out), -1);
    EXPECT_EQ(GetStatus(handle), kStatusFailed);
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

TEST_F(Transport, AShortBodyIsJudgedByTheReplyCheck)
{
    char out[kQueryOutSize];
    model->Update([](zrsim::PrinterState& s) {
        s.fault = ReplyFault::ShortBody;
        s.serial = "SERIAL12";
    });
    // A variable reply that stops early still shows its zero tail: accepted
    // with the text that arrived.
    EXPECT_EQ(GetSerialNo(handle, out), 6);
    EXPECT_STREQ(out, "SERIAL");
    // The status body "0001000\r" cut to "00010": read as 10.
    model->Update([](zrsim::PrinterState& s) { s.status = 1000; });
    EXPECT_EQ(GetStatus(handle), 10);
}

TEST_F(Transport, DeviceIdLengthRules)
{
    char id[2048];
    EXPECT_EQ(get_device_id(handle, id, sizeof id), 0);
    EXPECT_STREQ(id, model->State().deviceId.c_str());

    const std::string text30(30, 'T');
    const auto setRaw = [this](const std::string& raw) {
        model->Update([raw](zrsim::PrinterState& s) { s.rawDeviceId = raw; });
    };
    setRaw(std::string("\x00\x20", 2) + text30);
    EXPECT_EQ(get_device_id(handle, id, sizeof id), 0);
    EXPECT_EQ(std::string(id), text30);
    // Big-endian 8192 does not fit: read little-endian as 32.
    setRaw(std::string("\x20\x00", 2) + text30);
    EXPECT_EQ(get_device_id(handle, id, sizeof id), 0);
    EXPECT_EQ(std::string(id), text30);
    // 13 either way round (big-endian 3328 does not fit): refused.
    setRaw(std::string("\x0d\x00", 2) + text30);
    EXPECT_EQ(get_device_id(handle, id, sizeof id), -1);
    EXPECT_STREQ(id, "");
    // Lying lengths: more than was sent, or more than the buffer holds, are
    // cut to what arrived and to the buffer.
    memset(id, 'S', sizeof id);
    setRaw(std::string("\x00\xff", 2) + text30);
    EXPECT_EQ(get_device_id(handle, id, sizeof id), 0);
    EXPECT_EQ(std::string(id), text30);
    char small[20];
    EXPECT_EQ(get_device_id(handle, small, sizeof small), 0);
    EXPECT_EQ(std::string(small), text30.substr(0, 18));
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
    EXPECT_EQ(libusb_release_interface(second, 0), LIBUSB_ERROR_NOT_FOUND);

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
