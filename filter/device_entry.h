// The filter's model of one print job on one printer: the photo buffer, which
// holds the job's picture settings and collects the pictures of the sheet
// being built, the setting records every print carries, and every byte of the
// printer command stream. The job options are read once, before the first
// page. Model-dependent answers are virtual and come from the model profile
// (DeviceEntry_ZR).
#pragma once

#include <cups/cups.h>

#include <cstdint>
#include <cstdio>

#include "command_sink.h"
#include "device_cmd.h"
#include "il_bitmap.h"
#include "media_buffer_info.h"
#include "photo_image_buffer.h"
#include "ppd_reader.h"

// One row of a model's overcoat table; finishCode -1 ends a table.
struct OverCoatInfo {
    int32_t finishCode;
    int32_t overcoatValue;   // the number sent in "CNTRL"/"OVERCOAT"
    int64_t overcoatFlag;    // carried with the row, consulted nowhere
    double minFirmware;
};

// What the four setting records before every print say, read from the job's
// options once.
struct PrintSettings {
    bool cut = false;     // the 2 inch cut asked for (made only where the paper allows)
    bool retry = true;
    long speed = 0;       // 10 normal or 30 high at 300 x 600 dpi; 0 at the others
};

class DeviceEntry : public CommandSink {
public:
    DeviceEntry();
    virtual ~DeviceEntry();
    DeviceEntry(const DeviceEntry&) = delete;
    DeviceEntry& operator=(const DeviceEntry&) = delete;

    // Model-dependent operations.
    virtual int GetHeadWidth() = 0;
    virtual int SetMediaSize(int optionCount, cups_option_t* options, ppdfile_s* ppd) = 0;
    virtual int SetMediaInfo(DeviceMediaBufferInfo& record, long mediaCode, double firmware) = 0;
    virtual DeviceMediaBufferInfo GetMultiMediaInfo(DeviceMediaBufferInfo* current, int pictureCount) = 0;
    virtual int GetMultiLayoutNum(const char* jobId) = 0;
    virtual int SetOvercoatFinish(unsigned long finishCode, double firmware) = 0;
    virtual void SetPaperRotate(int optionCount, cups_option_t* options, ppdfile_s* ppd);

    // Output primitives: one write of the whole record, then a flush so that the
    // backend (and anyone watching the stream) sees whole records as they come.
    int DeviceIO(DeviceCmd* record);
    int SetCommand(char* bytes, unsigned long length) override;
    int Write(const void* bytes, int length);

    // Media and pictures.
    int UpdateMediaInfo(DeviceMediaBufferInfo& record);
    _tagBITMAPHANDLE* MakeImageData(char* page, long width, long height, int slot);
    void SetImageData(int slot, _tagBITMAPHANDLE* picture);
    int SendImageData(int pictureCount);
    int PrintImageData(DeviceMediaBufferInfo* sheet);
    int SendMediaSize(DeviceMediaBufferInfo* sheet);

    // Job options: picture settings, stored in the photo buffer ...
    int SetResolution(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetBorder(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetSharpness(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetGamma(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetIntensity(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetContrast(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetSaturation(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetColorAdjustment(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    // ... and what the per-print setting records say (also the overcoat row).
    void ReadPrintSettings(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    // The per-print records: 1 when a record was written, else 0. The ZR has
    // no clock to set and no decurler, so no record is made for either.
    int SendCutterMode();
    int SendOvercoatFinish();
    int SendPrintRetry();
    int SendPrintSpeed();

    // Where the stream goes: standard output, except in tests of the handlers.
    void SetOutput(FILE* stream) { output = stream; }

    // The picture settings (resolution, turn, border, tone, sharpness,
    // saturation) live in the photo buffer, which works with them.
    PhotoImageBuffer photoBuffer;
    DeviceMediaBufferInfo media{};
    OverCoatInfo overcoat{};
    PrintSettings print;

protected:
    // Builds a "CNTRL" record with `data` as its block and writes it; 1.
    int SendControl(const char* parameter, const char* data, int dataLength);
    // The same with the eight digits of `value` ("%08ld") as its block.
    int SendNumber(const char* parameter, long value);

private:
    FILE* output = stdout;
};
