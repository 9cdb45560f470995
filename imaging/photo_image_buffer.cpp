// The photo buffer's slots and its per-page picture pipeline.
#include "photo_image_buffer.h"

#include <cstdint>
#include <cstring>
#include <thread>

#include "il_internal.h"
#include "row_stream.h"

namespace {

constexpr int kRecordSize = static_cast<int>(sizeof(_tagBITMAPHANDLE));
// Border shrinking resamples the picture in strips of this many source rows,
// each with its own edges (the printed result depends on where they fall).
constexpr int kStripRows = 1000;

// What IL_SizeBitmap accepts as a new size for a 24-bit picture.
bool ResizableTo(int width, int height)
{
    size_t bytes = 0;
    return width > 0 && height > 0 && il::FitsInt32(il::RowBytes(width, 24)) &&
           il::Product(il::RowBytes(width, 24), height, &bytes);
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

PhotoImageBuffer::PhotoImageBuffer()
    : resolution(300),
      resolutionMode(0),
      paperRotate(false),
      border(true),
      sharpness(0),
      colorAdjustment(false),
      gammaR(0), gammaG(0), gammaB(0),
      brightnessR(0), brightnessG(0), brightnessB(0),
      contrastR(0), contrastG(0), contrastB(0),
      saturation(0),
      threads(std::thread::hardware_concurrency() >= 2 ? 2 : 1)
{
    std::memset(&media, 0, sizeof(media));
    media.mediaCode = -1;
    std::memset(planes, 0, sizeof(planes));
}

PhotoImageBuffer::~PhotoImageBuffer() { Free(); }

int PhotoImageBuffer::Alloc(DeviceMediaBufferInfo info)
{
    if (!(info == media)) media = info;
    return 0;
}

int PhotoImageBuffer::Clear()
{
    for (auto& slot : planes) {
        for (auto& plane : slot) IL_FreeBitmap(&plane);
    }
    return 0;
}

int PhotoImageBuffer::Free() { return Clear(); }

void PhotoImageBuffer::SetImageData(int slot, _tagBITMAPHANDLE* picture)
{
    if (slot < 0 || slot > 2) return;
    _tagBITMAPHANDLE* held = planes[slot];
    for (int p = 0; p < 3; ++p) {
        IL_FreeBitmap(&held[p]);
        std::memset(&held[p], 0, sizeof(held[p]));
    }
    // The printer's planes are yellow, magenta, cyan: the complements of
    // blue, green and red, so separation output 0 (red) goes to plane 2.
    _tagBITMAPHANDLE* out[3] = {&held[2], &held[1], &held[0]};
    IL_ColorSeparateBitmap(picture, out, kRecordSize, 0);
}

float PhotoImageBuffer::BorderScale() const
{
    int64_t pageLength = media.pageLengthPx;
    int64_t borderLength = media.borderLengthPx;
    if (resolution == 600) {
        pageLength *= 2;
        borderLength *= 2;
    }
    // Without a sheet (no media set) there is no border to keep.
    if (pageLength <= 0 || media.pageWidthPx <= 0) return 0.0f;
    const float lengthRatio = BorderRatio(pageLength, borderLength);
    const float widthRatio = BorderRatio(media.pageWidthPx, media.borderWidthPx);
    const float s = lengthRatio < widthRatio ? lengthRatio : widthRatio;
    if (!(s > 0.0f) || s > 1.0f) return 0.0f;
    return s;
}

// The page flows through the stages a row at a time: turned, resized for
// the resolution mode, shrunk inside the border in strips, then finished
// into the result. Only the page and the result are whole pictures.
_tagBITMAPHANDLE* PhotoImageBuffer::ColorProcess(void* page, long width, long height, int /*slot*/)
{
    unsigned char* buffer = static_cast<unsigned char*>(page);
    size_t pageBytes = 0;
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX ||
        !il::FitsInt32(il::RowBytes(width, 24)) || !il::Product(il::RowBytes(width, 24), height, &pageBytes)) {
        // A page the library cannot describe: nothing to process, and the
        // buffer is not read.
        GlobalFree(buffer);
        buffer = nullptr;
    }
    if (buffer == nullptr) return FinishPicture(nullptr);

    il::PagePlan plan;
    plan.page = buffer;
    plan.width = static_cast<int>(width);
    plan.height = static_cast<int>(height);
    plan.turn = paperRotate;
    int pw = paperRotate ? plan.height : plan.width;
    int ph = paperRotate ? plan.width : plan.height;
    if (resolutionMode == 2 && ResizableTo(pw / 2, ph)) {
        plan.modeWidth = pw / 2;
        plan.modeHeight = ph;
    } else if (resolutionMode == 1 && paperRotate && static_cast<int64_t>(ph) * 2 <= INT32_MAX &&
               ResizableTo(pw / 2, ph * 2)) {
        plan.modeWidth = pw / 2;
        plan.modeHeight = ph * 2;
    }
    if (plan.modeWidth > 0) {
        pw = plan.modeWidth;
        ph = plan.modeHeight;
    }

    const float s = border ? BorderScale() : 0.0f;
    if (s > 0.0f) {
        const int bw = static_cast<int>(static_cast<float>(pw) * s);
        const int bh = static_cast<int>(static_cast<float>(ph) * s);
        if (bw > 0 && bh > 0) {
            size_t bytes = 0;
            if (!il::Product(il::RowBytes(bw, 24), bh, &bytes)) {
                GlobalFree(buffer);
                return nullptr;
            }
            plan.borderScale = s;
            plan.borderWidth = bw;
            plan.borderHeight = bh;
            plan.stripRows = kStripRows;
        }
    }
    _tagBITMAPHANDLE* result = FinishPicture(&plan);
    GlobalFree(buffer);
    return result;
}
