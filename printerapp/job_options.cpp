#include "job_options.h"

#include "device_entry_zr.h"

#include <cstdlib>
#include <cstring>

const AppMedia kAppMedia[] = {
    {"oe_photo-l_3.5x5in", 1, "89x127mm", "127x89mm", "89x127mmx2", "127x89mmx2"},
    {"oe_square-photo_5x5in", 10, "127x127mm", "127x127mm", nullptr, nullptr},
    {"na_index-4x6_4x6in", 3, "102x153mm", "153x102mm", "102x153mmx2", "153x102mmx2"},
    {"na_5x7_5x7in", 2, "127x178mm", "127x178mm", nullptr, nullptr},
    {"custom_6x6in_6x6in", 11, "153x153mm", "153x153mm", nullptr, nullptr},
    {"na_index-4x6-ext_6x8in", 4, "153x204mm", "153x204mm", nullptr, nullptr},
};
const int kAppMediaCount = sizeof kAppMedia / sizeof kAppMedia[0];

namespace {

const char* const kOnOff[] = {"off", "on", nullptr};
const char* const kFinishes[] = {"glossy", "matte", "fine-matte", "luster", nullptr};

const MediaInfo* MediaRow(int code)
{
    for (const MediaInfo* row = gMediaInfo_ZR; row->mediaCode != -1; ++row)
        if (row->mediaCode == code)
            return row;
    return nullptr;
}

bool IsKeyword(const char* value, const char* const* keywords)
{
    for (; *keywords != nullptr; ++keywords)
        if (strcmp(value, *keywords) == 0)
            return true;
    return false;
}

bool IsInteger(const char* value, int low, int high)
{
    char* end = nullptr;
    const long v = strtol(value, &end, 10);
    return end != value && *end == '\0' && v >= low && v <= high;
}

}  // namespace

const VendorOption kVendorOptions[] = {
    {"korvane-overcoat-finish", "glossy", kFinishes, 0, 0},
    {"korvane-white-border", "off", kOnOff, 0, 0},
    {"korvane-two-up", "off", kOnOff, 0, 0},
    {"korvane-sharpness", "0", nullptr, -2, 8},
    {"korvane-color-adjustment", "off", kOnOff, 0, 0},
    {"korvane-gamma", "0", nullptr, -100, 100},
    {"korvane-brightness", "0", nullptr, -100, 100},
    {"korvane-contrast", "0", nullptr, -100, 100},
    {"korvane-chroma", "0", nullptr, -100, 100},
};
const int kVendorOptionCount = sizeof kVendorOptions / sizeof kVendorOptions[0];

bool ChoosePage(const char* pwgName, bool landscape, bool twoUp, unsigned xDpi, unsigned yDpi, PageChoice* out)
{
    if (pwgName == nullptr || ResolutionChoice(xDpi, yDpi) == nullptr)
        return false;
    for (const AppMedia& m : kAppMedia) {
        if (strcmp(m.pwg, pwgName) != 0)
            continue;
        const MediaInfo* row = MediaRow(m.mediaCode);
        if (row == nullptr)
            return false;
        const char* twoUpName = landscape ? m.landscapeTwoUp : m.portraitTwoUp;
        out->pageSize = (twoUp && twoUpName != nullptr) ? twoUpName : (landscape ? m.landscape : m.portrait);
        // The sizes printed turned (3.5 x 5 and 4 x 6 in portrait) have the
        // picture's length across the page.
        const bool turned = strcmp(m.portrait, m.landscape) != 0 && !landscape;
        const int across = turned ? row->pictureLengthPx : row->pictureWidthPx;
        const int down = turned ? row->pictureWidthPx : row->pictureLengthPx;
        out->width = across * static_cast<int>(xDpi) / row->baseDpi;
        out->height = down * static_cast<int>(yDpi) / row->baseDpi;
        return true;
    }
    return false;
}

const char* ResolutionChoice(unsigned xDpi, unsigned yDpi)
{
    if (xDpi == 300 && yDpi == 300)
        return "300dpi";
    if (xDpi == 300 && yDpi == 600)
        return "300x600dpi";
    if (xDpi == 600 && yDpi == 600)
        return "600x600dpi";
    return nullptr;
}

std::vector<std::pair<std::string, std::string>> FilterOptions(int count, const cups_option_t* vendor)
{
    std::vector<std::pair<std::string, std::string>> out;
    auto value = [&](const VendorOption& o) -> const char* {
        const char* v = cupsGetOption(o.attribute, count, const_cast<cups_option_t*>(vendor));
        if (v == nullptr)
            return nullptr;
        const bool ok = o.keywords != nullptr ? IsKeyword(v, o.keywords) : IsInteger(v, o.low, o.high);
        return ok ? v : nullptr;
    };
    auto onOff = [](const char* v) { return strcmp(v, "on") == 0 ? "Enable" : "Disable"; };
    for (int i = 0; i < kVendorOptionCount; ++i) {
        const VendorOption& o = kVendorOptions[i];
        const char* v = value(o);
        if (v == nullptr)
            continue;
        const std::string name = o.attribute;
        if (name == "korvane-overcoat-finish") {
            static const char* const kPpd[] = {"Glossy", "Matte", "FineMatte", "Luster"};
            for (int k = 0; kFinishes[k] != nullptr; ++k)
                if (strcmp(v, kFinishes[k]) == 0)
                    out.emplace_back("ZvoOvercoatFinish", kPpd[k]);
        } else if (name == "korvane-white-border") {
            out.emplace_back("ZvoBorder", onOff(v));
        } else if (name == "korvane-color-adjustment") {
            out.emplace_back("ZvoColorAdjustment", onOff(v));
        } else if (name == "korvane-sharpness") {
            out.emplace_back("ZvoSharpness", v);
        } else if (name == "korvane-gamma") {
            out.emplace_back("ZvoGamma", v);
        } else if (name == "korvane-brightness") {
            out.emplace_back("ZvoBrightness", v);
        } else if (name == "korvane-contrast") {
            out.emplace_back("ZvoContrast", v);
        } else if (name == "korvane-chroma") {
            out.emplace_back("ZvoChroma", v);
        }
    }
    return out;
}

bool WantsTwoUp(int count, const cups_option_t* vendor)
{
    const char* v = cupsGetOption("korvane-two-up", count, const_cast<cups_option_t*>(vendor));
    return v != nullptr && strcmp(v, "on") == 0;
}
