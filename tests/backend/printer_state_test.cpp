// The meaning the backend gives the printer's answers: the instruction a
// user reads in CUPS must be the status monitor's own, and no sheet may be
// sent to media that cannot print it.
#include "printer_queries.h"
#include "printer_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace {

using namespace zr_backend;

// The English catalogue's instruction texts by message code, on one line.
std::map<int, std::string> CatalogueInstructions()
{
    std::ifstream in(KZR_EN_CATALOGUE);
    const std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::map<int, std::string> found;
    const std::regex entry("<source>ms_(\\d+)</source>\\s*<translation>([^<]*)</translation>");
    for (std::sregex_iterator it(all.begin(), all.end(), entry), end; it != end; ++it) {
        std::string value = std::regex_replace((*it)[2].str(), std::regex("&#10;"), " ");
        value = std::regex_replace(value, std::regex("^ +| +$"), "");
        found[std::stoi((*it)[1].str())] = value;
    }
    return found;
}

TEST(PrinterState, EveryErrorHasItsReasonAndTheMonitorsInstruction)
{
    const std::map<int, std::string> catalogue = CatalogueInstructions();
    ASSERT_GE(catalogue.size(), 20u) << "catalogue not read";
    const std::map<long, std::string> reasons = {{1000, "door-open-error"}, {1010, "other-error"},
        {1100, "media-empty-error"}, {1200, "marker-supply-empty-error"}, {1300, "media-jam-error"},
        {1400, "marker-supply-missing-error"}, {1500, "other-error"}, {1600, "other-error"},
        {2000, "other-error"}, {2610, "other-error"}, {2800, "other-error"}, {3000, "other-error"}};
    for (const auto& [status, reason] : reasons) {
        EXPECT_TRUE(IsErrorStatus(status));
        EXPECT_EQ(ErrorReason(status), reason) << status;
        const auto text = catalogue.find(GetMessage(static_cast<int>(status)));
        ASSERT_NE(text, catalogue.end()) << status;
        EXPECT_EQ(Instruction(status), text->second) << status;
    }
    for (long fine : {0L, 1L, 500L, 900L})
        EXPECT_FALSE(IsErrorStatus(fine)) << fine;
}

TEST(PrinterState, SheetsGoOnlyToMediaThatPrintsThem)
{
    // Sheet codes: 1 3.5x5, 29 5x5, 3 5x7, 22 two 3.5x5, 2 4x6, 27 6x6, 4 6x8, 12 two 4x6.
    const std::map<int, std::vector<int>> takes = {
        {200, {1}}, {210, {1, 29, 3, 22}}, {301, {2}}, {310, {2, 27, 4, 12}}};
    for (const auto& [media, sheets] : takes) {
        for (int sheet : {1, 29, 3, 22, 2, 27, 4, 12}) {
            const bool expected = std::find(sheets.begin(), sheets.end(), sheet) != sheets.end();
            EXPECT_EQ(MediaTakesSheet(media, sheet), expected) << media << " " << sheet;
        }
    }
    EXPECT_FALSE(MediaTakesSheet(-1, 2));
    EXPECT_FALSE(MediaTakesSheet(310, 99));
    for (const auto& [sheet, media] : {std::pair{12, "6x8 ribbon and paper"}, {3, "5x7 ribbon and paper"},
             {1, "5x3.5 ribbon and paper"}, {99, ""}})
        EXPECT_EQ(MediaForSheet(sheet), media) << sheet;
    for (const auto& [media, twoUp] : {std::pair{310, true}, {210, true}, {301, false}, {200, false}})
        EXPECT_EQ(MediaAllowsTwoUp(media), twoUp) << media;
}

TEST(PrinterState, MarkerLevelsAndTheLowReport)
{
    MediaLevel level{301, 400, 123};
    EXPECT_EQ(MarkerLines(level).back(), "STATE: -marker-supply-low-report");
    level.remain = 39;
    EXPECT_EQ(MarkerLines(level).back(), "STATE: +marker-supply-low-report");
    level.initial = -1;
    EXPECT_EQ(level.Percent(), -1);
    EXPECT_EQ(MarkerLines(level).back(), "STATE: -marker-supply-low-report");
    EXPECT_TRUE(MarkerLines(MediaLevel{}).empty());
}

}  // namespace
