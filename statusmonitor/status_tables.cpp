#include "status_tables.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

const char *const kOfflinePicture = ":/images/PrtStsOffline.bmp";

namespace {

// The catalogue keys are written out in full, each with a translate marker,
// so that lupdate sees every key the window can ask for; building them from
// the code at run time would leave them unseen and obsolete at the next
// catalogue update.
struct StatusRow {
    int code;
    const char *key;
    const char *picture;
};

const StatusRow kStatusRows[] = {
    {0, QT_TRANSLATE_NOOP("StatusDialog", "st_00000"), "PrtStsIdle"},
    {1, QT_TRANSLATE_NOOP("StatusDialog", "st_00001"), "PrtStsPrinting"},
    {500, QT_TRANSLATE_NOOP("StatusDialog", "st_00500"), "PrtStsCooling"},
    {900, QT_TRANSLATE_NOOP("StatusDialog", "st_00900"), "PrtStsIdle"},
    {1000, QT_TRANSLATE_NOOP("StatusDialog", "st_01000"), "PrtStsCoverOpen"},
    {1010, QT_TRANSLATE_NOOP("StatusDialog", "st_01010"), "PrtStsNoScrapBox"},
    {1100, QT_TRANSLATE_NOOP("StatusDialog", "st_01100"), "PrtStsPaperEnd"},
    {1200, QT_TRANSLATE_NOOP("StatusDialog", "st_01200"), "PrtStsRibbonEnd"},
    {1300, QT_TRANSLATE_NOOP("StatusDialog", "st_01300"), "PrtStsPaperJam"},
    {1400, QT_TRANSLATE_NOOP("StatusDialog", "st_01400"), "PrtStsRibbonErr"},
    {1500, QT_TRANSLATE_NOOP("StatusDialog", "st_01500"), "PrtStsPaperErr"},
    {1600, QT_TRANSLATE_NOOP("StatusDialog", "st_01600"), "PrtStsSystemErr01"},
    {2000, QT_TRANSLATE_NOOP("StatusDialog", "st_02000"), "PrtStsSystemErr01"},
    {2100, QT_TRANSLATE_NOOP("StatusDialog", "st_02100"), "PrtStsSystemErr01"},
    {2200, QT_TRANSLATE_NOOP("StatusDialog", "st_02200"), "PrtStsSystemErr01"},
    {2300, QT_TRANSLATE_NOOP("StatusDialog", "st_02300"), "PrtStsSystemErr01"},
    {2400, QT_TRANSLATE_NOOP("StatusDialog", "st_02400"), "PrtStsSystemErr01"},
    {2500, QT_TRANSLATE_NOOP("StatusDialog", "st_02500"), "PrtStsSystemErr01"},
    {2600, QT_TRANSLATE_NOOP("StatusDialog", "st_02600"), "PrtStsSystemErr01"},
    {2610, QT_TRANSLATE_NOOP("StatusDialog", "st_02610"), "PrtStsSystemErr01"},
    {2700, QT_TRANSLATE_NOOP("StatusDialog", "st_02700"), "PrtStsSystemErr01"},
    {2800, QT_TRANSLATE_NOOP("StatusDialog", "st_02800"), "PrtStsSystemErr01"},
    {3000, QT_TRANSLATE_NOOP("StatusDialog", "st_03000"), "PrtStsSystemErr01"},
};
// A code the printer is not documented to send is still an error state.
const StatusRow &kUndocumentedStatus = kStatusRows[std::size(kStatusRows) - 1];

const int kUnknownMediaWarned[] = {0, 1, 500, 900, 1000, 1010, 1100, 1300, 1400, 1500};

struct KeyRow {
    int code;
    const char *key;
};

const KeyRow kMessageRows[] = {
    {1, QT_TRANSLATE_NOOP("StatusDialog", "ms_00001")},   {2, QT_TRANSLATE_NOOP("StatusDialog", "ms_00002")},
    {3, QT_TRANSLATE_NOOP("StatusDialog", "ms_00003")},   {4, QT_TRANSLATE_NOOP("StatusDialog", "ms_00004")},
    {5, QT_TRANSLATE_NOOP("StatusDialog", "ms_00005")},   {6, QT_TRANSLATE_NOOP("StatusDialog", "ms_00006")},
    {100, QT_TRANSLATE_NOOP("StatusDialog", "ms_00100")}, {101, QT_TRANSLATE_NOOP("StatusDialog", "ms_00101")},
    {102, QT_TRANSLATE_NOOP("StatusDialog", "ms_00102")}, {103, QT_TRANSLATE_NOOP("StatusDialog", "ms_00103")},
    {104, QT_TRANSLATE_NOOP("StatusDialog", "ms_00104")}, {105, QT_TRANSLATE_NOOP("StatusDialog", "ms_00105")},
    {106, QT_TRANSLATE_NOOP("StatusDialog", "ms_00106")}, {107, QT_TRANSLATE_NOOP("StatusDialog", "ms_00107")},
    {108, QT_TRANSLATE_NOOP("StatusDialog", "ms_00108")}, {200, QT_TRANSLATE_NOOP("StatusDialog", "ms_00200")},
    {201, QT_TRANSLATE_NOOP("StatusDialog", "ms_00201")}, {202, QT_TRANSLATE_NOOP("StatusDialog", "ms_00202")},
    {203, QT_TRANSLATE_NOOP("StatusDialog", "ms_00203")}, {204, QT_TRANSLATE_NOOP("StatusDialog", "ms_00204")},
    {205, QT_TRANSLATE_NOOP("StatusDialog", "ms_00205")}, {206, QT_TRANSLATE_NOOP("StatusDialog", "ms_00206")},
    {207, QT_TRANSLATE_NOOP("StatusDialog", "ms_00207")}, {208, QT_TRANSLATE_NOOP("StatusDialog", "ms_00208")},
    {209, QT_TRANSLATE_NOOP("StatusDialog", "ms_00209")}, {210, QT_TRANSLATE_NOOP("StatusDialog", "ms_00210")},
};

const KeyRow kMediaSizeRows[] = {
    {200, QT_TRANSLATE_NOOP("StatusDialog", "size_00200")},
    {210, QT_TRANSLATE_NOOP("StatusDialog", "size_00210")},
    {301, QT_TRANSLATE_NOOP("StatusDialog", "size_00301")},
    {310, QT_TRANSLATE_NOOP("StatusDialog", "size_00310")},
};

// The key of a decimal code in `rows`, or empty when the value is no number
// or a code without a key.
template <std::size_t N>
QString keyFor(const KeyRow (&rows)[N], const QString &value)
{
    bool ok = false;
    const int code = value.toInt(&ok, 10);
    if (!ok)
        return QString();
    const auto row = std::find_if(std::begin(rows), std::end(rows), [code](const KeyRow &r) { return r.code == code; });
    return row == std::end(rows) ? QString() : QString::fromLatin1(row->key);
}

} // namespace

int statusCodeOf(const QString &value)
{
    if (value.isEmpty())
        return kOfflineStatus;
    return value.toInt(nullptr, 10);
}

StatusLook statusLookFor(int code)
{
    const auto found = std::find_if(std::begin(kStatusRows), std::end(kStatusRows),
                                    [code](const StatusRow &r) { return r.code == code; });
    const StatusRow &row = found == std::end(kStatusRows) ? kUndocumentedStatus : *found;
    return {QString::fromLatin1(row.key),
            QStringLiteral(":/images/") + QString::fromLatin1(row.picture) + QStringLiteral(".bmp")};
}

bool warnsOfUnknownMedia(int code)
{
    return std::find(std::begin(kUnknownMediaWarned), std::end(kUnknownMediaWarned), code) !=
           std::end(kUnknownMediaWarned);
}

QString messageKeyFor(const QString &value)
{
    return keyFor(kMessageRows, value);
}

QString mediaSizeKeyFor(const QString &value)
{
    return keyFor(kMediaSizeRows, value);
}
