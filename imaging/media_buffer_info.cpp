#include "media_buffer_info.h"

void DeviceMediaBufferInfo::CopyRow(const MediaInfo& row)
{
    mediaCode = row.mediaCode;
    multiCutCode = row.multiCutCode;
    widthInch = row.widthInch;
    lengthInch = row.lengthInch;
    baseDpi = row.baseDpi;
    pageWidthPx = row.pageWidthPx;
    pageLengthPx = row.pageLengthPx;
    borderWidthPx = row.borderWidthPx;
    borderLengthPx = row.borderLengthPx;
    gapPx = row.gapPx;
    pictureWidthPx = row.pictureWidthPx;
    pictureLengthPx = row.pictureLengthPx;
    pictureCount = row.pictureCount;
    mediaFlag = row.mediaFlag;
    minFirmware = row.minFirmware;
}

bool operator==(const DeviceMediaBufferInfo& a, const DeviceMediaBufferInfo& b)
{
    return a.mediaCode == b.mediaCode && a.multiCutCode == b.multiCutCode && a.widthInch == b.widthInch &&
           a.lengthInch == b.lengthInch && a.baseDpi == b.baseDpi && a.pageWidthPx == b.pageWidthPx &&
           a.pageLengthPx == b.pageLengthPx && a.borderWidthPx == b.borderWidthPx &&
           a.borderLengthPx == b.borderLengthPx && a.gapPx == b.gapPx && a.pictureWidthPx == b.pictureWidthPx &&
           a.pictureLengthPx == b.pictureLengthPx && a.pictureCount == b.pictureCount &&
           a.mediaFlag == b.mediaFlag && a.minFirmware == b.minFirmware && a.headWidth == b.headWidth &&
           a.xDpi == b.xDpi && a.yDpi == b.yDpi && a.pageWidthDots == b.pageWidthDots &&
           a.pageLengthDots == b.pageLengthDots && a.pictureWidthDots == b.pictureWidthDots &&
           a.pictureLengthDots == b.pictureLengthDots && a.gapDots == b.gapDots &&
           a.layoutCount == b.layoutCount;
}
