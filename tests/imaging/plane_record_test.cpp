#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "photo_image_buffer.h"
#include "picture.h"

namespace {

// Stands in for the filter's device entry: keeps every record it is given.
class CapturingSink : public CommandSink {
public:
    int SetCommand(char* bytes, unsigned long length) override
    {
        records.emplace_back(bytes, headerOnly ? 32 : length);
        sizes.push_back(length);
        return answer;
    }
    std::vector<std::string> records;
    std::vector<unsigned long> sizes;
    int answer = 1;
    bool headerOnly = false;
};

DeviceMediaBufferInfo Sheet(int headWidth, int pageLength, int pictureLength, int gap, int layouts, int yDpi = 300)
{
    DeviceMediaBufferInfo s{};
    s.mediaCode = 3;
    s.headWidth = headWidth;
    s.xDpi = 300;
    s.yDpi = yDpi;
    s.pageLengthDots = pageLength;
    s.pictureLengthDots = pictureLength;
    s.gapDots = gap;
    s.layoutCount = layouts;
    return s;
}

uint32_t LE4(const std::string& r, size_t at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(r.data() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t LE2(const std::string& r, size_t at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(r.data() + at);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Image byte (row, column) of a record with 1920-byte rows unless told otherwise.
int Dot(const std::string& r, int row, int column, int pitch = 1920)
{
    return static_cast<unsigned char>(r[1120 + static_cast<size_t>(row) * pitch + column]);
}

// A picture whose red byte follows the column, green is 20 and blue follows the row.
_tagBITMAPHANDLE Marked(int width, int height)
{
    return MakePicture(width, height, [](int x, int y) { return Rgb{x % 251, 20, y % 199}; });
}

TEST(PlaneRecords, HeaderAndBitmapFieldsOfASingleSheet)
{
    PhotoImageBuffer buffer;
    DeviceMediaBufferInfo sheet = Sheet(1920, 1240, 1240, 0, 1);
    buffer.Alloc(sheet);
    CapturingSink sink;
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    ASSERT_EQ(sink.records.size(), 3u);
    const char* names[3] = {"YPLANE", "MPLANE", "CPLANE"};
    for (int p = 0; p < 3; ++p) {
        const std::string& r = sink.records[p];
        ASSERT_EQ(r.size(), 2381920u);
        EXPECT_EQ(r.substr(0, 32), std::string("\x1bPIMAGE ") + names[p] + "          02381888");
        EXPECT_EQ(r.substr(32, 2), "BM");
        EXPECT_EQ(LE4(r, 34), 2381888u);
        EXPECT_EQ(LE4(r, 38), 0u);
        EXPECT_EQ(LE4(r, 42), 1088u);
        EXPECT_EQ(LE4(r, 46), 40u);
        EXPECT_EQ(LE4(r, 50), 1920u);
        EXPECT_EQ(LE4(r, 54), 1240u);
        EXPECT_EQ(LE2(r, 58), 1);
        EXPECT_EQ(LE2(r, 60), 8);
        EXPECT_EQ(LE4(r, 62), 0u);
        EXPECT_EQ(LE4(r, 66), 2380800u);
        EXPECT_EQ(LE4(r, 70), 11811u);
        EXPECT_EQ(LE4(r, 74), 11811u);
        EXPECT_EQ(LE4(r, 78), 256u);
        EXPECT_EQ(LE4(r, 82), 256u);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(LE4(r, 86 + 4 * i), static_cast<uint32_t>(i * 0x010101)) << i;
        EXPECT_EQ(r.substr(1110, 10), std::string(10, '\0'));
        EXPECT_EQ(r.find_first_not_of('\xff', 1120), std::string::npos);  // no picture: all white
    }

    sheet = Sheet(1920, 2480, 2480, 0, 1, 600);
    sink.records.clear();
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    EXPECT_EQ(sink.records[0].substr(24, 8), "04762688");
    EXPECT_EQ(LE4(sink.records[0], 54), 2480u);
    EXPECT_EQ(LE4(sink.records[0], 70), 11811u);
    EXPECT_EQ(LE4(sink.records[0], 74), 23622u);
}

TEST(PlaneRecords, PicturePlacementAndPlaneOrder)
{
    PhotoImageBuffer buffer;
    DeviceMediaBufferInfo sheet = Sheet(1920, 1240, 1240, 0, 1);
    buffer.Alloc(sheet);
    _tagBITMAPHANDLE picture = Marked(1844, 1240);
    buffer.SetImageData(0, &picture);
    CapturingSink sink;
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    const std::string& y = sink.records[0];
    const std::string& m = sink.records[1];
    const std::string& c = sink.records[2];
    for (int row : {0, 700, 1239}) {
        EXPECT_EQ(Dot(y, row, 37), 255);
        EXPECT_EQ(Dot(y, row, 38), row % 199);  // yellow carries blue
        EXPECT_EQ(Dot(m, row, 38 + 500), 20);
        EXPECT_EQ(Dot(c, row, 38 + 300), 300 % 251);  // cyan carries red
        EXPECT_EQ(Dot(c, row, 1881), 1843 % 251);
        EXPECT_EQ(Dot(c, row, 1882), 255);
    }

    // A bordered picture is centred: column 127, row 60.
    _tagBITMAPHANDLE bordered = Marked(1665, 1120);
    buffer.SetImageData(0, &bordered);
    sink.records.clear();
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    const std::string& cyan = sink.records[2];
    EXPECT_EQ(Dot(cyan, 59, 127), 255);
    EXPECT_EQ(Dot(cyan, 60, 126), 255);
    EXPECT_EQ(Dot(cyan, 60, 127), 0);
    EXPECT_EQ(Dot(sink.records[0], 1179, 1791), 1119 % 199);
    EXPECT_EQ(Dot(cyan, 1179, 1792), 255);
    EXPECT_EQ(Dot(cyan, 1180, 127), 255);
    IL_FreeBitmap(&picture);
    IL_FreeBitmap(&bordered);
}

TEST(PlaneRecords, TwoUpSheetPlacesPicturesAtRows0And1258)
{
    PhotoImageBuffer buffer;
    buffer.Alloc(Sheet(1920, 1240, 1240, 0, 1));  // the single-picture sheet sets the pitch
    DeviceMediaBufferInfo sheet = Sheet(1920, 2498, 1240, 18, 2);
    _tagBITMAPHANDLE first = Flat(1844, 1240, {10, 20, 30});
    _tagBITMAPHANDLE second = Flat(1844, 1240, {40, 50, 60});
    buffer.SetImageData(0, &first);
    buffer.SetImageData(1, &second);
    CapturingSink sink;
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    const std::string& y = sink.records[0];
    EXPECT_EQ(y.size(), 4797248u + 32u);
    EXPECT_EQ(y.substr(24, 8), "04797248");
    EXPECT_EQ(Dot(y, 0, 38), 30);
    EXPECT_EQ(Dot(y, 1239, 1881), 30);
    for (int row : {1240, 1249, 1257}) EXPECT_EQ(Dot(y, row, 900), 255) << row;
    EXPECT_EQ(Dot(y, 1258, 38), 60);
    EXPECT_EQ(Dot(y, 2497, 1881), 60);
    EXPECT_EQ(Dot(y, 2497, 1882), 255);
    EXPECT_EQ(Dot(sink.records[2], 1258, 38), 40);
    IL_FreeBitmap(&first);
    IL_FreeBitmap(&second);
}

TEST(PlaneRecords, PlanesAreCutToTheSheetAndFollowAtItsPitch)
{
    PhotoImageBuffer buffer;
    DeviceMediaBufferInfo sheet = Sheet(8, 6, 4, 0, 1);
    buffer.Alloc(sheet);
    _tagBITMAPHANDLE picture = MakePicture(10, 6, [](int x, int y) { return Rgb{0, 0, 10 * y + x}; });
    buffer.SetImageData(0, &picture);
    CapturingSink sink;
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    const std::string& y = sink.records[0];
    ASSERT_EQ(y.size(), 1120u + 48u);
    EXPECT_EQ(Dot(y, 0, 0, 8), 0);
    EXPECT_EQ(Dot(y, 3, 7, 8), 37);
    EXPECT_EQ(Dot(y, 4, 0, 8), 255);

    // The second picture follows at the stored sheet's length plus the gap,
    // not at the picture length.
    DeviceMediaBufferInfo single = Sheet(8, 5, 4, 0, 1);
    buffer.Alloc(single);
    buffer.SetImageData(1, &picture);
    DeviceMediaBufferInfo twoUp = Sheet(8, 12, 4, 1, 2);
    sink.records.clear();
    ASSERT_EQ(buffer.Send(&sink, &twoUp), 0);
    EXPECT_EQ(Dot(sink.records[0], 5, 0, 8), 255);
    EXPECT_EQ(Dot(sink.records[0], 6, 1, 8), 1);
    EXPECT_EQ(Dot(sink.records[0], 9, 1, 8), 31);
    EXPECT_EQ(Dot(sink.records[0], 10, 1, 8), 255);
    IL_FreeBitmap(&picture);
}

TEST(PlaneRecords, RefusalsWriteNothingMore)
{
    PhotoImageBuffer buffer;
    DeviceMediaBufferInfo sheet = Sheet(1920, 1240, 1240, 0, 1);
    CapturingSink refusing;
    refusing.answer = 0;
    EXPECT_EQ(buffer.Send(&refusing, &sheet), 3);
    EXPECT_EQ(refusing.records.size(), 1u);  // stops after the refused plane

    CapturingSink sink;
    EXPECT_EQ(buffer.Send(nullptr, &sheet), 3);
    EXPECT_EQ(buffer.Send(&sink, nullptr), 3);
    // 1920 x 52083 + 1088 no longer fits the eight-digit length field.
    DeviceMediaBufferInfo huge = Sheet(1920, 52083, 52083, 0, 1);
    EXPECT_EQ(buffer.Send(&sink, &huge), 3);
    DeviceMediaBufferInfo tooLong = Sheet(4, 24999728, 1, 0, 1);  // 99,998,912 + 1088
    EXPECT_EQ(buffer.Send(&sink, &tooLong), 3);
    EXPECT_TRUE(sink.records.empty());
    DeviceMediaBufferInfo largest = Sheet(4, 24999727, 1, 0, 1);  // 99,998,908 + 1088
    sink.headerOnly = true;
    EXPECT_EQ(buffer.Send(&sink, &largest), 0);
    EXPECT_EQ(sink.sizes.front(), 99998908u + 1120u);
    EXPECT_EQ(sink.records.front().substr(24, 8), "99999996");
    EXPECT_EQ(sink.records.size(), 3u);
}

}  // namespace
