// The Printer Application's translations: IPP media and resolution to the
// PPD's page sizes (whose raster sizes must agree, or pages would be
// resampled and records differ from the filter's), vendor attributes to
// filter options, and printer statuses to PAPPL's reasons.
#include "job_options.h"
#include "zr_status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

// PageSize name -> its size in points, from the queue's PPD.
std::map<std::string, std::pair<double, double>> PpdPageSizes()
{
    std::map<std::string, std::pair<double, double>> sizes;
    std::ifstream ppd(KZR_PPD_PATH);
    const std::regex line(R"(^\*PageSize ([^/ ]+)/[^:]*: "<</PageSize\[([0-9.]+) ([0-9.]+)\])");
    for (std::string text; std::getline(ppd, text);) {
        std::smatch m;
        if (std::regex_search(text, m, line))
            sizes[m[1]] = {std::stod(m[2]), std::stod(m[3])};
    }
    return sizes;
}

TEST(Media, EveryChoiceHasTheRasterSizeOfItsPpdPageSize)
{
    const auto ppd = PpdPageSizes();
    ASSERT_FALSE(ppd.empty());
    for (int i = 0; i < kAppMediaCount; ++i) {
        for (bool landscape : {false, true}) {
            for (bool twoUp : {false, true}) {
                for (unsigned dpi : {300u, 600u}) {
                    PageChoice c;
                    ASSERT_TRUE(ChoosePage(kAppMedia[i].pwg, landscape, twoUp, dpi, dpi, &c)) << kAppMedia[i].pwg;
                    const auto it = ppd.find(c.pageSize);
                    ASSERT_NE(it, ppd.end()) << c.pageSize << " is not a PageSize of the PPD";
                    // CUPS makes the raster of a page size at floor(points * dpi / 72).
                    EXPECT_EQ(c.width, static_cast<int>(it->second.first * dpi / 72)) << c.pageSize << " " << dpi;
                    EXPECT_EQ(c.height, static_cast<int>(it->second.second * dpi / 72)) << c.pageSize << " " << dpi;
                    if (kAppMedia[i].portrait != std::string(kAppMedia[i].landscape))
                        EXPECT_EQ(landscape, c.width > c.height) << c.pageSize;
                }
            }
        }
    }
    PageChoice c;
    EXPECT_TRUE(ChoosePage("na_index-4x6_4x6in", false, true, 300, 300, &c));
    EXPECT_EQ(c.pageSize, "102x153mmx2");
    EXPECT_TRUE(ChoosePage("na_5x7_5x7in", false, true, 300, 300, &c));
    EXPECT_EQ(c.pageSize, "127x178mm") << "5x7 has no two-up sheet";
    EXPECT_FALSE(ChoosePage("iso_a4_210x297mm", false, false, 300, 300, &c));
    EXPECT_FALSE(ChoosePage("na_index-4x6_4x6in", false, false, 150, 150, &c));
}

TEST(VendorOptions, BecomeTheFilterOptionsAndRefuseWhatTheyDoNotList)
{
    cups_option_t* options = nullptr;
    int n = 0;
    n = cupsAddOption("korvane-overcoat-finish", "fine-matte", n, &options);
    n = cupsAddOption("korvane-white-border", "on", n, &options);
    n = cupsAddOption("korvane-sharpness", "8", n, &options);
    n = cupsAddOption("korvane-color-adjustment", "on", n, &options);
    n = cupsAddOption("korvane-gamma", "-100", n, &options);
    n = cupsAddOption("korvane-brightness", "101", n, &options);  // out of range
    n = cupsAddOption("korvane-contrast", "ten", n, &options);    // not a number
    n = cupsAddOption("korvane-chroma", "30", n, &options);
    n = cupsAddOption("korvane-two-up", "on", n, &options);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ZvoOvercoatFinish", "FineMatte"}, {"ZvoBorder", "Enable"}, {"ZvoSharpness", "8"},
        {"ZvoColorAdjustment", "Enable"}, {"ZvoGamma", "-100"}, {"ZvoChroma", "30"}};
    EXPECT_EQ(FilterOptions(n, options), expected);
    EXPECT_TRUE(WantsTwoUp(n, options));
    cupsFreeOptions(n, options);
    EXPECT_TRUE(FilterOptions(0, nullptr).empty());
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
