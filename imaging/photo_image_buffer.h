// Turns each raster page into a printable picture and, once a sheet is
// complete, writes the sheet as three 8-bit colour plane records.
#pragma once

#include <cstdint>

#include "command_sink.h"
#include "il_bitmap.h"
#include "media_buffer_info.h"

namespace il {
struct PagePlan;
}

class PhotoImageBuffer {
public:
    PhotoImageBuffer();
    virtual ~PhotoImageBuffer();
    PhotoImageBuffer(const PhotoImageBuffer&) = delete;
    PhotoImageBuffer& operator=(const PhotoImageBuffer&) = delete;

    // Keeps the job's single-picture sheet geometry; always 0.
    int Alloc(DeviceMediaBufferInfo info);
    // Takes ownership of `page` (bottom-up 24-bit rows of 4-byte-padded
    // pitch, obtained with GlobalAlloc/malloc) and returns a new zero-filled
    // record owning the processed picture (without pixels when processing
    // failed), or null when memory ran out. Release the pixels with
    // IL_FreeBitmap, then the record with GlobalFree.
    _tagBITMAPHANDLE* ColorProcess(void* page, long width, long height, int slot);
    // Splits `picture` into the slot's planes; the picture stays the caller's.
    void SetImageData(int slot, _tagBITMAPHANDLE* picture);
    // Writes the YPLANE, MPLANE and CPLANE records; 0 written, 3 failed.
    int Send(CommandSink* entry, DeviceMediaBufferInfo* sheet);
    // Both release every slot; always 0.
    int Clear();
    int Free();

    DeviceMediaBufferInfo media;
    // Slot k, plane 0 yellow (from blue), 1 magenta (green), 2 cyan (red).
    _tagBITMAPHANDLE planes[3][3];
    int64_t resolution;
    int64_t resolutionMode;
    bool paperRotate;
    bool border;
    int32_t sharpness;
    bool colorAdjustment;
    int32_t gammaR, gammaG, gammaB;
    int32_t brightnessR, brightnessG, brightnessB;
    int32_t contrastR, contrastG, contrastB;
    int32_t saturation;
    // Threads that share a page's rows (1 or 2); bytes do not depend on it.
    int threads;

    // The scale that fits the picture inside the sheet's borders, or 0 when
    // there is no border to keep.
    float BorderScale() const;

private:
    // Tone curves, sharpening and saturation of every row of the planned
    // picture into a new result record (without pixels for a null plan);
    // null only when memory ran out.
    _tagBITMAPHANDLE* FinishPicture(const il::PagePlan* plan);

    struct Placement {
        int64_t firstRow;
        int rows, columns, left;
    };
    Placement Place(const DeviceMediaBufferInfo& sheet, int k, const _tagBITMAPHANDLE& plane) const;
    void FillWhiteAround(unsigned char* image, int64_t pitch, int64_t height, const DeviceMediaBufferInfo& sheet,
                         int layouts) const;
};
