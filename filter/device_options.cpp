// The job options of DeviceEntry: settings stored for the photo processing and
// the per-print setting records. Every value comes from _GetCupsValue (job
// option, else PPD default); values that are not listed fall back to a default
// and are never an error.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cups_value.h"
#include "device_entry.h"
#include "printer_info.h"

namespace {

bool Is(const char* value, const char* text)
{
    return value != nullptr && strcmp(value, text) == 0;
}

// strtol's reading, then taken as a signed 32-bit number.
int32_t ToInt(const char* value)
{
    return static_cast<int32_t>(strtol(value, nullptr, 10));
}

// Scaled option values are kept in the 32-bit range instead of wrapping, so
// an absurd option can never turn into its opposite.
int32_t Saturate(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT32_MAX))
        return INT32_MAX;
    if (v <= static_cast<double>(INT32_MIN))
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t GammaPercent(const char* value)
{
    return Saturate(std::pow(2.0, ToInt(value) / 100.0) * 100.0);
}

// A combined option ("ZvoGamma") wins over its per-channel options
// ("ZvoGammaR", ...); absent channels take `absent`.
template <typename Convert>
void SetChannels(const char* name, int32_t absent, Convert convert, int32_t& r, int32_t& g, int32_t& b,
                 int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    if (const char* all = _GetCupsValue(name, optionCount, options, ppd)) {
        r = g = b = convert(all);
        return;
    }
    const char suffix[3] = {'R', 'G', 'B'};
    int32_t* channel[3] = {&r, &g, &b};
    for (int i = 0; i < 3; ++i) {
        char channelName[64];
        snprintf(channelName, sizeof channelName, "%s%c", name, suffix[i]);
        const char* value = _GetCupsValue(channelName, optionCount, options, ppd);
        *channel[i] = value != nullptr ? convert(value) : absent;
    }
}

}  // namespace

int DeviceEntry::SetResolution(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    const char* value = _GetCupsValue("Resolution", optionCount, options, ppd);
    if (Is(value, "300x600dpi")) {
        photoBuffer.resolution = 600;
        photoBuffer.resolutionMode = 1;
    } else if (Is(value, "600x600dpi")) {
        photoBuffer.resolution = 600;
        photoBuffer.resolutionMode = 2;
    } else {
        photoBuffer.resolution = 300;
        photoBuffer.resolutionMode = 0;
    }
    return UpdateMediaInfo(media) == 0 ? 1 : 0;
}

void DeviceEntry::SetBorder(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    photoBuffer.border = Is(_GetCupsValue("ZvoBorder", optionCount, options, ppd), "Enable");
}

void DeviceEntry::SetSharpness(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    static const int32_t kSteps[] = {-1000, -500, 0, 650, 700, 750, 800, 850, 900, 950, 1000};
    int32_t& sharpness = photoBuffer.sharpness;
    sharpness = 0;
    const char* value = _GetCupsValue("ZvoSharpness", optionCount, options, ppd);
    if (value == nullptr)
        return;
    const int32_t v = ToInt(value);
    if (v >= -2 && v <= 8)
        sharpness = kSteps[v + 2];
}

void DeviceEntry::SetGamma(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    PhotoImageBuffer& b = photoBuffer;
    SetChannels("ZvoGamma", 100, GammaPercent, b.gammaR, b.gammaG, b.gammaB, optionCount, options, ppd);
}

void DeviceEntry::SetIntensity(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    auto twice = [](const char* v) { return Saturate(2.0 * ToInt(v)); };
    PhotoImageBuffer& b = photoBuffer;
    SetChannels("ZvoBrightness", 0, twice, b.brightnessR, b.brightnessG, b.brightnessB, optionCount, options, ppd);
}

void DeviceEntry::SetContrast(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    auto tenfold = [](const char* v) { return Saturate(10.0 * ToInt(v)); };
    PhotoImageBuffer& b = photoBuffer;
    SetChannels("ZvoContrast", 0, tenfold, b.contrastR, b.contrastG, b.contrastB, optionCount, options, ppd);
}

void DeviceEntry::SetSaturation(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    const char* value = _GetCupsValue("ZvoChroma", optionCount, options, ppd);
    photoBuffer.saturation = value != nullptr ? Saturate(10.0 * ToInt(value)) : 0;
}

void DeviceEntry::SetColorAdjustment(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    photoBuffer.colorAdjustment = Is(_GetCupsValue("ZvoColorAdjustment", optionCount, options, ppd), "Enable");
}

int DeviceEntry::SendNumber(const char* parameter, long value)
{
    char digits[32];
    snprintf(digits, sizeof digits, "%08ld", value);
    return SendControl(parameter, digits, 8);
}

void DeviceEntry::ReadPrintSettings(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    print.cut = Is(_GetCupsValue("Zvo2InchCut", optionCount, options, ppd), "Enable");
    print.retry = !Is(_GetCupsValue("ZvoPrintRetry", optionCount, options, ppd), "Disable");
    // Only the 300 x 600 dpi mode has a speed choice; the value is looked up
    // before the speed option because a PPD lookup overwrites the last answer.
    const bool fineMode = Is(_GetCupsValue("Resolution", optionCount, options, ppd), "300x600dpi");
    print.speed = 0;
    if (fineMode)
        print.speed = Is(_GetCupsValue("ZvoPrintSpeed", optionCount, options, ppd), "Enable") ? 30 : 10;
    const char* finish = _GetCupsValue("ZvoOvercoatFinish", optionCount, options, ppd);
    unsigned long code = 0;
    if (Is(finish, "Luster"))
        code = 22;
    else if (Is(finish, "Matte"))
        code = 1;
    else if (Is(finish, "FineMatte"))
        code = 21;
    double firmware = 0.0;
    overcoat.finishCode = -1;
    if (_GetFirmwVersion(0, &firmware) == 0)
        SetOvercoatFinish(code, firmware);
}

int DeviceEntry::SendCutterMode()
{
    const bool cut = print.cut && (media.mediaFlag & 0xFF) != 0;
    return SendNumber("CUTTER", cut ? 120 : 0);
}

int DeviceEntry::SendOvercoatFinish()
{
    // No record when the finish has no row the firmware knows.
    if (overcoat.finishCode == -1)
        return 0;
    return SendNumber("OVERCOAT", overcoat.overcoatValue);
}

int DeviceEntry::SendPrintRetry()
{
    return SendNumber("BUFFCNTRL", print.retry ? 1 : 0);
}

int DeviceEntry::SendPrintSpeed()
{
    return SendNumber("PRINTSPEED", print.speed);
}
