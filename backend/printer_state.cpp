#include "printer_state.h"

namespace zr_backend {

namespace {

const char kRestart[] = "Restart the printer and computer. If the printer does not recover after the restart, "
                        "contact the service center.";
const char kNewMedia[] = "Load new media. (Replace the paper and ribbon as a set.)";

// What a status means: its own reason (other errors share other-error) and
// the status monitor's instruction. Statuses not listed that are errors are
// system errors: restart.
struct StatusRow {
    long status;
    const char* reason;
    const char* instruction;
};
const StatusRow kStatuses[] = {
    {500, nullptr, "Please wait a while. Printing will resume automatically."},
    {1000, "door-open-error", "Close the printer."},
    {1010, nullptr, "Attach the scrap box."},
    {1100, "media-empty-error", kNewMedia},
    {1200, "marker-supply-empty-error", kNewMedia},
    {1300, "media-jam-error", "Remove the paper and reload it properly."},
    {1400, "marker-supply-missing-error", "Reload the ribbon properly."},
    {1500, nullptr, "Check the paper size setting and ribbon size."},
};

const StatusRow* FindStatus(long status)
{
    for (const StatusRow& row : kStatuses)
        if (row.status == status)
            return &row;
    return nullptr;
}

struct Media {
    int code;
    int widthInch;
    double lengthInch;
    const char* name;
};
const Media kMedia[] = {
    {200, 5, 3.5, "5x3.5"},
    {210, 5, 7.0, "5x7"},
    {301, 6, 4.0, "6x4"},
    {310, 6, 8.0, "6x8"},
};

struct Sheet {
    int code;
    int widthInch;
    double lengthInch;
};
// The MULTICUT numbers the filter writes, with the sheet each one cuts.
const Sheet kSheets[] = {
    {1, 5, 3.5},   // 3.5 x 5
    {29, 5, 5.0},  // 5 x 5
    {3, 5, 7.0},   // 5 x 7
    {22, 5, 7.0},  // two 3.5 x 5 on 5 x 7
    {2, 6, 4.0},   // 4 x 6
    {27, 6, 6.0},  // 6 x 6
    {4, 6, 8.0},   // 6 x 8
    {12, 6, 8.0},  // two 4 x 6 on 6 x 8
};

const Media* FindMedia(int code)
{
    for (const Media& m : kMedia)
        if (m.code == code)
            return &m;
    return nullptr;
}

const Sheet* FindSheet(int code)
{
    for (const Sheet& s : kSheets)
        if (s.code == code)
            return &s;
    return nullptr;
}

}  // namespace

bool IsErrorStatus(long status)
{
    return status >= 1000;
}

std::string ErrorReason(long status)
{
    const StatusRow* row = FindStatus(status);
    if (row != nullptr && row->reason != nullptr)
        return row->reason;
    return IsErrorStatus(status) ? "other-error" : "";
}

std::string Instruction(long status)
{
    const StatusRow* row = FindStatus(status);
    if (row != nullptr)
        return row->instruction;
    return IsErrorStatus(status) ? kRestart : "";
}

bool IsKnownMedia(int mediaCode)
{
    return FindMedia(mediaCode) != nullptr;
}

bool MediaTakesSheet(int mediaCode, int sheetCode)
{
    const Media* media = FindMedia(mediaCode);
    const Sheet* sheet = FindSheet(sheetCode);
    return media != nullptr && sheet != nullptr && media->widthInch == sheet->widthInch
        && sheet->lengthInch <= media->lengthInch;
}

std::string MediaForSheet(int sheetCode)
{
    // The shortest media that takes the sheet wastes the least.
    for (const Media& m : kMedia)
        if (MediaTakesSheet(m.code, sheetCode))
            return std::string(m.name) + " ribbon and paper";
    return std::string();
}

bool MediaAllowsTwoUp(int mediaCode)
{
    return MediaTakesSheet(mediaCode, 22) || MediaTakesSheet(mediaCode, 12);
}

int MediaLevel::Percent() const
{
    if (initial <= 0 || remain < 0)
        return -1;
    const long percent = remain * 100 / initial;
    return static_cast<int>(percent > 100 ? 100 : percent);
}

std::string MarkerName(int mediaCode)
{
    const Media* media = FindMedia(mediaCode);
    return media != nullptr ? std::string(media->name) + " ribbon and paper" : std::string();
}

std::vector<std::string> MarkerLines(const MediaLevel& level)
{
    const std::string name = MarkerName(level.code);
    if (name.empty())
        return {};
    // One marker: the dye ribbon with its paper, yellow, magenta and cyan panels.
    std::vector<std::string> lines = {
        "ATTR: marker-colors=#FFFF00#FF00FF#00FFFF",
        "ATTR: marker-names='\"" + name + "\"'",
        "ATTR: marker-types=ink-ribbon",
        "ATTR: marker-low-levels=" + std::to_string(kLowPercent),
        "ATTR: marker-high-levels=100",
        "ATTR: marker-levels=" + std::to_string(level.Percent()),
    };
    const int percent = level.Percent();
    lines.push_back(percent >= 0 && percent < kLowPercent ? "STATE: +marker-supply-low-report"
                                                          : "STATE: -marker-supply-low-report");
    return lines;
}

}  // namespace zr_backend
