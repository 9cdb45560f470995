#include "device_cmd.h"
#include "device_recv.h"
#include "shared_files.h"
#include "usb_identity.h"
#include "record_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Bytes(const DeviceCmd& cmd) { return std::string(cmd.Bytes(), cmd.Length()); }

std::string Header(const std::string& name, const std::string& parameter, const std::string& lengthField)
{
    std::string h = "\x1bP";
    h += name + std::string(6 - name.size(), ' ');
    h += parameter + std::string(16 - parameter.size(), ' ');
    h += lengthField;
    return h;
}

TEST(DeviceCmd, RecordsWithAndWithoutData)
{
    DeviceCmd cmd;
    ASSERT_EQ(cmd.MakeCmd("CNTRL", "START", 0, nullptr), 0);
    EXPECT_EQ(Bytes(cmd), Header("CNTRL", "START", "        "));
    EXPECT_EQ(cmd.Bytes()[32], '\0');
    EXPECT_EQ(cmd.Bytes()[33], '\0');

    // A second MakeCmd replaces the first record.
    ASSERT_EQ(cmd.MakeCmd("IMAGE", "MULTICUT", 8, "00000001"), 0);
    EXPECT_EQ(cmd.Length(), 40);
    EXPECT_EQ(Bytes(cmd), Header("IMAGE", "MULTICUT", "00000008") + "00000001");

    // Full-width name and parameter leave no separating spaces.
    ASSERT_EQ(cmd.MakeCmd("MNT_RD", "MEDIA_CLASS_RFID", 0, nullptr), 0);
    EXPECT_EQ(Bytes(cmd), "\x1bPMNT_RDMEDIA_CLASS_RFID        ");

    // No parameter and no data is a bare 32-byte record.
    ASSERT_EQ(cmd.MakeCmd("STATUS", nullptr, 0, nullptr), 0);
    EXPECT_EQ(Bytes(cmd), Header("STATUS", "", "        "));
}

TEST(DeviceCmd, RefusesBlockTooLongForLengthField)
{
    // The pointer is never read: the length is judged before anything is copied.
    static const char marker = 0;
    DeviceCmd cmd;
    EXPECT_EQ(cmd.MakeCmd("IMAGE", "YPLANE", 100000000, &marker), 3);
    EXPECT_EQ(cmd.Length(), 0);
    EXPECT_EQ(cmd.Bytes(), nullptr);
}

struct Reply {
    DeviceRecv recv;
    Reply(int size, const std::string& bytes, const char* prefix = nullptr) : recv(size, prefix)
    {
        EXPECT_EQ(recv.Alloc(), 0);
        const size_t n = std::min(bytes.size(), static_cast<size_t>(recv.GetBufferLength()));
        if (n > 0)
            memcpy(recv.Buffer(), bytes.data(), n);
    }
    std::string Effective() const
    {
        std::vector<char> out(4097, 'x');
        EXPECT_EQ(recv.GetEffectiveDataAsString(out.data()), 0);
        return out.data();
    }
};

TEST(DeviceRecv, FixedSizeReplies)
{
    // A status body of seven digits and its carriage return.
    Reply good(8, "000000080001000\r");
    EXPECT_EQ(good.recv.CheckData(), 0);
    EXPECT_EQ(good.Effective(), "0001000");

    // Length matches but the body holds neither CR nor NUL: the window is
    // full with no end marker, so the reply is refused.
    Reply full(8, "00000008ABCDEFGH");
    EXPECT_EQ(full.recv.CheckData(), 3);

    // Declared length differs but the reply was short: the zero tail shows.
    Reply shortReply(8, "00000004ab\r");
    EXPECT_EQ(shortReply.recv.CheckData(), 0);
    EXPECT_EQ(shortReply.Effective(), "ab");

    // Declared length differs and the window is full: refused.
    Reply overfull(8, "00000009ABCDEFGH");
    EXPECT_EQ(overfull.recv.CheckData(), 3);

    Reply prefixed(8, "0000000800OK\r123", "00");
    EXPECT_EQ(prefixed.recv.CheckData(), 0);
    EXPECT_EQ(prefixed.Effective(), "OK");
    Reply wrongPrefix(8, "0000000811OK\r123", "00");
    EXPECT_EQ(wrongPrefix.recv.CheckData(), 3);
}

TEST(DeviceRecv, VariableSizeReplies)
{
    Reply serial(-1, "00000009ZR123456\r");
    EXPECT_EQ(serial.recv.CheckData(), 0);
    EXPECT_EQ(serial.Effective(), "ZR123456");

    // No CR but shorter than the window: the zero tail ends it.
    Reply noCr(-1, "000000041.53");
    EXPECT_EQ(noCr.recv.CheckData(), 0);
    EXPECT_EQ(noCr.Effective(), "1.53");

    // A window filled to the last byte without CR or NUL is refused, and its
    // effective data runs to the end of the window.
    Reply full(-1, "00004088" + std::string(4088, 'A'));
    EXPECT_EQ(full.recv.CheckData(), 3);
    EXPECT_EQ(full.Effective(), std::string(4088, 'A'));

    // An empty body (CR right after the digits) gives an empty text.
    Reply empty(-1, "00000001\r");
    EXPECT_EQ(empty.Effective(), "");
}

TEST(DeviceRecv, LengthDigitsAreJudgedAgainstTheWindow)
{
    DeviceRecv fixed(8);
    EXPECT_EQ(fixed.BodyLengthFromDigits("00000008"), 8);
    EXPECT_EQ(fixed.BodyLengthFromDigits("00000009"), -1);
    DeviceRecv variable(-1);
    EXPECT_EQ(variable.BodyLengthFromDigits("00004088"), 4088);
    EXPECT_EQ(variable.BodyLengthFromDigits("00004089"), -1);
}

}  // namespace

// The names the programs find each other's files by, and the one rule for
// what may go into them: the daemon, the backend, the filter and the status
// monitor all build them here.
TEST(SharedFiles, NamesAndTheOneRuleForSerialsAndJobIds)
{
    for (const char* ok : {"A1234", "a-b_c.d", "0", "X.."})
        EXPECT_EQ(InfoFilePath(ok), std::string("/tmp/ZR_") + ok + ".log");
    EXPECT_TRUE(IsAcceptableSerial(std::string(63, 'Z').c_str()));
    for (const char* bad : {"", ".", ".x", "a b", "a;b", "a/b", "$(x)", "a\"b", "a\nb", "\xc3\xa9"}) {
        EXPECT_EQ(InfoFilePath(bad), "") << bad;
        EXPECT_EQ(WatchFileName(bad), "") << bad;
        EXPECT_EQ(PauseFileName(bad), "") << bad;
    }
    EXPECT_FALSE(IsAcceptableSerial(std::string(64, 'Z').c_str()));
    EXPECT_EQ(WatchFileName("A1"), "ZR_A1_UTIL");
    EXPECT_EQ(CountRequestName("A1"), "ZR_A1_TC_UTIL");
    EXPECT_EQ(PauseFileName("A1"), "Pause_korvane-zvobackend:__KORVANE_ZR?serial=A1");
    EXPECT_STREQ(UriSerial(DeviceUri("A1").c_str()), "A1");

    EXPECT_EQ(JobFilePath("42"), "/tmp/Print_42.log");
    EXPECT_EQ(JobFilePath(std::string(20, '9').c_str()), "/tmp/Print_" + std::string(20, '9') + ".log");
    for (const char* bad : {"", "4 2", "../x", "-1", "x"})
        EXPECT_EQ(JobFilePath(bad), "") << bad;
    EXPECT_EQ(JobFilePath(std::string(21, '9').c_str()), "");
}

TEST(UsbIdentity, OnlyAKorvaneZrPhotoPrinterIsOurs)
{
    const char* id = "MANUFACTURER:KORVANE;COMMAND SET:ZR;MODEL:ZR;";
    EXPECT_TRUE(IsZrPrinter("ZR Photo Printer", id));
    EXPECT_FALSE(IsZrPrinter("ZR Printer", id));
    EXPECT_FALSE(IsZrPrinter("ZR Photo Printer", "MFG:KORVANE;MDL:ZR;"));
    EXPECT_FALSE(IsZrPrinter("ZR Photo Printer", "MANUFACTURER:OTHER;MODEL:ZR;"));
    EXPECT_FALSE(IsZrPrinter(nullptr, id));
}

// The key="value" line round trip that the daemon's information file and
// the backend's job file rely on.
TEST(KeyValueLine, ValuesComeBackAsWritten)
{
    for (const std::string value : {"", "310", "1.53 build 7", "a=b"})
        EXPECT_EQ(QuotedValue(KeyValueLine("KEY", value)), value);
}
