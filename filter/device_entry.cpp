#include "device_entry.h"

#include <climits>
#include <cstring>

DeviceEntry::DeviceEntry()
{
    media.mediaCode = -1;
    overcoat.finishCode = -1;
}

DeviceEntry::~DeviceEntry()
{
    photoBuffer.Free();
}

void DeviceEntry::SetPaperRotate(int, cups_option_t*, ppdfile_s*)
{
    photoBuffer.paperRotate = false;
}

int DeviceEntry::DeviceIO(DeviceCmd* record)
{
    if (record != nullptr && record->Length() > 0)
        Write(record->Bytes(), record->Length());
    return 0;
}

int DeviceEntry::SetCommand(char* bytes, unsigned long length)
{
    if (bytes == nullptr || length == 0 || length > INT_MAX)
        return 0;
    Write(bytes, static_cast<int>(length));
    return 1;
}

int DeviceEntry::Write(const void* bytes, int length)
{
    if (bytes != nullptr && length > 0) {
        fwrite(bytes, 1, static_cast<size_t>(length), output);
        fflush(output);
    }
    return 0;
}

int DeviceEntry::SendControl(const char* parameter, const char* data, int dataLength)
{
    DeviceCmd record;
    record.MakeCmd("CNTRL", parameter, dataLength, data);
    DeviceIO(&record);
    record.Free();
    return 1;
}

int DeviceEntry::UpdateMediaInfo(DeviceMediaBufferInfo& record)
{
    const int64_t resolution = photoBuffer.resolution;
    if (resolution != 300 && resolution != 600)
        return 3;
    if (record.mediaCode == -1)
        return 0;
    // A zero base resolution can only come from a broken table row; leave the
    // derived fields alone rather than divide by it.
    if (record.baseDpi == 0)
        return 3;
    const int32_t yDpi = static_cast<int32_t>(resolution);
    record.headWidth = GetHeadWidth();
    record.xDpi = 300;
    record.yDpi = yDpi;
    record.pageWidthDots = record.pageWidthPx * 300 / record.baseDpi;
    record.pageLengthDots = record.pageLengthPx * yDpi / record.baseDpi;
    record.pictureWidthDots = record.pictureWidthPx * 300 / record.baseDpi;
    record.pictureLengthDots = record.pictureLengthPx * yDpi / record.baseDpi;
    record.gapDots = record.gapPx * yDpi / record.baseDpi;
    record.layoutCount = record.pictureCount;
    return 0;
}

_tagBITMAPHANDLE* DeviceEntry::MakeImageData(char* page, long width, long height, int slot)
{
    photoBuffer.Alloc(media);
    return photoBuffer.ColorProcess(page, width, height, slot);
}

void DeviceEntry::SetImageData(int slot, _tagBITMAPHANDLE* picture)
{
    photoBuffer.SetImageData(slot, picture);
}

int DeviceEntry::SendImageData(int pictureCount)
{
    DeviceMediaBufferInfo sheet = pictureCount < 2 ? media : GetMultiMediaInfo(&media, pictureCount);
    if (!PrintImageData(&sheet))
        return 0;
    photoBuffer.Clear();
    return 1;
}

int DeviceEntry::PrintImageData(DeviceMediaBufferInfo* sheet)
{
    SendMediaSize(sheet);
    if (photoBuffer.Send(this, sheet) != 0)
        return 0;
    DeviceCmd start;
    start.MakeCmd("CNTRL", "START", 0, nullptr);
    DeviceIO(&start);
    start.Free();
    return 1;
}

int DeviceEntry::SendMediaSize(DeviceMediaBufferInfo* sheet)
{
    char digits[16];
    snprintf(digits, sizeof digits, "%08d", sheet->multiCutCode);
    DeviceCmd record;
    record.MakeCmd("IMAGE", "MULTICUT", 8, digits);
    DeviceIO(&record);
    record.Free();
    return 1;
}

