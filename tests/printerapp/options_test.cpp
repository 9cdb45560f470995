// The Printer Application's translations: IPP media and resolution to the
// filter's page sizes at the printed picture's raster size (anything else
// would be resampled and the records would differ from the filter's), vendor
// attributes to filter options, and printer statuses to PAPPL's reasons.
#include "job_options.h"
#include "zr_status.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// The printed picture of each page size in pixels at 300 dpi, across the
// head x along the feed (the printer's media table); upright names turn it.
const std::map<std::string, std::pair<int, int>> kPicture = {
    {"127x89mm", {1548, 1088}},   {"127x89mmx2", {1548, 1088}}, {"127x127mm", {1548, 1540}},
    {"127x178mm", {1548, 2138}},  {"153x102mm", {1844, 1240}},  {"153x102mmx2", {1844, 1240}},
    {"153x153mm", {1844, 1836}},  {"153x204mm", {1844, 2436}},
};
const std::map<std::string, std::string> kUpright = {
    {"89x127mm", "127x89mm"}, {"89x127mmx2", "127x89mmx2"}, {"102x153mm", "153x102mm"},
    {"102x153mmx2", "153x102mmx2"},
};

TEST(Media, EveryChoiceHasThePictureSizeOfItsPageSize)
{
    for (int i = 0; i < kAppMediaCount; ++i) {
        for (bool landscape : {false, true}) {
            for (bool twoUp : {false, true}) {
                for (unsigned dpi : {300u, 600u}) {
                    PageChoice c;
                    ASSERT_TRUE(ChoosePage(kAppMedia[i].pwg, landscape, twoUp, dpi, dpi, &c)) << kAppMedia[i].pwg;
                    const auto upright = kUpright.find(c.pageSize);
                    const std::string row = upright != kUpright.end() ? upright->second : c.pageSize;
                    const auto it = kPicture.find(row);
                    ASSERT_NE(it, kPicture.end()) << c.pageSize << " is not a page size of the printer";
                    int w = it->second.first * static_cast<int>(dpi) / 300;
                    int h = it->second.second * static_cast<int>(dpi) / 300;
                    if (upright != kUpright.end())
                        std::swap(w, h);
                    EXPECT_EQ(c.width, w) << c.pageSize << " " << dpi;
                    EXPECT_EQ(c.height, h) << c.pageSize << " " << dpi;
                }
            }
        }
    }
    PageChoice c;
    EXPECT_FALSE(ChoosePage("iso_a4_210x297mm", false, false, 300, 300, &c));
    EXPECT_FALSE(ChoosePage("na_index-4x6_4x6in", false, false, 150, 150, &c));
}

TEST(VendorOptions, BecomeTheFilterOptionsAndRefuseWhatTheyDoNotList)
{
    cups_option_t* options = nullptr;
    int n = 0;
    // Brightness out of range and contrast not a number are left out.
    for (const auto& [name, value] : {std::pair{"korvane-overcoat-finish", "fine-matte"},
             {"korvane-white-border", "on"}, {"korvane-sharpness", "8"}, {"korvane-color-adjustment", "on"},
             {"korvane-gamma", "-100"}, {"korvane-brightness", "101"}, {"korvane-contrast", "ten"},
             {"korvane-chroma", "30"}, {"korvane-two-up", "on"}})
        n = cupsAddOption(name, value, n, &options);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ZvoOvercoatFinish", "FineMatte"}, {"ZvoBorder", "Enable"}, {"ZvoSharpness", "8"},
        {"ZvoColorAdjustment", "Enable"}, {"ZvoGamma", "-100"}, {"ZvoChroma", "30"}};
    EXPECT_EQ(FilterOptions(n, options), expected);
    EXPECT_TRUE(WantsTwoUp(n, options));
    cupsFreeOptions(n, options);
    EXPECT_FALSE(WantsTwoUp(0, nullptr));
}

TEST(Reasons, FollowTheBackendsTable)
{
    const std::pair<long, pappl_preason_t> statuses[] = {
        {0, PAPPL_PREASON_NONE}, {1, PAPPL_PREASON_NONE}, {500, PAPPL_PREASON_NONE},
        {1000, PAPPL_PREASON_DOOR_OPEN}, {1010, PAPPL_PREASON_OTHER}, {1100, PAPPL_PREASON_MEDIA_EMPTY},
        {1200, PAPPL_PREASON_MARKER_SUPPLY_EMPTY}, {1300, PAPPL_PREASON_MEDIA_JAM},
        {1400, PAPPL_PREASON_OTHER}, {2610, PAPPL_PREASON_OTHER}};
    for (const auto& [status, bit] : statuses)
        EXPECT_EQ(StatusReason(status), bit) << status;
    EXPECT_EQ(ReasonBit("media-needed-error"), PAPPL_PREASON_MEDIA_NEEDED);
    EXPECT_EQ(ReasonBit("marker-supply-low-report"), PAPPL_PREASON_MARKER_SUPPLY_LOW);
    EXPECT_EQ(ReasonBit("connecting-to-device"), PAPPL_PREASON_NONE);
    EXPECT_EQ(ReasonBit("offline-report"), PAPPL_PREASON_OFFLINE);
}

}  // namespace
