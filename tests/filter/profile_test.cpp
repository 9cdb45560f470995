// The ZR model profile: media and overcoat tables, page-size choice,
// rotation, two-up sheets and the layout decision.
#include <gtest/gtest.h>

#include <cstring>

#include "filter_fixtures.h"
#include "printer_info.h"

namespace {

struct Choice {
    int code;
    bool multiCut, rotate;
    std::string record;
};

Choice Choose(const char* job)
{
    Options options(job);
    CapturedEntry c;
    c.entry.SetMediaSize(options.count, options.list, nullptr);
    c.entry.SetPaperRotate(options.count, options.list, nullptr);
    return {c.entry.media.mediaCode, c.entry.multiCut, c.entry.paperRotate, c.Take()};
}

TEST(ModelProfile, PageSizeNamesChooseMediaCodeTwoUpAndRotation)
{
    const struct {
        const char* job;
        int code;
        bool multiCut, rotate;
        const char* digits;
    } cases[] = {
        {"PageSize=127x89mm", 1, false, false, "00000001"},   {"PageSize=89x127mm", 1, false, true, "00000001"},
        {"PageSize=127x89mmx2", 1, true, false, "00000001"},  {"PageSize=89x127mmx2", 1, true, true, "00000001"},
        {"PageSize=127x127mm", 10, false, false, "00000029"}, {"PageSize=127x178mm", 2, false, false, "00000003"},
        {"PageSize=153x102mm", 3, false, false, "00000002"},  {"PageSize=102x153mm", 3, false, true, "00000002"},
        {"PageSize=153x102mmx2", 3, true, false, "00000002"}, {"PageSize=102x153mmx2", 3, true, true, "00000002"},
        {"PageSize=153x153mm", 11, false, false, "00000027"}, {"PageSize=153x204mm", 4, false, false, "00000004"},
        {"PageSize=A4", 3, false, false, "00000002"},         {"PageSize=102X153mm", 3, false, false, "00000002"},
        {"", 3, false, false, "00000002"},
    };
    for (const auto& k : cases) {
        const Choice c = Choose(k.job);
        EXPECT_EQ(c.code, k.code) << k.job;
        EXPECT_EQ(c.multiCut, k.multiCut) << k.job;
        EXPECT_EQ(c.rotate, k.rotate) << k.job;
        EXPECT_EQ(c.record, Record("IMAGE", "MULTICUT", k.digits)) << k.job;
    }
}

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

TEST(ModelProfile, TwoUpSheetsComeFromTheTwoUpRowsOnlyForTwoUpSizes)
{
    const struct {
        const char* job;
        int code, multiCutCode, pageLengthPx, gapPx;
    } cases[] = {{"PageSize=102x153mmx2", 6, 12, 2498, 18},
                 {"PageSize=127x89mmx2", 7, 22, 2176, 0},
                 {"PageSize=153x102mm", 3, 2, 1240, 0},
                 {"PageSize=127x127mm", 10, 29, 1540, 0}};
    for (const auto& k : cases) {
        Options job(k.job);
        CapturedEntry c;
        c.entry.SetMediaSize(job.count, job.list, nullptr);
        const DeviceMediaBufferInfo before = c.entry.media;
        const DeviceMediaBufferInfo sheet = c.entry.GetMultiMediaInfo(&c.entry.media, 2);
        EXPECT_EQ(sheet.mediaCode, k.code) << k.job;
        EXPECT_EQ(sheet.multiCutCode, k.multiCutCode) << k.job;
        EXPECT_EQ(sheet.pageLengthPx, k.pageLengthPx) << k.job;
        EXPECT_EQ(sheet.gapPx, k.gapPx) << k.job;
        EXPECT_TRUE(c.entry.media == before) << k.job;
    }
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
        const std::string id = "kzr-layout-" + std::to_string(getpid()) + "-" + std::to_string(++n);
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
