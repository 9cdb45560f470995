// The model profile of the ZR: head width, media and overcoat tables, the
// page-size choice, portrait rotation and two pictures on one sheet.
#pragma once

#include "device_entry.h"

extern const MediaInfo gMediaInfo_ZR[];
extern const OverCoatInfo gOverCoatInfo_ZR[];

class DeviceEntry_ZR : public DeviceEntry {
public:
    static constexpr int kHeadWidth = 1920;

    int GetHeadWidth() override;
    int SetMediaSize(int optionCount, cups_option_t* options, ppdfile_s* ppd) override;
    int SetMediaInfo(DeviceMediaBufferInfo& record, long mediaCode, double firmware) override;
    DeviceMediaBufferInfo GetMultiMediaInfo(DeviceMediaBufferInfo* current, int pictureCount) override;
    int GetMultiLayoutNum(const char* jobId) override;
    int SetOvercoatFinish(unsigned long finishCode, double firmware) override;
    void SetPaperRotate(int optionCount, cups_option_t* options, ppdfile_s* ppd) override;

    // The page size is a two-up size ("...x2"): two pictures on one sheet.
    bool multiCut = false;
};

// The page size the job asks for when this printer has no such paper; null
// when it has, or when the job names none (4 x 6 in is printed then).
const char* UnknownPageSize(int optionCount, cups_option_t* options, ppdfile_s* ppd);
