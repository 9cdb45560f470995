// The option handlers of the device entry: stored settings with their worked
// values, and the exact setting records written per print.
#include <gtest/gtest.h>

#include <climits>

#include "filter_fixtures.h"

namespace {

struct Settings {
    int32_t r, g, b;
};

Settings Gamma(const char* job, const char* ppdText = "")
{
    PpdFile ppd(ppdText);
    Options options(job);
    CapturedEntry c;
    c.entry.SetGamma(options.count, options.list, ppd.handle);
    return {c.entry.gammaR, c.entry.gammaG, c.entry.gammaB};
}

TEST(ToneOptions, GammaIsTwoToTheHundredthPercentAndTheCombinedOptionWins)
{
    const std::pair<const char*, int32_t> worked[] = {
        {"ZvoGamma=0", 100}, {"ZvoGamma=50", 141}, {"ZvoGamma=100", 200}, {"ZvoGamma=-100", 50},
        {"ZvoGamma=abc", 100}, {"ZvoGamma=99999", INT32_MAX}, {"ZvoGamma=-99999", 0}};
    for (const auto& [job, value] : worked) {
        const Settings s = Gamma(job);
        EXPECT_EQ(s.r, value) << job;
        EXPECT_EQ(s.g, value) << job;
        EXPECT_EQ(s.b, value) << job;
    }
    const Settings channels = Gamma("ZvoGammaR=100 ZvoGammaB=-100");
    EXPECT_EQ(channels.r, 200);
    EXPECT_EQ(channels.g, 100);
    EXPECT_EQ(channels.b, 50);
    // A PPD default of the combined option hides a per-channel job option.
    const Settings hidden = Gamma("ZvoGammaR=100", "*DefaultZvoGamma: 50\n");
    EXPECT_EQ(hidden.r, 141);
    const Settings none = Gamma("");
    EXPECT_EQ(none.r + none.g + none.b, 300);
}

TEST(ToneOptions, BrightnessContrastChromaAndSharpnessScaleTheirValues)
{
    Options job("ZvoBrightness=-15 ZvoContrastG=3 ZvoContrastB=-7 ZvoChroma=12 ZvoSharpness=1");
    CapturedEntry c;
    DeviceEntry& e = c.entry;
    e.SetIntensity(job.count, job.list, nullptr);
    e.SetContrast(job.count, job.list, nullptr);
    e.SetSaturation(job.count, job.list, nullptr);
    e.SetSharpness(job.count, job.list, nullptr);
    EXPECT_EQ(e.brightnessR, -30);
    EXPECT_EQ(e.brightnessG, -30);
    EXPECT_EQ(e.brightnessB, -30);
    EXPECT_EQ(e.contrastR, 0);
    EXPECT_EQ(e.contrastG, 30);
    EXPECT_EQ(e.contrastB, -70);
    EXPECT_EQ(e.saturation, 120);
    EXPECT_EQ(e.sharpness, 650);

    const int32_t steps[] = {-1000, -500, 0, 650, 700, 750, 800, 850, 900, 950, 1000};
    for (int v = -3; v <= 9; ++v) {
        Options s(("ZvoSharpness=" + std::to_string(v)).c_str());
        e.SetSharpness(s.count, s.list, nullptr);
        EXPECT_EQ(e.sharpness, v >= -2 && v <= 8 ? steps[v + 2] : 0) << v;
    }
    Options huge("ZvoBrightness=2000000000 ZvoContrast=-2000000000");
    e.SetIntensity(huge.count, huge.list, nullptr);
    e.SetContrast(huge.count, huge.list, nullptr);
    EXPECT_EQ(e.brightnessR, INT32_MAX);
    EXPECT_EQ(e.contrastB, INT32_MIN);
}

TEST(SwitchOptions, OnlyTheExactWordEnableSwitchesOn)
{
    const std::pair<const char*, bool> values[] = {
        {"Enable", true}, {"enable", false}, {"Enable ", false}, {"True", false}};
    for (const auto& [value, on] : values) {
        cups_option_t* list = nullptr;
        int n = cupsAddOption("ZvoBorder", value, 0, &list);
        n = cupsAddOption("ZvoColorAdjustment", value, n, &list);
        CapturedEntry c;
        c.entry.SetBorder(n, list, nullptr);
        c.entry.SetColorAdjustment(n, list, nullptr);
        EXPECT_EQ(c.entry.border, on) << '"' << value << '"';
        EXPECT_EQ(c.entry.colorAdjustment, on) << '"' << value << '"';
        cupsFreeOptions(n, list);
    }
}

TEST(ResolutionOption, TwoFineModesAndEverythingElseIsPlain)
{
    const struct {
        const char* job;
        int64_t resolution, mode;
    } cases[] = {{"Resolution=300x600dpi", 600, 1}, {"Resolution=600x600dpi", 600, 2},
                 {"Resolution=300dpi", 300, 0},     {"Resolution=600dpi", 300, 0},
                 {"", 300, 0}};
    for (const auto& k : cases) {
        Options job(k.job);
        CapturedEntry c;
        EXPECT_EQ(c.entry.SetResolution(job.count, job.list, nullptr), 1) << k.job;
        EXPECT_EQ(c.entry.resolution, k.resolution) << k.job;
        EXPECT_EQ(c.entry.resolutionMode, k.mode) << k.job;
    }
    // An entry at an impossible resolution refuses to derive dot counts.
    CapturedEntry c;
    c.entry.resolution = 450;
    DeviceMediaBufferInfo record{};
    record.mediaCode = 3;
    EXPECT_EQ(c.entry.UpdateMediaInfo(record), 3);
    EXPECT_EQ(record.pageLengthDots, 0);
    Options none;
    EXPECT_EQ(c.entry.SetResolution(none.count, none.list, nullptr), 1);
}

TEST(PrintRecords, EachHandlerWritesItsRecordByteForByte)
{
    CapturedEntry c;
    Options job("Zvo2InchCut=Enable ZvoOvercoatFinish=FineMatte ZvoPrintRetry=Disable");
    ASSERT_EQ(c.entry.SetMediaSize(job.count, job.list, nullptr), 1);
    EXPECT_EQ(c.Take(), Record("IMAGE", "MULTICUT", "00000002"));
    EXPECT_EQ(c.entry.SendCutterMode(job.count, job.list, nullptr), 1);
    EXPECT_EQ(c.entry.SendOvercoatFinish(job.count, job.list, nullptr), 1);
    EXPECT_EQ(c.entry.SendPrintRetry(job.count, job.list, nullptr), 1);
    EXPECT_EQ(c.entry.SendPrintSpeed(job.count, job.list, nullptr), 1);
    EXPECT_EQ(c.entry.SendDecurl(job.count, job.list, nullptr), 0);
    EXPECT_EQ(c.entry.SendSysTime(), 0);
    EXPECT_EQ(c.Take(), Record("CNTRL", "CUTTER", "00000120") + Record("CNTRL", "OVERCOAT", "00000021") +
                            Record("CNTRL", "BUFFCNTRL", "00000000") + Record("CNTRL", "PRINTSPEED", "00000000"));

    // The 300 x 600 dpi mode alone has a speed; a PPD default counts as well.
    PpdFile ppd("*DefaultResolution: 300x600dpi\n*DefaultZvoPrintSpeed: Enable\n");
    Options none;
    c.entry.SendPrintSpeed(none.count, none.list, ppd.handle);
    Options slow("ZvoPrintSpeed=Disable");
    c.entry.SendPrintSpeed(slow.count, slow.list, ppd.handle);
    EXPECT_EQ(c.Take(), Record("CNTRL", "PRINTSPEED", "00000030") + Record("CNTRL", "PRINTSPEED", "00000010"));

    // The cutter needs a 6-inch sheet.
    Options fiveBySeven("PageSize=127x178mm Zvo2InchCut=Enable");
    c.entry.SetMediaSize(fiveBySeven.count, fiveBySeven.list, nullptr);
    c.Take();
    c.entry.SendCutterMode(fiveBySeven.count, fiveBySeven.list, nullptr);
    EXPECT_EQ(c.Take(), Record("CNTRL", "CUTTER", "00000000"));

    CapturedEntry raw;
    char bytes[] = "xyz";
    EXPECT_EQ(raw.entry.SetCommand(nullptr, 3), 0);
    EXPECT_EQ(raw.entry.SetCommand(bytes, 0), 0);
    EXPECT_EQ(raw.entry.SetCommand(bytes, 3), 1);
    EXPECT_EQ(raw.Take(), "xyz");
}

}  // namespace
