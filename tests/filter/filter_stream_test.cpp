// The real korvane_zr_filter process, fed raster files made by zr_mkraster,
// its output judged by the stream inspector and, where the values are known,
// byte by byte.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <thread>

#include "filter_run.h"

namespace {

constexpr size_t kSetting = 40;             // a record with an 8-byte block
constexpr size_t kPlane4x6 = 2381920;       // 1920 x 1240 plane record
constexpr size_t kStart = 32;
const std::string kMediaKnown = "MEDIA_SIZE=\"310\"\n";

using FilterStream = ::testing::Test;

// "MULTICUT=2 CUTTER=0 ... YPLANE MPLANE CPLANE START": the stream in short.
std::string Sequence(const StreamReport& report)
{
    std::string text;
    for (const StreamRecord& r : report.records) {
        if (!text.empty())
            text += ' ';
        text += r.parameter;
        if (r.value >= 0)
            text += "=" + std::to_string(r.value);
    }
    return text;
}

std::string PrintGroup(int sheetCode, const std::string& settings = "CUTTER=0 OVERCOAT=0 BUFFCNTRL=1 PRINTSPEED=0")
{
    return settings + " MULTICUT=" + std::to_string(sheetCode) + " YPLANE MPLANE CPLANE START";
}

// The bitmap byte at row `bmpRow` (counted from the bottom, as stored).
unsigned char At(const PlaneInfo& plane, int bmpRow, int x)
{
    return plane.rows[static_cast<size_t>(bmpRow) * plane.rowBytes + static_cast<size_t>(x)];
}

bool RowsAllWhite(const StreamPrint& print, int fromRow, int toRow, int fromX, int toX)
{
    for (const PlaneInfo& plane : print.planes) {
        for (int y = fromRow; y < toRow; ++y) {
            for (int x = fromX; x < toX; ++x) {
                if (At(plane, y, x) != 255)
                    return false;
            }
        }
    }
    return true;
}

// Starts every call at once (each filter waits a second for its job file)
// and answers the results in the same order.
std::vector<FilterResult> RunAll(const std::vector<FilterCall>& calls)
{
    std::vector<std::unique_ptr<FilterProcess>> running;
    for (const FilterCall& call : calls)
        running.push_back(std::make_unique<FilterProcess>(call));
    std::vector<FilterResult> results;
    for (auto& process : running)
        results.push_back(process->Wait());
    return results;
}

FilterCall Job(const std::string& options, const std::string& raster, const std::string& jobFile = kMediaKnown)
{
    FilterCall call;
    call.args = JobArgs(options, raster);
    call.jobFile = jobFile;
    return call;
}

TEST_F(FilterStream, ThreePicturesTwoUpPairInOrderOnlyWhenTheBackendKnowsTheMedia)
{
    const std::string raster = Raster("--width 1844 --height 1240 --pages 3");
    const std::vector<FilterResult> runs = RunAll({Job("PageSize=153x102mmx2", raster),
                                                   Job("PageSize=153x102mmx2", raster, "OTHER=\"1\"\n"),
                                                   Job("PageSize=153x102mmx2", raster, "MEDIA_SIZE=\"\"\n")});
    ASSERT_EQ(runs[0].status, 0);
    const StreamReport twoUp = runs[0].Inspect();
    ASSERT_EQ(twoUp.error, "");
    EXPECT_EQ(Sequence(twoUp), "MULTICUT=2 " + PrintGroup(12) + " " + PrintGroup(2));
    ASSERT_EQ(twoUp.prints.size(), 2u);
    EXPECT_EQ(twoUp.records[6].dataLength, 4797248u);
    const StreamPrint& sheet = twoUp.prints[0];
    EXPECT_TRUE(RowsAllWhite(sheet, 1240, 1258, 0, 1920));
    EXPECT_FALSE(RowsAllWhite(sheet, 1239, 1240, 38, 1882));
    EXPECT_FALSE(RowsAllWhite(sheet, 1258, 1259, 38, 1882));
    // The gradient's red starts at 40 x page index on the left edge: page 1 in
    // the first picture (bitmap rows 0..1239), page 2 in the second, page 3 alone.
    EXPECT_LT(At(sheet.planes[2], 600, 40), 20);
    EXPECT_NEAR(At(sheet.planes[2], 1858, 40), 40, 12);
    EXPECT_NEAR(At(twoUp.prints[1].planes[2], 600, 40), 80, 12);

    for (int i : {1, 2}) {
        ASSERT_EQ(runs[i].status, 0);
        const StreamReport single = runs[i].Inspect();
        ASSERT_EQ(single.error, "");
        EXPECT_EQ(Sequence(single), "MULTICUT=2 " + PrintGroup(2) + " " + PrintGroup(2) + " " + PrintGroup(2));
    }
}

// Paper names as IPP clients and the media option give them find their size
// (the golden streams cover the PPD's own keywords).
TEST_F(FilterStream, StandardPaperNamesFindTheirSize)
{
    struct Name {
        const char* options;
        int setupCode;
        int rows;
    };
    const Name names[] = {
        {"media=na_5x7_5x7in", 3, 2138},
        {"media=oe_square-photo_5x5in", 29, 1540},
        {"media=na_index-4x6_4x6in,photographic-glossy", 2, 1240},
        {"media=na_index-4x6-ext_6x8in", 4, 2436},
        {"PageSize=3.5x5", 1, 1088},
        {"media=127x127mm", 29, 1540},
    };
    const std::string raster = Raster("--width 90 --height 60");
    std::vector<FilterCall> calls;
    for (const Name& n : names)
        calls.push_back(Job(n.options, raster));
    const std::vector<FilterResult> runs = RunAll(calls);
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(names[i].options);
        ASSERT_EQ(runs[i].status, 0);
        const StreamReport report = runs[i].Inspect();
        ASSERT_EQ(report.error, "");
        EXPECT_EQ(report.setupMultiCut, names[i].setupCode);
        ASSERT_EQ(report.prints.size(), 1u);
        EXPECT_EQ(report.prints[0].planes[0].height, names[i].rows);
    }
}

TEST_F(FilterStream, CopiesFillSlotsInPageOrder)
{
    const std::vector<FilterResult> runs = RunAll({
        Job("PageSize=153x102mmx2", Raster("--width 1844 --height 1240 --copies 2")),
        Job("PageSize=153x102mmx2", Raster("--width 1844 --height 1240 --copies 3 --pages 2")),
        Job("PageSize=153x102mm", Raster("--width 90 --height 60 --copies 3")),
        Job("PageSize=153x102mmx2", Raster("--width 90 --height 60 --copies 0 --pages 2")),
    });
    for (const FilterResult& run : runs)
        ASSERT_EQ(run.status, 0);
    const StreamReport both = runs[0].Inspect();
    EXPECT_EQ(Sequence(both), "MULTICUT=2 " + PrintGroup(12));

    // Six pictures: page 1 three times, then page 2 three times, paired in order.
    const StreamReport six = runs[1].Inspect();
    ASSERT_EQ(six.error, "");
    ASSERT_EQ(six.prints.size(), 3u);
    const int firstRed[3][2] = {{0, 0}, {0, 40}, {40, 40}};
    for (int s = 0; s < 3; ++s) {
        for (int k = 0; k < 2; ++k)
            EXPECT_NEAR(At(six.prints[s].planes[2], 600 + 1258 * k, 40), firstRed[s][k] + 5, 12) << s << k;
    }
    EXPECT_EQ(Sequence(runs[2].Inspect()), "MULTICUT=2 " + PrintGroup(2) + " " + PrintGroup(2) + " " + PrintGroup(2));
    EXPECT_EQ(Sequence(runs[3].Inspect()), "MULTICUT=2");
}

TEST_F(FilterStream, SigtermMidPageStopsTheJobWithoutAnotherByte)
{
    // Two 4 x 6 pages through a pipe; the second one only half way at first.
    const std::string path = Raster("--width 1844 --height 1240 --pages 2 --pattern random");
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> raster((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t page = (raster.size() - 4) / 2;
    const size_t half = 4 + page + page / 2;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    FilterCall call = Job("PageSize=153x102mm", "");
    call.args = JobArgs("PageSize=153x102mm");
    call.stdinFd = pipeFds[0];
    FilterProcess filter(call);
    close(pipeFds[0]);
    signal(SIGPIPE, SIG_IGN);
    auto feed = [&](size_t from, size_t to) {
        for (size_t at = from; at < to;) {
            ssize_t n = write(pipeFds[1], raster.data() + at, to - at);
            if (n <= 0)
                return;
            at += static_cast<size_t>(n);
        }
    };
    std::thread writer([&] { feed(0, half); });
    const size_t firstPrint = 6 * kSetting + 3 * kPlane4x6 + kStart;
    for (int i = 0; i < 3000 && filter.OutputSize() < firstPrint; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    writer.join();
    ASSERT_EQ(filter.OutputSize(), firstPrint);
    // Cancelled while it waits for the rest of the second page; the rest
    // comes only once the cancel has taken it out of that read.
    for (int i = 0; i < 500 && !filter.BlockedInRead(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(filter.BlockedInRead());
    filter.Signal(SIGTERM);
    for (int i = 0; i < 500 && filter.BlockedInRead(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    feed(half, raster.size());
    close(pipeFds[1]);
    const FilterResult run = filter.Wait();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.size(), firstPrint);
    EXPECT_EQ(run.Inspect().error, "");

    // Cancelled while still waiting for the backend's job file: no wait of
    // two minutes, not even the job's setup record.
    FilterCall waiting = Job("", Raster("--width 90 --height 60"));
    waiting.jobFile.reset();
    FilterProcess early(waiting);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    early.Signal(SIGTERM);
    const auto sent = std::chrono::steady_clock::now();
    const FilterResult cancelled = early.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(30));
    EXPECT_EQ(cancelled.status, 0);
    EXPECT_TRUE(cancelled.out.empty());

    // Cancelled while waiting for raster that never comes: the read gives
    // way at once instead of being restarted.
    int silentFds[2];
    ASSERT_EQ(pipe2(silentFds, O_CLOEXEC), 0);  // the filter must not hold the writing end
    FilterCall silent = Job("", "");
    silent.args = JobArgs("");
    silent.stdinFd = silentFds[0];
    FilterProcess blocked(silent);
    close(silentFds[0]);
    for (int i = 0; i < 500 && !blocked.BlockedInRead(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(blocked.BlockedInRead());
    blocked.Signal(SIGTERM);
    // Waits on a separate thread, so a filter that never ends fails the test
    // instead of hanging it; the pipe is closed only after the verdict.
    std::promise<FilterResult> ended;
    std::thread waiter([&] { ended.set_value(blocked.Wait()); });
    std::future<FilterResult> result = ended.get_future();
    const bool inTime = result.wait_for(std::chrono::seconds(1)) == std::future_status::ready;
    close(silentFds[1]);
    waiter.join();
    EXPECT_TRUE(inTime) << "the filter outlived its cancel";
    EXPECT_EQ(result.get().status, 0);
}

// Behind another backend no job file ever comes: the job prints at once, a
// picture a sheet. Behind ours, or run by hand, it waits for the file.
TEST_F(FilterStream, OnlyOurBackendIsWaitedFor)
{
    FilterCall foreign = Job("PageSize=153x102mmx2", Raster("--width 1844 --height 1240 --pages 2"));
    foreign.jobFile.reset();
    foreign.deviceUri = "usb://Other/Printer?serial=1";
    FilterCall ours = foreign;
    ours.deviceUri = "korvane-zvobackend://KORVANE/ZR?serial=A1";
    FilterProcess waiting(ours);
    const auto started = std::chrono::steady_clock::now();
    const FilterResult run = RunFilter(foreign);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Sequence(run.Inspect()), "MULTICUT=2 " + PrintGroup(2) + " " + PrintGroup(2));
    EXPECT_EQ(waiting.OutputSize(), 0u) << "did not wait for the job file";
    waiting.Signal(SIGTERM);
    EXPECT_EQ(waiting.Wait().status, 0);
}

TEST_F(FilterStream, BadArgumentsAndUnreadableInputEndTheJobWithStatusOne)
{
    FilterCall five;
    five.args = {"41", "tester", "photo", "1"};
    FilterCall eight;
    eight.args = JobArgs("", Raster("--width 90 --height 60"));
    eight.args.push_back("extra");
    FilterCall missing;
    missing.args = JobArgs("", "/nonexistent/job.ras");
    for (const FilterCall& call : {five, eight, missing}) {
        const FilterResult run = RunFilter(call);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(run.err, "");
    }
    // No raster at all, or garbage: only the job setup, status 0.
    const std::vector<FilterResult> empty = RunAll({Job("", "/dev/null"), Job("", WorkFile("garbage.ras", "RaS2 not a raster"))});
    for (const FilterResult& run : empty) {
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(Sequence(run.Inspect()), "MULTICUT=2");
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(FilterStream, UnusableRasterHeadersAreRefusedWithAnErrorLine)
{
    const char* kinds[] = {"bits", "bpl", "huge", "big", "colorspace", "order", "zero"};
    std::vector<FilterCall> calls;
    for (const char* kind : kinds)
        calls.push_back(Job("", Raster(std::string("--width 90 --height 60 --bad ") + kind)));
    // Prints finished before the bad page stay written; the half-filled sheet does not.
    calls.push_back(Job("", Raster("--width 90 --height 60 --pages 3 --bad huge --bad-page 3")));
    calls.push_back(Job("PageSize=153x102mmx2", Raster("--width 90 --height 60 --pages 2 --bad bits --bad-page 2")));
    // More copies than the queue allows: 999 without a limit in the PPD, or the PPD's own.
    calls.push_back(Job("", Raster("--width 90 --height 60 --copies 2147483647")));
    calls.push_back(Job("", Raster("--width 90 --height 60 --copies 1000")));
    calls.push_back(Job("", Raster("--width 90 --height 60 --copies 3")));
    calls.back().ppd = WorkFile("max2.ppd", "*PPD-Adobe: \"4.3\"\n*cupsMaxCopies: 2\n");
#ifndef __SANITIZE_ADDRESS__   // the address sanitizer cannot start under a memory limit
    // A page within the bound that memory cannot hold is refused the same way.
    calls.push_back(Job("", Raster("--width 10000 --height 10000 --short 1")));
    calls.back().addressSpaceMb = 200;
#endif
    const std::vector<FilterResult> runs = RunAll(calls);
    const size_t prints[] = {0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(runs[i].status, 1);
        EXPECT_EQ(runs[i].err.rfind("ERROR: ", 0), 0u) << runs[i].err;
        EXPECT_EQ(std::count(runs[i].err.begin(), runs[i].err.end(), '\n'), 1);
        const StreamReport report = runs[i].Inspect();
        EXPECT_EQ(report.error, "");
        EXPECT_EQ(report.prints.size(), prints[i]);
    }
}

TEST_F(FilterStream, ShortPagesPrintBlackBelowAndPortraitPagesTurn)
{
    const std::vector<FilterResult> runs = RunAll({
        Job("", Raster("--width 1844 --height 1240 --pattern solid --color FFFFFF --short 620")),
        Job("PageSize=102x153mm", Raster("--width 1240 --height 1844 --pattern corners")),
    });
    ASSERT_EQ(runs[0].status, 0);
    const StreamReport shortPage = runs[0].Inspect();
    ASSERT_EQ(shortPage.prints.size(), 1u);
    const PlaneInfo& cyan = shortPage.prints[0].planes[2];
    EXPECT_GT(PlaneAt(cyan, 100, 960), 250);   // lines read: white
    EXPECT_LT(PlaneAt(cyan, 1100, 960), 5);    // lines never sent: black

    // Page corners: top-left red, top-right green, bottom-left blue. A quarter
    // turn anticlockwise puts green top-left, red bottom-left, blue bottom-right.
    ASSERT_EQ(runs[1].status, 0);
    const StreamReport turned = runs[1].Inspect();
    ASSERT_EQ(turned.prints.size(), 1u);
    const StreamPrint& p = turned.prints[0];
    auto colour = [&](int row, int x) {
        return std::to_string(PlaneAt(p.planes[2], row, x) > 128) + std::to_string(PlaneAt(p.planes[1], row, x) > 128) +
               std::to_string(PlaneAt(p.planes[0], row, x) > 128);
    };
    EXPECT_EQ(colour(20, 60), "010");
    EXPECT_EQ(colour(1220, 60), "100");
    EXPECT_EQ(colour(1220, 1860), "001");
    EXPECT_EQ(colour(620, 960), "000");

    // The inspector's PNG shows the sheet the same way up, in its colours.
    const std::string dir = WorkFile("png-dir", "") + ".d";
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    std::string listing;
    ASSERT_EQ(RunInspector(runs[1].out, &listing, "--png " + dir), 0) << listing;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir + "/sheet-001.png").c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    ASSERT_EQ(image.width, 1920u);
    ASSERT_EQ(image.height, 1240u);
    auto pixel = [&](int row, int x) {
        const unsigned char* q = &rgb[(static_cast<size_t>(row) * 1920 + x) * 3];
        return std::to_string(q[0] > 128) + std::to_string(q[1] > 128) + std::to_string(q[2] > 128);
    };
    EXPECT_EQ(pixel(20, 60), "010");
    EXPECT_EQ(pixel(1220, 60), "100");
    EXPECT_EQ(pixel(1220, 1860), "001");
    EXPECT_EQ(pixel(620, 10), "111");
}

}  // namespace
