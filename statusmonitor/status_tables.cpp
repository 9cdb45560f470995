#include "status_tables.h"

#include <algorithm>
#include <iterator>

const char *const kOfflinePicture = ":/images/PrtStsOffline.bmp";

namespace {

struct StatusRow {
    int code;
    const char *picture;
};

const StatusRow kStatusRows[] = {
    {0, "PrtStsIdle"},           {1, "PrtStsPrinting"},     {500, "PrtStsCooling"},
    {900, "PrtStsIdle"},         {1000, "PrtStsCoverOpen"}, {1010, "PrtStsNoScrapBox"},
    {1100, "PrtStsPaperEnd"},    {1200, "PrtStsRibbonEnd"}, {1300, "PrtStsPaperJam"},
    {1400, "PrtStsRibbonErr"},   {1500, "PrtStsPaperErr"},  {1600, "PrtStsSystemErr01"},
    {2000, "PrtStsSystemErr01"}, {2100, "PrtStsSystemErr01"}, {2200, "PrtStsSystemErr01"},
    {2300, "PrtStsSystemErr01"}, {2400, "PrtStsSystemErr01"}, {2500, "PrtStsSystemErr01"},
    {2600, "PrtStsSystemErr01"}, {2610, "PrtStsSystemErr01"}, {2700, "PrtStsSystemErr01"},
    {2800, "PrtStsSystemErr01"}, {3000, "PrtStsSystemErr01"},
};

const int kUnknownMediaWarned[] = {0, 1, 500, 900, 1000, 1010, 1100, 1300, 1400, 1500};

const int kMediaSizes[] = {200, 210, 301, 310};

QString fiveDigitKey(const char *prefix, int code)
{
    return QString::fromLatin1(prefix) + QStringLiteral("%1").arg(code, 5, 10, QLatin1Char('0'));
}

bool inRange(int code, int low, int high) { return code >= low && code <= high; }

} // namespace

int statusCodeOf(const QString &value)
{
    if (value.isEmpty())
        return kOfflineStatus;
    return value.toInt(nullptr, 10);
}

StatusLook statusLookFor(int code)
{
    const auto row = std::find_if(std::begin(kStatusRows), std::end(kStatusRows),
                                  [code](const StatusRow &r) { return r.code == code; });
    // A code the printer is not documented to send is still an error state.
    const int shown = row == std::end(kStatusRows) ? 3000 : code;
    const char *picture = row == std::end(kStatusRows) ? "PrtStsSystemErr01" : row->picture;
    return {fiveDigitKey("st_", shown),
            QStringLiteral(":/images/") + QString::fromLatin1(picture) + QStringLiteral(".bmp")};
}

bool warnsOfUnknownMedia(int code)
{
    return std::find(std::begin(kUnknownMediaWarned), std::end(kUnknownMediaWarned), code) !=
           std::end(kUnknownMediaWarned);
}

QString messageKeyFor(const QString &value)
{
    bool ok = false;
    const int code = value.toInt(&ok, 10);
    if (!ok || !(inRange(code, 1, 6) || inRange(code, 100, 108) || inRange(code, 200, 210)))
        return QString();
    return fiveDigitKey("ms_", code);
}

QString mediaSizeKeyFor(const QString &value)
{
    bool ok = false;
    const int code = value.toInt(&ok, 10);
    if (!ok || std::find(std::begin(kMediaSizes), std::end(kMediaSizes), code) == std::end(kMediaSizes))
        return QString();
    return fiveDigitKey("size_", code);
}
