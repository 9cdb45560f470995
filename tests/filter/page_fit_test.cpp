// Bringing raster pages to the picture's size: the part that survives
// covering or fitting, its place, and pages of absurd shapes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "page_fit.h"
#include "raster_page.h"

namespace {

struct Page {
    char* data;
    uint32_t width, height;
};

// A grey page with one black column and one black row through the middle of
// the page as rasterised (rows are stored bottom-up).
Page MarkedPage(uint32_t width, uint32_t height)
{
    const size_t stride = PageRowStride(width);
    char* data = static_cast<char*>(calloc(height, stride));
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool mark = x == width / 2 || y == height / 2;
            memset(data + y * stride + x * 3, mark ? 0 : 128, 3);
        }
    }
    return {data, width, height};
}

cups_page_header2_t Header(unsigned xres, unsigned yres)
{
    cups_page_header2_t h{};
    h.HWResolution[0] = xres;
    h.HWResolution[1] = yres;
    return h;
}

const unsigned char* Pixel(const Page& p, uint32_t x, uint32_t y)
{
    return reinterpret_cast<unsigned char*>(p.data) + y * PageRowStride(p.width) + x * 3;
}

// Columns (or rows) whose pixels are all white: the bands a fit leaves.
int WhiteColumns(const Page& p)
{
    int n = 0;
    for (uint32_t x = 0; x < p.width; ++x) {
        bool white = true;
        for (uint32_t y = 0; y < p.height && white; ++y) white = Pixel(p, x, y)[0] == 255;
        n += white;
    }
    return n;
}

}  // namespace

TEST(PageFit, TheTargetFollowsThePagesShapeAndTheJobsResolution)
{
    // 4 x 6 in paper, picture 1844 x 1240 at 300 dpi.
    cups_page_header2_t h = Header(300, 300);
    h.cupsWidth = 1200, h.cupsHeight = 1800;
    PageTarget t = TargetForPage(h, 1844, 1240, 300, 300, false);
    EXPECT_TRUE(t.turned);
    EXPECT_EQ(t.width, 1240u);
    EXPECT_EQ(t.height, 1844u);
    h = Header(300, 600);
    h.cupsWidth = 1800, h.cupsHeight = 2400;
    t = TargetForPage(h, 1844, 1240, 300, 600, true);
    EXPECT_FALSE(t.turned);
    EXPECT_EQ(t.width, 1844u);
    EXPECT_EQ(t.height, 2480u);
    // A square page keeps what the size's name says.
    h = Header(300, 300);
    h.cupsWidth = h.cupsHeight = 1500;
    EXPECT_TRUE(TargetForPage(h, 1548, 1540, 300, 300, true).turned);
    EXPECT_FALSE(TargetForPage(h, 1548, 1540, 300, 300, false).turned);
}

TEST(PageFit, CoveringKeepsTheCentreAndFittingLeavesEvenWhiteBands)
{
    const PageTarget target{1844, 1240, false};
    // A 4:3 page: covering crops top and bottom, the marks stay centred.
    Page p = MarkedPage(800, 600);
    ASSERT_TRUE(FitPage(&p.data, p.width, p.height, Header(300, 300), target, 300, 300, false));
    p.width = target.width, p.height = target.height;
    EXPECT_EQ(WhiteColumns(p), 0);
    EXPECT_LT(Pixel(p, 922, 100)[0], 40);  // the middle column
    EXPECT_LT(Pixel(p, 100, 620)[0], 40);  // the middle row
    EXPECT_GT(Pixel(p, 880, 100)[0], 100);
    free(p.data);

    p = MarkedPage(800, 600);
    ASSERT_TRUE(FitPage(&p.data, p.width, p.height, Header(300, 300), target, 300, 300, true));
    p.width = target.width, p.height = target.height;
    // 1240 rows high makes the page 1653 wide: 191 white columns, split evenly.
    EXPECT_NEAR(WhiteColumns(p), 191, 1);
    EXPECT_EQ(Pixel(p, 94, 600)[0], 255);
    EXPECT_NE(Pixel(p, 97, 600)[0], 255);
    EXPECT_EQ(Pixel(p, 1844 - 95, 600)[0], 255);
    EXPECT_NE(Pixel(p, 1844 - 98, 600)[0], 255);
    free(p.data);
}

TEST(PageFit, PagesOfAbsurdShapeAndPixelRatioStayBounded)
{
    const PageTarget target{1844, 2480, false};
    // One pixel wide and ten thousand high: covering resamples a single
    // pixel, never a picture thousands of times the sheet.
    Page p = MarkedPage(1, 10000);
    ASSERT_TRUE(FitPage(&p.data, p.width, p.height, Header(300, 300), target, 300, 600, false));
    free(p.data);
    // A 300 x 600 dpi target from a 300 dpi page: the page is stretched
    // along the feed only as much as the resolution asks.
    p = MarkedPage(922, 620);
    ASSERT_TRUE(FitPage(&p.data, p.width, p.height, Header(300, 300), target, 300, 600, true));
    p.width = target.width, p.height = target.height;
    EXPECT_LE(WhiteColumns(p), 1);
    EXPECT_LT(Pixel(p, 922, 10)[0], 40);
    free(p.data);
}
