#include "zr_status.h"

#include <cstring>

namespace {

struct Keyword {
    const char* name;
    pappl_preason_t bit;
};
const Keyword kKeywords[] = {
    {"other", PAPPL_PREASON_OTHER},
    {"door-open", PAPPL_PREASON_DOOR_OPEN},
    {"media-empty", PAPPL_PREASON_MEDIA_EMPTY},
    {"media-jam", PAPPL_PREASON_MEDIA_JAM},
    {"media-needed", PAPPL_PREASON_MEDIA_NEEDED},
    {"marker-supply-empty", PAPPL_PREASON_MARKER_SUPPLY_EMPTY},
    {"marker-supply-low", PAPPL_PREASON_MARKER_SUPPLY_LOW},
    {"offline", PAPPL_PREASON_OFFLINE},
};

struct Loaded {
    int code;
    const char* pwg;
};
// The printer's media codes: 5x3.5, 5x7, 6x4 and 6x8 in sets.
const Loaded kLoaded[] = {
    {200, "oe_photo-l_3.5x5in"},
    {210, "na_5x7_5x7in"},
    {301, "na_index-4x6_4x6in"},
    {310, "na_index-4x6-ext_6x8in"},
};

bool EndsWith(const std::string& text, const char* end)
{
    const size_t n = strlen(end);
    return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

}  // namespace

pappl_preason_t ReasonBit(const std::string& keyword)
{
    std::string name = keyword;
    bool error = false;
    for (const char* suffix : {"-error", "-warning", "-report"}) {
        if (EndsWith(name, suffix)) {
            error = strcmp(suffix, "-error") == 0;
            name.resize(name.size() - strlen(suffix));
            break;
        }
    }
    for (const Keyword& k : kKeywords)
        if (name == k.name)
            return k.bit;
    return error ? static_cast<pappl_preason_t>(PAPPL_PREASON_OTHER) : static_cast<pappl_preason_t>(PAPPL_PREASON_NONE);
}

pappl_preason_t StatusReason(long status)
{
    const std::string reason = zr_backend::ErrorReason(status);
    return reason.empty() ? static_cast<pappl_preason_t>(PAPPL_PREASON_NONE) : ReasonBit(reason);
}

const char* ReadyMediaName(int mediaCode)
{
    for (const Loaded& l : kLoaded)
        if (l.code == mediaCode)
            return l.pwg;
    return "";
}

void PublishMedia(pappl_printer_t* printer, const zr_backend::MediaLevel& level)
{
    const std::string name = zr_backend::MarkerName(level.code);
    if (name.empty())
        return;
    pappl_supply_t supply = {};
    // Three dye panels; PAPPL draws a multi-colour supply without a colour,
    // so its level bar would be invisible on the supplies page.
    supply.color = PAPPL_SUPPLY_COLOR_NO_COLOR;
    strncpy(supply.description, name.c_str(), sizeof supply.description - 1);
    supply.is_consumed = true;
    supply.level = level.Percent();
    supply.type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
    papplPrinterSetSupplies(printer, 1, &supply);

    const int percent = level.Percent();
    const bool low = percent >= 0 && percent < zr_backend::kLowPercent;
    papplPrinterSetReasons(printer, low ? PAPPL_PREASON_MARKER_SUPPLY_LOW : PAPPL_PREASON_NONE,
        low ? PAPPL_PREASON_NONE : PAPPL_PREASON_MARKER_SUPPLY_LOW);

    pappl_media_col_t ready = {};
    pwg_media_t* pwg = pwgMediaForPWG(ReadyMediaName(level.code));
    if (pwg == nullptr)
        return;
    strncpy(ready.size_name, pwg->pwg, sizeof ready.size_name - 1);
    ready.size_width = pwg->width;
    ready.size_length = pwg->length;
    strncpy(ready.source, "main", sizeof ready.source - 1);
    strncpy(ready.type, "photographic-glossy", sizeof ready.type - 1);
    papplPrinterSetReadyMedia(printer, 1, &ready);
}
