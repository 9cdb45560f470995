// PDF documents through poppler's pdftoppm (Debian's poppler-utils): it
// renders one page at a time to a PPM picture on a pipe without needing a
// PPD, a scheduler or a PostScript interpreter, and poppler is what the
// desktop's own PDF viewers draw with. Each picture is then printed like a
// JPEG, by PAPPL's image code, filling the sheet.
#include "zr_driver.h"
#include "zr_job.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kRenderer = "/usr/bin/pdftoppm";
// A rendered page's longest side: the longest raster side of the largest
// sheet at 600 dpi, so no page is enlarged on its way to the photo buffer.
constexpr int kMaxRenderSide = 4900;

// One page as pdftoppm writes it: "P6", width, height, 255, then RGB bytes.
bool ReadPpm(FILE* in, std::vector<unsigned char>& pixels, int* width, int* height)
{
    int maxValue = 0;
    if (fscanf(in, "P6 %d %d %d", width, height, &maxValue) != 3 || maxValue != 255 || *width <= 0
        || *height <= 0 || *width > 20000 || *height > 20000 || fgetc(in) == EOF)
        return false;
    pixels.resize(static_cast<size_t>(*width) * *height * 3);
    return fread(pixels.data(), 1, pixels.size(), in) == pixels.size();
}

// Renders page `number` (1-based); false past the last page or on failure.
bool RenderPage(const char* file, int number, int longestSide, std::vector<unsigned char>& pixels, int* width,
    int* height)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const std::string page = std::to_string(number), side = std::to_string(longestSide);
    const char* argv[] = {kRenderer, "-f", page.c_str(), "-l", page.c_str(), "-singlefile", "-scale-to",
        side.c_str(), file, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, kRenderer, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    FILE* in = fdopen(pipeFds[0], "rb");
    bool ok = spawned == 0 && in != nullptr && ReadPpm(in, pixels, width, height);
    if (in != nullptr)
        fclose(in);
    else
        close(pipeFds[0]);
    int status = 0;
    if (spawned == 0 && (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0))
        ok = false;
    return ok;
}

}  // namespace

bool ZrPrintPdf(pappl_job_t* job, pappl_device_t* device, void*)
{
    const char* file = papplJobGetFilename(job);
    pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 0, true);
    if (file == nullptr || options == nullptr) {
        papplJobDeletePrintOptions(options);
        return false;
    }
    const int longest = std::min<int>(kMaxRenderSide,
        static_cast<int>(std::max(options->header.cupsWidth, options->header.cupsHeight)));
    if (!ZrStartDocument(job, options, device)) {
        papplJobDeletePrintOptions(options);
        return false;
    }
    bool ok = true;
    int pages = 0;
    std::vector<unsigned char> pixels;
    for (int number = 1; ok && !papplJobIsCanceled(job); ++number) {
        int width = 0, height = 0;
        if (!RenderPage(file, number, longest, pixels, &width, &height))
            break;
        ++pages;
        papplJobSetImpressions(job, pages);
        // Each page is placed anew: the image code chooses its orientation.
        pappl_pr_options_t* pageOptions = papplJobCreatePrintOptions(job, 0, true);
        ok = pageOptions != nullptr && papplJobFilterImage(job, device, pageOptions, pixels.data(), width, height, 3, 0, true);
        papplJobDeletePrintOptions(pageOptions);
    }
    ok = ZrEndDocument(job, options, device) && ok;
    papplJobDeletePrintOptions(options);
    if (pages == 0) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "pdftoppm could not render the document");
        return false;
    }
    return ok;
}
