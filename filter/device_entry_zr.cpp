#include "device_entry_zr.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "cups_value.h"
#include "printer_info.h"

// Pixel fields at 300 dpi. The two-up rows (7 and 6) are reached only through
// GetMultiMediaInfo; their sheet is two single pictures plus the gap.
const MediaInfo gMediaInfo_ZR[] = {
    // code cut  width length dpi  pageW pageL bordW bordL gap  picW  picL  n  flag firmware
    {1, 1, 5.0, 3.5, 300, 1548, 1088, 60, 54, 0, 1548, 1088, 1, 0, 1.0},
    {10, 29, 5.0, 5.0, 300, 1548, 1540, 60, 54, 0, 1548, 1540, 1, 0, 1.0},
    {3, 2, 6.0, 4.0, 300, 1844, 1240, 60, 60, 0, 1844, 1240, 1, 1, 1.0},
    {2, 3, 5.0, 7.0, 300, 1548, 2138, 60, 54, 0, 1548, 2138, 1, 0, 1.0},
    {11, 27, 6.0, 6.0, 300, 1844, 1836, 60, 54, 0, 1844, 1836, 1, 0, 1.0},
    {4, 4, 6.0, 8.0, 300, 1844, 2436, 60, 54, 0, 1844, 2436, 1, 1, 1.0},
    {7, 22, 5.0, 3.5, 300, 1548, 2176, 60, 54, 0, 1548, 1088, 2, 0, 1.0},
    {6, 12, 6.0, 4.0, 300, 1844, 2498, 60, 60, 18, 1844, 1240, 2, 1, 1.0},
    {-1, 0, 0.0, 0.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.0},
};

const OverCoatInfo gOverCoatInfo_ZR[] = {
    {0, 0, 0, 1.0},     {1, 1, 0, 1.0},     {2, 2, 0, 1.0},     {3, 3, 0, 1.0},     {21, 21, 0, 1.2},
    {22, 22, 0, 1.3},   {101, 101, 1, 1.2}, {121, 121, 1, 1.2}, {122, 122, 1, 1.3}, {-1, 0, 0, 0.0},
};

namespace {

struct PageSizeChoice {
    const char* name;
    int mediaCode;
    bool multiCut;
    bool portrait;      // the narrow side first: the page is turned onto the paper
    int width, length;  // the paper's nominal size in hundredths of a millimetre
};

// The queue's page-size keywords. Paper names of the PWG and Adobe forms
// (na_5x7_5x7in, custom_6x6in_6x6in, 4x6) are found by their size.
const PageSizeChoice kPageSizes[] = {
    {"102x153mm", 3, false, true, 10160, 15240},   {"153x102mm", 3, false, false, 15240, 10160},
    {"102x153mmx2", 3, true, true, 10160, 15240},  {"153x102mmx2", 3, true, false, 15240, 10160},
    {"89x127mm", 1, false, true, 8890, 12700},     {"127x89mm", 1, false, false, 12700, 8890},
    {"89x127mmx2", 1, true, true, 8890, 12700},    {"127x89mmx2", 1, true, false, 12700, 8890},
    {"127x127mm", 10, false, false, 12700, 12700}, {"127x178mm", 2, false, false, 12700, 17780},
    {"153x153mm", 11, false, false, 15240, 15240}, {"153x204mm", 4, false, false, 15240, 20320},
};

// A millimetre either way covers the rounding of inch sizes given in mm.
constexpr int kSizeTolerance = 100;

bool Near(int a, int b)
{
    return a - b <= kSizeTolerance && b - a <= kSizeTolerance;
}

// The single-picture size of a paper name, in either orientation.
const PageSizeChoice* BySize(const char* name)
{
    const pwg_media_t* paper = pwgMediaForPWG(name);
    if (paper == nullptr)
        paper = pwgMediaForPPD(name);
    if (paper == nullptr)
        return nullptr;
    for (int turned = 0; turned < 2; ++turned) {
        for (const PageSizeChoice& choice : kPageSizes) {
            const int w = turned ? choice.length : choice.width;
            const int l = turned ? choice.width : choice.length;
            if (!choice.multiCut && Near(paper->width, w) && Near(paper->length, l))
                return &choice;
        }
    }
    return nullptr;
}

// The row of a page-size value: a keyword, or the first piece of a media
// list ("na_5x7_5x7in,photographic-glossy") that names a size.
const PageSizeChoice* FindPageSize(const char* value)
{
    for (const PageSizeChoice& choice : kPageSizes) {
        if (strcmp(value, choice.name) == 0)
            return &choice;
    }
    const std::string list(value);
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(',', start), list.size());
        if (const PageSizeChoice* choice = BySize(list.substr(start, end - start).c_str()))
            return choice;
        start = end + 1;
    }
    return nullptr;
}

constexpr int kDefaultMediaCode = 3;

bool KnownMediaCode(long code)
{
    return (code >= 1 && code <= 7) || (code >= 10 && code <= 13);
}

}  // namespace

int DeviceEntry_ZR::GetHeadWidth()
{
    return kHeadWidth;
}

int DeviceEntry_ZR::SetMediaSize(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    multiCut = false;
    double firmware = 0.0;
    if (_GetFirmwVersion(0, &firmware) != 0)
        return 0;
    const char* value = _GetCupsValue("PageSize", optionCount, options, ppd);
    int code = kDefaultMediaCode;
    if (const PageSizeChoice* choice = value != nullptr ? FindPageSize(value) : nullptr) {
        code = choice->mediaCode;
        multiCut = choice->multiCut;
    }
    if (SetMediaInfo(media, code, firmware) != 0)
        return 0;
    SendMediaSize(&media);
    return 1;
}

int DeviceEntry_ZR::SetMediaInfo(DeviceMediaBufferInfo& record, long mediaCode, double firmware)
{
    if (!KnownMediaCode(mediaCode))
        return 3;
    record.mediaCode = -1;
    for (const MediaInfo* row = gMediaInfo_ZR; row->mediaCode != -1; ++row) {
        if (row->mediaCode != mediaCode)
            continue;
        // The first row of the code decides; later rows are not considered.
        if (firmware < row->minFirmware)
            return 3;
        record.CopyRow(*row);
        return UpdateMediaInfo(record);
    }
    return 3;
}

DeviceMediaBufferInfo DeviceEntry_ZR::GetMultiMediaInfo(DeviceMediaBufferInfo* current, int /*pictureCount*/)
{
    double firmware = 0.0;
    _GetFirmwVersion(0, &firmware);
    long code = current->mediaCode;
    if (multiCut && current->mediaCode == 1)
        code = 7;
    else if (multiCut && current->mediaCode == 3)
        code = 6;
    DeviceMediaBufferInfo sheet{};
    SetMediaInfo(sheet, code, firmware);
    return sheet;
}

int DeviceEntry_ZR::GetMultiLayoutNum(const char* jobId)
{
    char mediaSize[128] = {};
    _GetValuePrInfoFile("MEDIA_SIZE=", jobId, mediaSize, sizeof mediaSize);
    if (mediaSize[0] != '\0' && multiCut && (media.mediaCode == 1 || media.mediaCode == 3))
        return 2;
    return 1;
}

int DeviceEntry_ZR::SetOvercoatFinish(unsigned long finishCode, double firmware)
{
    overcoat.finishCode = -1;
    const int32_t code = static_cast<int32_t>(finishCode);
    for (const OverCoatInfo* row = gOverCoatInfo_ZR; row->finishCode != -1; ++row) {
        // Unlike the media table, a row too new for the firmware is skipped
        // and the walk goes on.
        if (row->finishCode == code && row->minFirmware <= firmware) {
            overcoat = *row;
            return 0;
        }
    }
    return 3;
}

void DeviceEntry_ZR::SetPaperRotate(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    photoBuffer.paperRotate = false;
    double firmware = 0.0;
    if (_GetFirmwVersion(0, &firmware) != 0)
        return;
    const char* value = _GetCupsValue("PageSize", optionCount, options, ppd);
    const PageSizeChoice* choice = value != nullptr ? FindPageSize(value) : nullptr;
    photoBuffer.paperRotate = choice != nullptr && choice->portrait;
}

const char* UnknownPageSize(int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    const char* value = _GetCupsValue("PageSize", optionCount, options, ppd);
    return value != nullptr && FindPageSize(value) == nullptr ? value : nullptr;
}
