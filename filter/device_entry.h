// The filter's model of one print job on one printer: the job's settings, the
// photo buffer collecting the pictures of the sheet being built, and every
// byte of the printer command stream. Model-dependent answers are virtual and
// come from the model profile (DeviceEntry_ZR).
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

    // Job options: settings kept for the photo processing ...
    int SetResolution(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetBorder(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetSharpness(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetGamma(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetIntensity(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetContrast(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetSaturation(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    void SetColorAdjustment(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    // ... and per-print setting records: 1 when a record was written, else 0.
    // The ZR has no clock to set and no decurler, so no record is made for
    // either.
    int SendCutterMode(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    int SendOvercoatFinish(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    int SendPrintRetry(int optionCount, cups_option_t* options, ppdfile_s* ppd);
    int SendPrintSpeed(int optionCount, cups_option_t* options, ppdfile_s* ppd);

    // Where the stream goes: standard output, except in tests of the handlers.
    void SetOutput(FILE* stream) { output = stream; }

    PhotoImageBuffer photoBuffer;
    DeviceMediaBufferInfo media{};
    OverCoatInfo overcoat{};
    int64_t resolution = 300;
    int64_t resolutionMode = 0;
    bool paperRotate = false;
    bool border = false;
    int32_t sharpness = 0;
    bool colorAdjustment = false;
    int32_t gammaR = 0, gammaG = 0, gammaB = 0;
    int32_t brightnessR = 0, brightnessG = 0, brightnessB = 0;
    int32_t contrastR = 0, contrastG = 0, contrastB = 0;
    int32_t saturation = 0;

protected:
    // Builds a "CNTRL" record with `data` as its block and writes it; 1.
    int SendControl(const char* parameter, const char* data, int dataLength);
    // The same with the eight digits of `value` ("%08ld") as its block.
    int SendNumber(const char* parameter, long value);

private:
    FILE* output = stdout;
};
