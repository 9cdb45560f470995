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
int Dot(const std::string& r, int row, int column, int pitch = 1920)
{
    return static_cast<unsigned char>(r[1120 + static_cast<size_t>(row) * pitch + column]);
}

// Red follows the column, green is 20, blue follows the row.
_tagBITMAPHANDLE Marked(int width, int height)
{
    return MakePicture(width, height, [](int x, int y) { return Rgb{x % 251, 20, y % 199}; });
}

TEST(PlaneRecords, PlacementOnOneAndTwoUpSheets)
{
    PhotoImageBuffer buffer;
    DeviceMediaBufferInfo single = Sheet(1920, 1240, 1240, 0, 1);
    buffer.Alloc(single);  // its length plus the gap is the pitch between pictures
    _tagBITMAPHANDLE first = Marked(1844, 1240), second = Flat(1844, 1240, {40, 50, 60});
    buffer.SetImageData(0, &first);
    buffer.SetImageData(1, &second);
    DeviceMediaBufferInfo twoUp = Sheet(1920, 2498, 1240, 18, 2);
    CapturingSink sink;
    ASSERT_EQ(buffer.Send(&sink, &twoUp), 0);
    const std::string &y = sink.records[0], &m = sink.records[1], &c = sink.records[2];
    EXPECT_EQ(y.size(), 4797248u + 32u);
    for (int row : {0, 700, 1239}) {
        EXPECT_EQ(Dot(y, row, 37), 255);
        EXPECT_EQ(Dot(y, row, 38), row % 199);  // yellow carries blue
        EXPECT_EQ(Dot(m, row, 538), 20);
        EXPECT_EQ(Dot(c, row, 1881), 1843 % 251);  // cyan carries red
        EXPECT_EQ(Dot(c, row, 1882), 255);
    }
    for (int row : {1240, 1257}) EXPECT_EQ(Dot(y, row, 900), 255) << row;
    EXPECT_EQ(Dot(y, 1258, 38), 60);
    EXPECT_EQ(Dot(c, 2497, 1881), 40);
    EXPECT_EQ(Dot(c, 2497, 1882), 255);

    // A bordered picture is centred on the single sheet: column 127, row 60.
    _tagBITMAPHANDLE bordered = Marked(1665, 1120);
    buffer.SetImageData(0, &bordered);
    sink.records.clear();
    ASSERT_EQ(buffer.Send(&sink, &single), 0);
    const std::string& cyan = sink.records[2];
    EXPECT_EQ(Dot(cyan, 59, 127), 255);
    EXPECT_EQ(Dot(cyan, 60, 126), 255);
    EXPECT_EQ(Dot(cyan, 60, 127), 0);
    EXPECT_EQ(Dot(sink.records[0], 1179, 1791), 1119 % 199);
    EXPECT_EQ(Dot(cyan, 1179, 1792), 255);
    EXPECT_EQ(Dot(cyan, 1180, 127), 255);
    for (auto* b : {&first, &second, &bordered}) IL_FreeBitmap(b);
}

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
