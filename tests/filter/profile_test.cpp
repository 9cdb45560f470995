// The ZR model profile: media and overcoat tables, page-size choice,
// rotation, two-up sheets and the layout decision.
#include <gtest/gtest.h>

#include <cstring>

#include "filter_fixtures.h"
#include "printer_info.h"

namespace {

TEST(ModelProfile, MediaRowsAndTheirDotCountsAtBothResolutions)
{
    CapturedEntry c;
    DeviceEntry_ZR& e = c.entry;
    DeviceMediaBufferInfo record{};
    record.mediaCode = 42;
    for (long code : {0L, 8L, 9L, 14L, -1L}) {
        EXPECT_EQ(e.SetMediaInfo(record, code, 1.53), 3) << code;
        EXPECT_EQ(record.mediaCode, 42) << code;   // outside the code range: untouched
    }
    for (long code : {5L, 12L, 13L}) {
        EXPECT_EQ(e.SetMediaInfo(record, code, 1.53), 3) << code;
        EXPECT_EQ(record.mediaCode, -1) << code;
    }
    EXPECT_EQ(e.SetMediaInfo(record, 3, 0.9), 3);   // firmware older than the row
    EXPECT_EQ(record.mediaCode, -1);

    ASSERT_EQ(e.SetMediaInfo(record, 3, 1.53), 0);
    EXPECT_EQ(record.headWidth, 1920);
    EXPECT_EQ(record.pageLengthDots, 1240);
    EXPECT_EQ(record.pageWidthDots, 1844);
    e.resolution = 600;
    ASSERT_EQ(e.SetMediaInfo(record, 3, 1.53), 0);
    EXPECT_EQ(record.pageLengthDots, 2480);
    EXPECT_EQ(record.pictureLengthDots, 2480);
    EXPECT_EQ(record.pageWidthDots, 1844);
    EXPECT_EQ(record.yDpi, 600);
    EXPECT_EQ(record.xDpi, 300);
    ASSERT_EQ(e.SetMediaInfo(record, 6, 1.53), 0);
    EXPECT_EQ(record.pageLengthDots, 4996);
    EXPECT_EQ(record.gapDots, 36);
    EXPECT_EQ(record.layoutCount, 2);
    // With no media row the derived fields stay as they were.
    record.mediaCode = -1;
    record.pageLengthDots = 7;
    EXPECT_EQ(e.UpdateMediaInfo(record), 0);
    EXPECT_EQ(record.pageLengthDots, 7);
}

TEST(ModelProfile, OvercoatRowsAreSkippedWhenTooNewForTheFirmware)
{
    CapturedEntry c;
    DeviceEntry_ZR& e = c.entry;
    EXPECT_EQ(e.SetOvercoatFinish(22, 1.25), 3);
    EXPECT_EQ(e.overcoat.finishCode, -1);
    EXPECT_EQ(e.SetOvercoatFinish(21, 1.25), 0);
    EXPECT_EQ(e.overcoat.overcoatValue, 21);
    EXPECT_EQ(e.SetOvercoatFinish(122, 1.53), 0);
    EXPECT_EQ(e.overcoat.overcoatFlag, 1);
    EXPECT_EQ(e.SetOvercoatFinish(4, 1.53), 3);
    // Only the low 32 bits of the code count.
    EXPECT_EQ(e.SetOvercoatFinish(0x100000016ul, 1.53), 0);
    EXPECT_EQ(e.overcoat.overcoatValue, 22);
    EXPECT_EQ(e.GetRemainHalf("1"), 0);
    EXPECT_FALSE(e.isSupportDecurl());
    EXPECT_FALSE(e.isSupportSysTime());
}

TEST(ModelProfile, TwoPicturesPerSheetNeedATwoUpSizeAndAKnownMedia)
{
    static int n = 0;
    auto layout = [](const char* job, const char* jobFile) {
        const std::string id = std::to_string(getpid()) + "0" + std::to_string(++n);
        const std::string path = JobFilePath(id.c_str());
        if (jobFile != nullptr) {
            FILE* f = fopen(path.c_str(), "w");
            fputs(jobFile, f);
            fclose(f);
        }
        Options options(job);
        CapturedEntry c;
        c.entry.SetMediaSize(options.count, options.list, nullptr);
        const int result = c.entry.GetMultiLayoutNum(id.c_str());
        unlink(path.c_str());
        return result;
    };
    EXPECT_EQ(layout("PageSize=153x102mmx2", "MEDIA_SIZE=\"310\"\n"), 2);
    EXPECT_EQ(layout("PageSize=89x127mmx2", "MEDIA_SIZE=\"200\"\n"), 2);
    EXPECT_EQ(layout("PageSize=153x102mm", "MEDIA_SIZE=\"310\"\n"), 1);
    EXPECT_EQ(layout("PageSize=153x102mmx2", "MEDIA_SIZE=\"\"\n"), 1);
    EXPECT_EQ(layout("PageSize=153x102mmx2", "STATUS=\"0\"\n"), 1);
    EXPECT_EQ(layout("PageSize=153x102mmx2", nullptr), 1);
}

}  // namespace
