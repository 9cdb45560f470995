// The PPD reader, the option lookup, the job file lookups and the raster
// header checks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "cups_value.h"
#include "filter_job.h"
#include "filter_fixtures.h"
#include "printer_info.h"
#include "raster_page.h"

namespace {

TEST(PpdReader, FindsTheFirstWordOfTheFirstExactDefaultLine)
{
    PpdFile ppd("*PPD-Adobe: \"4.3\"\n"
                "*DefaultZvoGammaR: 7\n"
                "  *DefaultZvoGamma: 1\n"
                "*DefaultZvoGamma:2\n"
                "*DefaultZvoGamma:    20 more words\n"
                "*DefaultZvoGamma: 30\n"
                "*DefaultEmpty: \n"
                "*DefaultLast: end");
    ASSERT_NE(ppd.handle, nullptr);
    EXPECT_STREQ(wrappedPpdFindDefChoice(ppd.handle, "ZvoGamma"), "20");
    EXPECT_STREQ(wrappedPpdFindDefChoice(ppd.handle, "ZvoGammaR"), "7");
    EXPECT_STREQ(wrappedPpdFindDefChoice(ppd.handle, "Empty"), "");
    EXPECT_STREQ(wrappedPpdFindDefChoice(ppd.handle, "Last"), "end");
    EXPECT_EQ(wrappedPpdFindDefChoice(ppd.handle, "ZvoGammaG"), nullptr);
    EXPECT_EQ(wrappedPpdFindDefChoice(ppd.handle, "Zvo"), nullptr);
}

TEST(PpdReader, LongLinesNamesAndMissingFilesFindNothing)
{
    // The tail of an overlong line is not a line of its own.
    PpdFile ppd("*OpenUI " + std::string(255 - 8, 'x') + "*DefaultTail: caught\n*DefaultLong: ok\n");
    EXPECT_EQ(wrappedPpdFindDefChoice(ppd.handle, "Tail"), nullptr);
    EXPECT_STREQ(wrappedPpdFindDefChoice(ppd.handle, "Long"), "ok");
    EXPECT_EQ(wrappedPpdFindDefChoice(ppd.handle, std::string(300, 'L').c_str()), nullptr);

    // A NUL inside an overlong line does not end it early either.
    std::string nul = "*OpenUI x";
    nul += '\0';
    nul += std::string(255 - nul.size(), 'y') + "*DefaultTail: caught\n*cupsMaxCopies: 50\n";
    PpdFile withNul(nul);
    EXPECT_EQ(wrappedPpdFindDefChoice(withNul.handle, "Tail"), nullptr);
    EXPECT_STREQ(wrappedPpdFindKeyword(withNul.handle, "cupsMaxCopies"), "50");
    EXPECT_EQ(wrappedPpdFindKeyword(withNul.handle, "cupsMax"), nullptr);
    EXPECT_EQ(wrappedPpdFindDefChoice(ppd.handle, nullptr), nullptr);
    EXPECT_EQ(wrappedPpdFindDefChoice(nullptr, "Long"), nullptr);

    EXPECT_EQ(wrappedPpdOpenFile(nullptr), nullptr);
    ppdfile_s* missing = wrappedPpdOpenFile("/nonexistent/queue.ppd");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->file, nullptr);
    EXPECT_EQ(wrappedPpdFindDefChoice(missing, "Long"), nullptr);
    wrappedPpdClose(missing);
    wrappedPpdClose(nullptr);
}

TEST(CupsValue, JobOptionThenMediaForPageSizeThenPpdDefault)
{
    PpdFile ppd("*DefaultPageSize: 127x178mm\n*DefaultZvoBorder: Enable\n*Defaultmedia: 89x127mm\n");
    {
        Options job("PageSize=153x204mm media=127x127mm ZvoBorder=Disable");
        EXPECT_STREQ(_GetCupsValue("PageSize", job.count, job.list, ppd.handle), "153x204mm");
        EXPECT_STREQ(_GetCupsValue("ZvoBorder", job.count, job.list, ppd.handle), "Disable");
    }
    {
        Options job("media=127x127mm");
        EXPECT_STREQ(_GetCupsValue("PageSize", job.count, job.list, ppd.handle), "127x127mm");
        // "media" stands in for nothing but the page size.
        EXPECT_STREQ(_GetCupsValue("ZvoBorder", job.count, job.list, ppd.handle), "Enable");
    }
    Options none;
    EXPECT_STREQ(_GetCupsValue("PageSize", none.count, none.list, ppd.handle), "127x178mm");
    EXPECT_EQ(_GetCupsValue("ZvoGamma", none.count, none.list, ppd.handle), nullptr);
    EXPECT_EQ(_GetCupsValue("PageSize", none.count, none.list, nullptr), nullptr);
}

// A job file in the real /tmp under a job identifier no CUPS job has.
class JobFile {
public:
    explicit JobFile(const std::string& text)
    {
        static int n = 0;
        id = std::to_string(getpid()) + "0" + std::to_string(++n);
        FILE* f = fopen(JobFilePath(id.c_str()).c_str(), "w");
        if (f != nullptr) {
            fputs(text.c_str(), f);
            fclose(f);
        }
    }
    ~JobFile() { unlink(JobFilePath(id.c_str()).c_str()); }
    std::string Value(int outSize = 128) const
    {
        char out[512];
        memset(out, 0, sizeof out);
        strcpy(out, "untouched");
        EXPECT_EQ(_GetValuePrInfoFile("MEDIA_SIZE=", id.c_str(), out, outSize), 0);
        return out;
    }
    std::string id;
};

// The media size as the backend writes it (KEY="value" lines), from the
// first line that has it; a file without it leaves the answer alone.
TEST(JobFileLookup, ReadsTheMediaSizeTheBackendWrote)
{
    EXPECT_EQ(JobFile(KeyValueLine("JOB_ID", "7") + KeyValueLine("MEDIA_SIZE", "310")).Value(), "310");
    EXPECT_EQ(JobFile(KeyValueLine("MEDIA_SIZE", "200") + KeyValueLine("MEDIA_SIZE", "999")).Value(), "200");
    EXPECT_EQ(JobFile(KeyValueLine("MEDIA_SIZE", "")).Value(), "");
    EXPECT_EQ(JobFile(KeyValueLine("OTHER", "1")).Value(), "untouched");
}

TEST(JobFileLookup, ValuesThatDoNotFitAndFilesThatAreNotFilesLeaveTheAnswerAlone)
{
    const std::string fits(127, '7'), tooLong(128, '8');
    EXPECT_EQ(JobFile("MEDIA_SIZE=\"" + fits + "\"\n").Value(), fits);
    EXPECT_EQ(JobFile("MEDIA_SIZE=\"" + tooLong + "\"\n").Value(), "untouched");

    JobFile missing("");
    unlink(JobFilePath(missing.id.c_str()).c_str());
    EXPECT_EQ(missing.Value(), "untouched");

    // A FIFO planted under the job's name must not block the filter.
    JobFile fifo("");
    const std::string path = JobFilePath(fifo.id.c_str());
    unlink(path.c_str());
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(fifo.Value(), "untouched");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    // Only the first 4 KiB are read: the backend writes a line or two.
    EXPECT_EQ(JobFile(std::string(8192, '\n') + "MEDIA_SIZE=\"310\"\n").Value(), "untouched");
    // A cancelled job reads nothing.
    Canceled = 1;
    EXPECT_EQ(JobFile("MEDIA_SIZE=\"310\"\n").Value(), "untouched");
    Canceled = 0;
    // Links and another user's file are not the backend's.
    JobFile target("MEDIA_SIZE=\"310\"\n");
    JobFile link("");
    unlink(JobFilePath(link.id.c_str()).c_str());
    ASSERT_EQ(symlink(JobFilePath(target.id.c_str()).c_str(), JobFilePath(link.id.c_str()).c_str()), 0);
    EXPECT_EQ(link.Value(), "untouched");
    EXPECT_EQ(JobFileAnnounced(link.id.c_str()), JobFileState::Absent);
    EXPECT_EQ(JobFileAnnounced(target.id.c_str()), JobFileState::Complete);
    EXPECT_EQ(JobFileAnnounced(JobFile("MEDIA_SIZE=\"3").id.c_str()), JobFileState::Partial);
    if (geteuid() == 0) {
        JobFile forged("MEDIA_SIZE=\"310\"\n");
        ASSERT_EQ(chown(JobFilePath(forged.id.c_str()).c_str(), 65534, 65534), 0);
        EXPECT_EQ(forged.Value(), "untouched");
        EXPECT_EQ(JobFileAnnounced(forged.id.c_str()), JobFileState::Absent);
    }
}

cups_page_header2_t GoodHeader(unsigned width, unsigned height)
{
    cups_page_header2_t h;
    memset(&h, 0, sizeof h);
    h.cupsWidth = width;
    h.cupsHeight = height;
    h.cupsBitsPerColor = 8;
    h.cupsBitsPerPixel = 24;
    h.cupsBytesPerLine = 3 * width;
    h.cupsColorSpace = CUPS_CSPACE_RGB;
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    return h;
}

// What each kind of unusable header does to a job is in the filter's stream
// tests; the largest page side is only reached here.
TEST(RasterHeader, PagesUpToTheLargestSidePass)
{
    EXPECT_EQ(RasterHeaderProblem(GoodHeader(kMaxPageSide, kMaxPageSide)), "");
    EXPECT_NE(RasterHeaderProblem(GoodHeader(kMaxPageSide + 1, 100)), "");
}

}  // namespace
