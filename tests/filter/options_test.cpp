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
    return {c.entry.photoBuffer.gammaR, c.entry.photoBuffer.gammaG, c.entry.photoBuffer.gammaB};
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
    EXPECT_EQ(e.photoBuffer.brightnessR, -30);
    EXPECT_EQ(e.photoBuffer.brightnessG, -30);
    EXPECT_EQ(e.photoBuffer.brightnessB, -30);
    EXPECT_EQ(e.photoBuffer.contrastR, 0);
    EXPECT_EQ(e.photoBuffer.contrastG, 30);
    EXPECT_EQ(e.photoBuffer.contrastB, -70);
    EXPECT_EQ(e.photoBuffer.saturation, 120);
    EXPECT_EQ(e.photoBuffer.sharpness, 650);

    const int32_t steps[] = {-1000, -500, 0, 650, 700, 750, 800, 850, 900, 950, 1000};
    for (int v = -3; v <= 9; ++v) {
        Options s(("ZvoSharpness=" + std::to_string(v)).c_str());
        e.SetSharpness(s.count, s.list, nullptr);
        EXPECT_EQ(e.photoBuffer.sharpness, v >= -2 && v <= 8 ? steps[v + 2] : 0) << v;
    }
    Options huge("ZvoBrightness=2000000000 ZvoContrast=-2000000000");
    e.SetIntensity(huge.count, huge.list, nullptr);
    e.SetContrast(huge.count, huge.list, nullptr);
    EXPECT_EQ(e.photoBuffer.brightnessR, INT32_MAX);
    EXPECT_EQ(e.photoBuffer.contrastB, INT32_MIN);
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
        EXPECT_EQ(c.entry.photoBuffer.border, on) << '"' << value << '"';
        EXPECT_EQ(c.entry.photoBuffer.colorAdjustment, on) << '"' << value << '"';
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
        EXPECT_EQ(c.entry.photoBuffer.resolution, k.resolution) << k.job;
        EXPECT_EQ(c.entry.photoBuffer.resolutionMode, k.mode) << k.job;
    }
    // An entry at an impossible resolution refuses to derive dot counts.
    CapturedEntry c;
    c.entry.photoBuffer.resolution = 450;
    DeviceMediaBufferInfo record{};
    record.mediaCode = 3;
    EXPECT_EQ(c.entry.UpdateMediaInfo(record), 3);
    EXPECT_EQ(record.pageLengthDots, 0);
    Options none;
    EXPECT_EQ(c.entry.SetResolution(none.count, none.list, nullptr), 1);
}

TEST(OutputPrimitives, EmptyRecordsWriteNothing)
{
    CapturedEntry c;
    char bytes[] = "xyz";
    EXPECT_EQ(c.entry.SetCommand(nullptr, 3), 0);
    EXPECT_EQ(c.entry.SetCommand(bytes, 0), 0);
    DeviceCmd refused;
    refused.MakeCmd("TOOLONGNAME", nullptr, 0, nullptr);
    EXPECT_EQ(c.entry.DeviceIO(&refused), 0);
    EXPECT_EQ(c.Take(), "");
    EXPECT_EQ(c.entry.SetCommand(bytes, 3), 1);
    EXPECT_EQ(c.Take(), "xyz");
}

}  // namespace
