// The photo buffer's slots and its per-page picture pipeline.
#include "ref_photo_image_buffer.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "ref_internal.h"

namespace {

constexpr int kRecordSize = static_cast<int>(sizeof(_tagBITMAPHANDLE));
// Border shrinking resamples at most this many source rows at a time, which
// bounds the resampler's working buffer of doubles.
constexpr int kStripRows = 1000;

// Wraps `buffer` (24-bit rows, order code 1) in `bitmap` and hands it the
// buffer. Without success the buffer is released, so it never leaks.
bool Adopt(_tagBITMAPHANDLE* bitmap, unsigned char* buffer, int width, int height)
{
    std::memset(bitmap, 0, sizeof(*bitmap));
    const int64_t pitch = ref_il::RowBytes(width, 24);
    size_t bytes = 0;
    if (buffer == nullptr || !ref_il::Product(pitch, height, &bytes) ||
        Ref_IL_CreateBitmap(bitmap, kRecordSize, IL_MEMORY_CALLER, width, height, 24, 1, nullptr, IL_VIEW_CODE, buffer,
                        static_cast<int64_t>(bytes)) != IL_OK) {
        GlobalFree(buffer);
        std::memset(bitmap, 0, sizeof(*bitmap));
        return false;
    }
    bitmap->memoryHandle = buffer;
    return true;
}

// A quarter turn anticlockwise (memory row 0 is the bottom of the picture):
// page row y, column x goes to row x, column height - 1 - y. Null without
// memory; the page is not touched.
unsigned char* Rotate(const unsigned char* page, int width, int height)
{
    const int64_t pagePitch = ref_il::RowBytes(width, 24);
    const int64_t pitch = ref_il::RowBytes(height, 24);
    size_t bytes = 0;
    if (!ref_il::FitsInt32(pitch) || !ref_il::Product(pitch, width, &bytes)) return nullptr;
    unsigned char* turned = static_cast<unsigned char*>(GlobalAlloc(0, bytes));
    if (turned == nullptr) return nullptr;
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = page + y * pagePitch;
        const int64_t column = static_cast<int64_t>(height - 1 - y) * 3;
        for (int x = 0; x < width; ++x) std::memcpy(turned + x * pitch + column, in + static_cast<int64_t>(x) * 3, 3);
    }
    return turned;
}

// Ratio of the printable length to the whole, in the precision the printed
// size was first worked out in: single-precision operands divided in double
// and rounded back to single.
float BorderRatio(int64_t whole, int64_t margin)
{
    const float inner = static_cast<float>(whole - 2 * margin);
    const float outer = static_cast<float>(whole);
    return static_cast<float>(static_cast<double>(inner) / static_cast<double>(outer));
}

}  // namespace

RefPhotoImageBuffer::RefPhotoImageBuffer()
    : resolution(300),
      resolutionMode(0),
      paperRotate(false),
      border(true),
      sharpness(0),
      colorAdjustment(false),
      gammaR(0), gammaG(0), gammaB(0),
      brightnessR(0), brightnessG(0), brightnessB(0),
      contrastR(0), contrastG(0), contrastB(0),
      saturation(0)
{
    std::memset(&media, 0, sizeof(media));
    media.mediaCode = -1;
    std::memset(planes, 0, sizeof(planes));
}

RefPhotoImageBuffer::~RefPhotoImageBuffer() { Free(); }

int RefPhotoImageBuffer::Alloc(DeviceMediaBufferInfo info)
{
    if (!(info == media)) media = info;
    return 0;
}

int RefPhotoImageBuffer::Clear()
{
    for (auto& slot : planes) {
        for (auto& plane : slot) Ref_IL_FreeBitmap(&plane);
    }
    return 0;
}

int RefPhotoImageBuffer::Free() { return Clear(); }

void RefPhotoImageBuffer::SetImageData(int slot, _tagBITMAPHANDLE* picture)
{
    if (slot < 0 || slot > 2) return;
    _tagBITMAPHANDLE* held = planes[slot];
    for (int p = 0; p < 3; ++p) {
        Ref_IL_FreeBitmap(&held[p]);
        std::memset(&held[p], 0, sizeof(held[p]));
    }
    // The printer's planes are yellow, magenta, cyan: the complements of
    // blue, green and red, so separation output 0 (red) goes to plane 2.
    _tagBITMAPHANDLE* out[3] = {&held[2], &held[1], &held[0]};
    Ref_IL_ColorSeparateBitmap(picture, out, kRecordSize, 0);
}

bool RefPhotoImageBuffer::ShrinkInsideBorder(_tagBITMAPHANDLE* work)
{
    int64_t pageLength = media.pageLengthPx;
    int64_t borderLength = media.borderLengthPx;
    if (resolution == 600) {
        pageLength *= 2;
        borderLength *= 2;
    }
    // Without a sheet (no media set) there is no border to keep.
    if (pageLength <= 0 || media.pageWidthPx <= 0) return true;
    const float lengthRatio = BorderRatio(pageLength, borderLength);
    const float widthRatio = BorderRatio(media.pageWidthPx, media.borderWidthPx);
    const float s = lengthRatio < widthRatio ? lengthRatio : widthRatio;
    if (!(s > 0.0f) || s > 1.0f) return true;

    const int width = static_cast<int>(static_cast<float>(work->width) * s);
    const int height = static_cast<int>(static_cast<float>(work->height) * s);
    if (width <= 0 || height <= 0) return true;
    const int64_t pitch = ref_il::RowBytes(width, 24);
    size_t bytes = 0;
    if (!ref_il::Product(pitch, height, &bytes)) return false;
    unsigned char* canvas = static_cast<unsigned char*>(GlobalAlloc(0, bytes));
    if (canvas == nullptr) return false;
    std::memset(canvas, 255, bytes);

    // Each strip is resampled on its own; rows that the truncated strip
    // heights do not reach stay white.
    int placed = 0;
    for (int first = 0; first < work->height; first += kStripRows) {
        const int rows = work->height - first < kStripRows ? work->height - first : kStripRows;
        const int scaledRows = static_cast<int>(static_cast<float>(rows) * s);
        if (scaledRows <= 0) continue;
        _tagBITMAPHANDLE strip;
        const size_t stripBytes = static_cast<size_t>(rows) * work->rowBytes;
        unsigned char* copy = static_cast<unsigned char*>(GlobalAlloc(0, stripBytes));
        if (copy != nullptr) std::memcpy(copy, work->pixels + static_cast<int64_t>(first) * work->rowBytes, stripBytes);
        if (!Adopt(&strip, copy, work->width, rows) ||
            Ref_IL_SizeBitmap(&strip, width, scaledRows, IL_SIZE_CUBIC) != IL_OK) {
            Ref_IL_FreeBitmap(&strip);
            GlobalFree(canvas);
            return false;
        }
        for (int i = 0; i < scaledRows && placed < height; ++i, ++placed) {
            std::memcpy(canvas + placed * pitch, strip.pixels + static_cast<int64_t>(i) * strip.rowBytes,
                        static_cast<size_t>(pitch));
        }
        Ref_IL_FreeBitmap(&strip);
    }

    Ref_IL_FreeBitmap(work);
    return Adopt(work, canvas, width, height);
}

_tagBITMAPHANDLE* RefPhotoImageBuffer::ColorProcess(void* page, long width, long height, int /*slot*/)
{
    unsigned char* buffer = static_cast<unsigned char*>(page);
    size_t pageBytes = 0;
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX ||
        !ref_il::FitsInt32(ref_il::RowBytes(width, 24)) || !ref_il::Product(ref_il::RowBytes(width, 24), height, &pageBytes)) {
        // A page the library cannot describe: nothing to process, and the
        // buffer is not read.
        GlobalFree(buffer);
        buffer = nullptr;
    }
    int w = static_cast<int>(width);
    int h = static_cast<int>(height);
    if (buffer != nullptr && paperRotate) {
        unsigned char* turned = Rotate(buffer, w, h);
        GlobalFree(buffer);
        if (turned == nullptr) return nullptr;
        buffer = turned;
        std::swap(w, h);
    }

    _tagBITMAPHANDLE work;
    if (Adopt(&work, buffer, w, h)) {
        if (resolutionMode == 2) {
            Ref_IL_SizeBitmap(&work, w / 2, h, IL_SIZE_CUBIC);
        } else if (resolutionMode == 1 && paperRotate && static_cast<int64_t>(h) * 2 <= INT32_MAX) {
            Ref_IL_SizeBitmap(&work, w / 2, h * 2, IL_SIZE_CUBIC);
        }
        if (border && !ShrinkInsideBorder(&work)) {
            Ref_IL_FreeBitmap(&work);
            return nullptr;
        }
    }
    return FinishPicture(&work);
}

_tagBITMAPHANDLE* RefPhotoImageBuffer::FinishPicture(_tagBITMAPHANDLE* work)
{
    _tagBITMAPHANDLE* result = static_cast<_tagBITMAPHANDLE*>(GlobalAlloc(0, sizeof(_tagBITMAPHANDLE)));
    if (result == nullptr) {
        Ref_IL_FreeBitmap(work);
        return nullptr;
    }
    ZeroMemory(result, sizeof(*result));

    _tagBITMAPHANDLE split[3] = {};
    _tagBITMAPHANDLE* parts[3] = {&split[0], &split[1], &split[2]};
    Ref_IL_ColorSeparateBitmap(work, parts, kRecordSize, 0);
    Ref_IL_FreeBitmap(work);

    const bool adjust = colorAdjustment;
    const int32_t gamma[3] = {adjust ? gammaR : 100, adjust ? gammaG : 100, adjust ? gammaB : 100};
    const int32_t intensity[3] = {adjust ? brightnessR : 0, adjust ? brightnessG : 0, adjust ? brightnessB : 0};
    const int32_t contrast[3] = {adjust ? contrastR : 0, adjust ? contrastG : 0, adjust ? contrastB : 0};
    for (int p = 0; p < 3; ++p) Ref_IL_GammaCorrectBitmap(parts[p], static_cast<unsigned>(gamma[p]));
    for (int p = 0; p < 3; ++p) Ref_IL_ChangeBitmapIntensity(parts[p], intensity[p]);
    for (int p = 0; p < 3; ++p) Ref_IL_ChangeBitmapContrast(parts[p], contrast[p]);

    _tagBITMAPHANDLE picture = {};
    Ref_IL_ColorMergeBitmap(&picture, parts, kRecordSize, 0);
    for (auto& plane : split) Ref_IL_FreeBitmap(&plane);

    Ref_IL_SharpenBitmap(&picture, sharpness);
    Ref_IL_ChangeBitmapSaturation(&picture, adjust ? saturation : 0);

    // The finished picture goes out in memory of its own, in the record the
    // caller receives.
    std::memset(split, 0, sizeof(split));
    Ref_IL_ColorSeparateBitmap(&picture, parts, kRecordSize, 0);
    Ref_IL_FreeBitmap(&picture);
    Ref_IL_ColorMergeBitmap(result, parts, kRecordSize, 0);
    for (auto& plane : split) Ref_IL_FreeBitmap(&plane);
    return result;
}
