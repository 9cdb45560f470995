// The geometry of one printed sheet, shared by the filter's device entry, its
// model profile and the photo buffer. The first fifteen fields are one row of
// the model's media table and are copied as a block; the rest are derived by
// DeviceEntry::UpdateMediaInfo.
#pragma once

#include <cstdint>

struct MediaInfo {
    int32_t mediaCode;        // -1 ends a table / means no media set
    int32_t multiCutCode;     // number sent in the "IMAGE"/"MULTICUT" record
    double widthInch;
    double lengthInch;
    int32_t baseDpi;          // resolution of the pixel fields below (300)
    int32_t pageWidthPx;
    int32_t pageLengthPx;
    int32_t borderWidthPx;
    int32_t borderLengthPx;
    int32_t gapPx;
    int32_t pictureWidthPx;
    int32_t pictureLengthPx;
    int32_t pictureCount;     // 1 or 2
    int32_t mediaFlag;        // 1 where the 2-inch cut may take effect
    double minFirmware;
};

struct DeviceMediaBufferInfo {
    // Copied from a MediaInfo row.
    int32_t mediaCode;
    int32_t multiCutCode;
    double widthInch;
    double lengthInch;
    int32_t baseDpi;
    int32_t pageWidthPx;
    int32_t pageLengthPx;
    int32_t borderWidthPx;
    int32_t borderLengthPx;
    int32_t gapPx;
    int32_t pictureWidthPx;
    int32_t pictureLengthPx;
    int32_t pictureCount;
    int32_t mediaFlag;
    double minFirmware;
    // Derived for the job's resolution.
    int32_t headWidth;
    int64_t xDpi;
    int64_t yDpi;
    int32_t pageWidthDots;
    int32_t pageLengthDots;
    int32_t pictureWidthDots;
    int32_t pictureLengthDots;
    int32_t gapDots;
    int32_t layoutCount;

    void CopyRow(const MediaInfo& row);
};

// Field-for-field equality (never a byte compare: padding carries no meaning).
bool operator==(const DeviceMediaBufferInfo& a, const DeviceMediaBufferInfo& b);
inline bool operator!=(const DeviceMediaBufferInfo& a, const DeviceMediaBufferInfo& b) { return !(a == b); }
