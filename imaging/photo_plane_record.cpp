// The sheet's colour plane records: a command header followed by a Windows
// BMP file with an 8-bit grey palette, one record per plane, each built in
// one buffer and written with one call.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "il_internal.h"
#include "photo_image_buffer.h"
#include "record_frame.h"
#include "record_text.h"

namespace {

constexpr int kHeaderBytes = static_cast<int>(zr_record::kHeaderSize);
constexpr int kBmpHeaderBytes = 1088; // file and information headers, palette, padding
constexpr int kPixelOffset = kHeaderBytes + kBmpHeaderBytes;
constexpr int64_t kMaxDataLength = zr_record::kMaxDataLength;

int PixelsPerMetre(int64_t dpi) { return static_cast<int>(dpi * 1000 / 25.4); }

// Bytes 0..1119 of a record; the plane name is written per plane.
void FillHeader(unsigned char* r, int64_t imageBytes, const DeviceMediaBufferInfo& sheet)
{
    std::memset(r, 0, kPixelOffset);
    zr_record::WriteHeader(r, "IMAGE", nullptr, static_cast<long>(imageBytes + kBmpHeaderBytes));

    unsigned char* bmp = r + kHeaderBytes;
    bmp[0] = 'B';
    bmp[1] = 'M';
    _StoreLE4(bmp + 2, static_cast<int>(imageBytes + kBmpHeaderBytes));
    _StoreLE4(bmp + 6, 0);
    _StoreLE4(bmp + 10, kBmpHeaderBytes);
    _StoreLE4(bmp + 14, 40);
    _StoreLE4(bmp + 18, sheet.headWidth);
    _StoreLE4(bmp + 22, sheet.pageLengthDots);  // positive: rows bottom-up
    _StoreLE2(bmp + 26, 1);
    _StoreLE2(bmp + 28, 8);
    _StoreLE4(bmp + 30, 0);
    _StoreLE4(bmp + 34, static_cast<int>(imageBytes));
    _StoreLE4(bmp + 38, PixelsPerMetre(sheet.xDpi));
    _StoreLE4(bmp + 42, PixelsPerMetre(sheet.yDpi));
    _StoreLE4(bmp + 46, 256);
    _StoreLE4(bmp + 50, 256);
    unsigned char* palette = bmp + 54;
    for (int i = 0; i < 256; ++i) {
        palette[i * 4 + 0] = palette[i * 4 + 1] = palette[i * 4 + 2] = static_cast<unsigned char>(i);
    }
}

}  // namespace

// Where slot k's picture lands on the sheet: its first row (rows may fall
// outside the sheet and are then skipped), how many rows and columns, and
// the first column. No rows for a slot without pixels or of no size.
PhotoImageBuffer::Placement PhotoImageBuffer::Place(const DeviceMediaBufferInfo& sheet, int k,
                                                    const _tagBITMAPHANDLE& plane) const
{
    Placement at{};
    if (plane.pixels == nullptr) return at;
    at.rows = sheet.pictureLengthDots < plane.height ? sheet.pictureLengthDots : plane.height;
    at.columns = sheet.headWidth < plane.width ? sheet.headWidth : plane.width;
    if (at.rows <= 0 || at.columns <= 0) return Placement{};
    at.left = (sheet.headWidth - at.columns) / 2;
    // Pictures follow one another at the single-picture sheet length plus
    // the sheet's gap.
    const int64_t base = (static_cast<int64_t>(sheet.gapDots) + media.pageLengthDots) * k;
    at.firstRow = base + (sheet.pictureLengthDots - at.rows) / 2;
    return at;
}

// The first plane's pictures overwrite their own places before anything is
// sent, so only the bytes around them need the white fill.
void PhotoImageBuffer::FillWhiteAround(unsigned char* image, int64_t pitch, int64_t height,
                                       const DeviceMediaBufferInfo& sheet, int layouts) const
{
    Placement placed[3];
    for (int k = 0; k < layouts; ++k) placed[k] = Place(sheet, k, planes[k][0]);
    for (int64_t row = 0; row < height; ++row) {
        unsigned char* line = image + row * pitch;
        // Covered column ranges of this row, in order.
        std::pair<int64_t, int64_t> spans[3];
        int count = 0;
        for (int k = 0; k < layouts; ++k) {
            const Placement& at = placed[k];
            if (row >= at.firstRow && row < at.firstRow + at.rows) spans[count++] = {at.left, at.left + at.columns};
        }
        for (int i = 1; i < count; ++i) {
            for (int j = i; j > 0 && spans[j] < spans[j - 1]; --j) std::swap(spans[j], spans[j - 1]);
        }
        int64_t from = 0;
        for (int i = 0; i < count; ++i) {
            if (spans[i].first > from) std::memset(line + from, 255, static_cast<size_t>(spans[i].first - from));
            from = std::max(from, spans[i].second);
        }
        if (pitch > from) std::memset(line + from, 255, static_cast<size_t>(pitch - from));
    }
}

int PhotoImageBuffer::Send(CommandSink* entry, DeviceMediaBufferInfo* sheet)
{
    if (entry == nullptr || sheet == nullptr || sheet->headWidth <= 0 || sheet->pageLengthDots <= 0) return 3;
    const int64_t width = sheet->headWidth;
    const int64_t height = sheet->pageLengthDots;
    const int64_t pitch = ((width * 8 + 7) / 8 + 3) & ~int64_t{3};
    const int64_t imageBytes = pitch * height;
    // A record whose length does not fit the eight-digit field would be
    // corrupt on the wire: refuse it rather than send it.
    if (imageBytes + kBmpHeaderBytes > kMaxDataLength) return 3;
    const size_t recordBytes = static_cast<size_t>(imageBytes + kPixelOffset);
    unsigned char* record = static_cast<unsigned char*>(GlobalAlloc(0, recordBytes));
    if (record == nullptr) return 3;

    FillHeader(record, imageBytes, *sheet);
    unsigned char* image = record + kPixelOffset;
    const int layouts = sheet->layoutCount < 0 ? 0 : (sheet->layoutCount > 3 ? 3 : sheet->layoutCount);
    // White wherever no picture lands; every plane places its pictures at
    // the same positions, so one fill serves all three.
    FillWhiteAround(image, pitch, height, *sheet, layouts);

    static const char* const kNames[3] = {"YPLANE", "MPLANE", "CPLANE"};
    for (int p = 0; p < 3; ++p) {
        std::memcpy(record + 8, kNames[p], 6);
        for (int k = 0; k < layouts; ++k) {
            const Placement at = Place(*sheet, k, planes[k][p]);
            if (at.rows == 0) continue;
            const _tagBITMAPHANDLE& plane = planes[k][p];
            for (int i = 0; i < at.rows; ++i) {
                const int64_t row = at.firstRow + i;
                if (row < 0 || row >= height) continue;
                std::memcpy(image + row * pitch + at.left, plane.pixels + static_cast<int64_t>(i) * plane.rowBytes,
                            static_cast<size_t>(at.columns));
            }
        }
        if (entry->SetCommand(reinterpret_cast<char*>(record), static_cast<unsigned long>(recordBytes)) == 0) {
            GlobalFree(record);
            return 3;
        }
    }
    GlobalFree(record);
    return 0;
}
