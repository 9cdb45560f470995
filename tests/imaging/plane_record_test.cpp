#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "photo_image_buffer.h"
#include "picture.h"

namespace {

// Stands in for the filter's device entry: keeps every record it is given.
struct CapturingSink : CommandSink {
    int SetCommand(char* bytes, unsigned long length) override
    {
        records.emplace_back(bytes, length);
        return 1;
    }
    std::vector<std::string> records;
};

DeviceMediaBufferInfo Sheet(int headWidth, int pageLength, int pictureLength, int gap, int layouts, int yDpi = 300)
{
    DeviceMediaBufferInfo s{};
    s.headWidth = headWidth;
    s.xDpi = 300;
    s.yDpi = yDpi;
    s.pageLengthDots = pageLength;
    s.pictureLengthDots = pictureLength;
    s.gapDots = gap;
    s.layoutCount = layouts;
    return s;
}

// Image byte (row, column) of a record.
int Dot(const std::string& r, int row, int column, int pitch)
{
    return static_cast<unsigned char>(r[1120 + static_cast<size_t>(row) * pitch + column]);
}

// Where pictures land on real sheets is in the filter's golden streams; on
// those sheets a picture is as long as the single-picture sheet, so only a
// made-up sheet tells the two lengths apart.
TEST(PlaneRecords, PlanesAreCutToTheSheetAndFollowAtItsPitch)
{
    PhotoImageBuffer buffer;
    buffer.Alloc(Sheet(8, 5, 4, 0, 1));
    _tagBITMAPHANDLE picture = MakePicture(10, 6, [](int x, int y) { return Rgb{0, 0, 10 * y + x}; });
    buffer.SetImageData(0, &picture);
    buffer.SetImageData(1, &picture);
    DeviceMediaBufferInfo sheet = Sheet(8, 12, 4, 1, 2);
    CapturingSink sink;
    ASSERT_EQ(buffer.Send(&sink, &sheet), 0);
    const std::string& y = sink.records[0];
    ASSERT_EQ(y.size(), 1120u + 96u);
    EXPECT_EQ(Dot(y, 3, 7, 8), 37);   // first 8 columns, first 4 rows, from column 0
    EXPECT_EQ(Dot(y, 4, 0, 8), 255);
    EXPECT_EQ(Dot(y, 5, 0, 8), 255);  // the gap row
    EXPECT_EQ(Dot(y, 6, 1, 8), 1);    // stored sheet length 5 + gap 1, not the picture length
    EXPECT_EQ(Dot(y, 9, 1, 8), 31);
    EXPECT_EQ(Dot(y, 10, 1, 8), 255);
    IL_FreeBitmap(&picture);
}

}  // namespace
