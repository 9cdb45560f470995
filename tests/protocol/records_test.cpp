#include "device_cmd.h"
#include "device_recv.h"
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

TEST(DeviceCmd, DataNeedsBothLengthAndPointer)
{
    DeviceCmd cmd;
    ASSERT_EQ(cmd.MakeCmd("CNTRL", "CUTTER", 0, "00000120"), 0);
    EXPECT_EQ(cmd.Length(), 32);
    ASSERT_EQ(cmd.MakeCmd("CNTRL", "CUTTER", 8, nullptr), 0);
    EXPECT_EQ(cmd.Length(), 32);
    EXPECT_EQ(Bytes(cmd).substr(24), "        ");
    // Binary data, NUL bytes included, is copied as it is.
    const char binary[4] = {0, 1, 2, 0};
    ASSERT_EQ(cmd.MakeCmd("IMAGE", "YPLANE", 4, binary), 0);
    EXPECT_EQ(Bytes(cmd).substr(24), std::string("00000004") + std::string(binary, 4));
}

TEST(DeviceCmd, RefusesBadArgumentsAndLeavesEmptyRecord)
{
    DeviceCmd cmd;
    const char data[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    EXPECT_EQ(cmd.MakeCmd("TOOLONG", "START", 0, nullptr), 3);
    EXPECT_EQ(cmd.Length(), 0);
    EXPECT_EQ(cmd.Bytes(), nullptr);
    ASSERT_EQ(cmd.MakeCmd("CNTRL", "START", 0, nullptr), 0);
    EXPECT_EQ(cmd.MakeCmd("CNTRL", "SEVENTEEN_CHARSXX", 0, nullptr), 3);
    EXPECT_EQ(cmd.Length(), 0);
    EXPECT_EQ(cmd.MakeCmd("CNTRL", nullptr, 8, data), 3);
    EXPECT_EQ(cmd.Length(), 0);
    EXPECT_EQ(cmd.MakeCmd(nullptr, "START", 0, nullptr), 3);
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

TEST(DeviceRecv, WindowsAndAllocation)
{
    EXPECT_EQ(DeviceRecv(0).GetBufferLength(), 0);
    EXPECT_EQ(DeviceRecv(-1).GetBufferLength(), 4096);
    EXPECT_EQ(DeviceRecv(8).GetBufferLength(), 16);
    DeviceRecv none(0);
    EXPECT_EQ(none.Alloc(), 0);
    EXPECT_EQ(none.Buffer(), nullptr);
    DeviceRecv fixed(8);
    ASSERT_EQ(fixed.Alloc(), 0);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(fixed.Buffer()[i], '\0');
}

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

TEST(DeviceRecv, NoReplyExpectedAndMissingBuffers)
{
    DeviceRecv none(0);
    ASSERT_EQ(none.Alloc(), 0);
    EXPECT_EQ(none.CheckData(), 3);
    char out[8] = "junk";
    EXPECT_EQ(none.GetEffectiveDataAsString(out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(none.GetEffectiveDataAsString(nullptr), 3);
    DeviceRecv notAllocated(8);
    EXPECT_EQ(notAllocated.CheckData(), 3);
}

TEST(DeviceRecv, LengthDigitsAreJudgedAgainstTheWindow)
{
    DeviceRecv fixed(8);
    EXPECT_EQ(fixed.BodyLengthFromDigits("00000008"), 8);
    EXPECT_EQ(fixed.BodyLengthFromDigits("00000009"), -1);
    EXPECT_EQ(fixed.BodyLengthFromDigits("00000000"), -1);
    EXPECT_EQ(fixed.BodyLengthFromDigits("0000 008"), -1);
    EXPECT_EQ(fixed.BodyLengthFromDigits("-0000008"), -1);
    DeviceRecv variable(-1);
    EXPECT_EQ(variable.BodyLengthFromDigits("00004088"), 4088);
    EXPECT_EQ(variable.BodyLengthFromDigits("00004089"), -1);
    EXPECT_EQ(variable.BodyLengthFromDigits("99999999"), -1);
}

TEST(RecordText, TextToIntAndLittleEndianStores)
{
    EXPECT_EQ(_TextToInt("00000012", 8), 12);
    EXPECT_EQ(_TextToInt("0000001234", 8), 12);
    EXPECT_EQ(_TextToInt("42abc", 5), 42);
    EXPECT_EQ(_TextToInt("  -7x", 5), -7);
    EXPECT_EQ(_TextToInt("abc", 3), 0);
    EXPECT_EQ(_TextToInt("12", 8), 12);   // stops at the text's own end
    EXPECT_EQ(_TextToInt("12", 0), 0);
    EXPECT_EQ(_TextToInt("12", 600), -1);
    EXPECT_EQ(_TextToInt("12", -1), -1);

    unsigned char b[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    _StoreLE2(b + 1, 0x12345678);
    EXPECT_EQ(b[1], 0x78);
    EXPECT_EQ(b[2], 0x56);
    EXPECT_EQ(b[3], 0xEE);
    _StoreLE4(b + 1, -2);
    EXPECT_EQ(b[1], 0xFE);
    EXPECT_EQ(b[4], 0xFF);
    EXPECT_EQ(b[5], 0xEE);
}

}  // namespace
