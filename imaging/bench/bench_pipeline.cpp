// Compares the photo buffer's page pipeline with the equivalent libvips
// chain (turn, cubic reduce, a lookup table per band, 3 x 3 convolution,
// saturation, three 8-bit planes).
// Each case runs in a child process of its own so the peak resident memory
// reported is that case's alone; the children report median milliseconds
// per page (wall and CPU) over the rounds.
//   bench_pipeline [rounds]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <type_traits>
#include <vector>

#include "photo_image_buffer.h"

namespace {

struct Scenario {
    const char* name;
    int pageWidth, pageHeight;  // raster page as the filter receives it
    bool rotate;
    int64_t resolution, mode;
    MediaInfo sheet;
};

// S1: a 4 x 6 page at 300 dpi given in portrait, turned and shrunk inside
// the border. S2: a 6 x 8 page at 600 x 600 dpi, halved across.
const Scenario kScenarios[] = {
    {"S1 4x6 300dpi portrait", 1240, 1844, true, 300, 0, {3, 2, 6.0, 4.0, 300, 1844, 1240, 60, 60, 0, 1844, 1240, 1, 1, 1.0}},
    {"S2 6x8 600x600dpi", 3688, 4872, false, 600, 2, {4, 4, 6.0, 8.0, 300, 1844, 2436, 60, 54, 0, 1844, 2436, 1, 1, 1.0}},
};

size_t Pitch(int width) { return (static_cast<size_t>(width) * 3 + 3) / 4 * 4; }

// A photo-like page: smooth ramps with texture.
std::vector<unsigned char> MakePage(int w, int h)
{
    std::vector<unsigned char> page(Pitch(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &page[y * Pitch(w) + x * 3];
            const int texture = (x * 7 + y * 13) % 23;
            p[0] = static_cast<unsigned char>((x * 255 / w + texture) % 256);
            p[1] = static_cast<unsigned char>((y * 255 / h + texture) % 256);
            p[2] = static_cast<unsigned char>(((x + y) * 255 / (w + h) + 2 * texture) % 256);
        }
    }
    return page;
}

template <typename Buffer>
void Configure(Buffer& b, const Scenario& s)
{
    DeviceMediaBufferInfo sheet{};
    sheet.CopyRow(s.sheet);
    b.Alloc(sheet);
    b.resolution = s.resolution;
    b.resolutionMode = s.mode;
    b.paperRotate = s.rotate;
    b.border = true;
    b.colorAdjustment = true;
    b.gammaR = b.gammaG = b.gammaB = 123;
    b.brightnessR = 20;
    b.contrastB = 100;
    b.sharpness = 500;
    b.saturation = 200;
}

// One page through the photo buffer, up to the slot's three planes.
template <typename Buffer>
void RunOurs(const Scenario& s, const std::vector<unsigned char>& page, int threads, int* outW, int* outH)
{
    Buffer buffer;
    Configure(buffer, s);
    if constexpr (std::is_same<Buffer, PhotoImageBuffer>::value) buffer.threads = threads;
    void* copy = GlobalAlloc(0, page.size());
    std::memcpy(copy, page.data(), page.size());
    _tagBITMAPHANDLE* picture = buffer.ColorProcess(copy, s.pageWidth, s.pageHeight, 0);
    if (picture == nullptr || picture->pixels == nullptr) {
        std::fprintf(stderr, "pipeline failed\n");
        std::exit(1);
    }
    buffer.SetImageData(0, picture);
    *outW = picture->width;
    *outH = picture->height;
    IL_FreeBitmap(picture);
    GlobalFree(picture);
}

// The same work in libvips, to the same output size.
void RunVips(const Scenario& s, const std::vector<unsigned char>& page, int outW, int outH)
{
    VipsImage* base = vips_image_new();
    VipsObject* scope = VIPS_OBJECT(base);
    VipsImage** t = reinterpret_cast<VipsImage**>(vips_object_local_array(scope, 16));
    const int w = s.pageWidth, h = s.pageHeight;
    // The page's rows are padded; vips wants them packed.
    std::vector<unsigned char> packed(static_cast<size_t>(w) * 3 * h);
    for (int y = 0; y < h; ++y) std::memcpy(&packed[static_cast<size_t>(y) * w * 3], &page[y * Pitch(w)], w * 3);
    t[0] = vips_image_new_from_memory(packed.data(), packed.size(), w, h, 3, VIPS_FORMAT_UCHAR);
    VipsImage* in = t[0];
    if (s.rotate) {
        vips_rot(in, &t[1], VIPS_ANGLE_D270, nullptr);
        in = t[1];
    }
    const double hs = static_cast<double>(in->Xsize) / outW, vs = static_cast<double>(in->Ysize) / outH;
    vips_reduce(in, &t[2], hs, vs, "kernel", VIPS_KERNEL_CUBIC, nullptr);
    unsigned char lut[256 * 3];
    for (int i = 0; i < 256; ++i) {
        lut[i * 3] = static_cast<unsigned char>(std::min(255, i + 5));
        lut[i * 3 + 1] = static_cast<unsigned char>(i * 7 / 8);
        lut[i * 3 + 2] = static_cast<unsigned char>(std::min(255, i * 9 / 8));
    }
    t[3] = vips_image_new_from_memory_copy(lut, sizeof(lut), 256, 1, 3, VIPS_FORMAT_UCHAR);
    vips_maplut(t[2], &t[4], t[3], nullptr);
    const double n = -0.2 / 9, c = 8 * 0.2 / 9 + 1;
    t[5] = vips_image_new_matrixv(3, 3, n, n, n, n, c, n, n, n, n);
    vips_conv(t[4], &t[6], t[5], "precision", VIPS_PRECISION_FLOAT, nullptr);
    vips_cast_uchar(t[6], &t[7], nullptr);
    vips_sRGB2HSV(t[7], &t[8], nullptr);
    const double a[3] = {1, 1.2, 1}, b[3] = {0, 0, 0};
    vips_linear(t[8], &t[9], a, b, 3, "uchar", TRUE, nullptr);
    vips_HSV2sRGB(t[9], &t[10], nullptr);
    if (t[10] == nullptr) {
        std::fprintf(stderr, "vips: %s\n", vips_error_buffer());
        std::exit(1);
    }
    for (int p = 0; p < 3; ++p) {
        VipsImage* band = nullptr;
        vips_extract_band(t[10], &band, p, nullptr);
        size_t size = 0;
        void* bytes = band ? vips_image_write_to_memory(band, &size) : nullptr;
        if (bytes == nullptr) {
            std::fprintf(stderr, "vips: %s\n", vips_error_buffer());
            std::exit(1);
        }
        g_free(bytes);
        g_object_unref(band);
    }
    g_object_unref(base);
}

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// kind 0 ours, 2 libvips.
void RunCase(const Scenario& s, int kind, int threads, int rounds, int outW, int outH, int fd)
{
    if (kind == 2) {
        vips_concurrency_set(threads);
        vips_cache_set_max(0);
    }
    const std::vector<unsigned char> page = MakePage(s.pageWidth, s.pageHeight);
    std::vector<double> wall, cpu;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuMs();
        int w = 0, h = 0;
        if (kind == 0) RunOurs<PhotoImageBuffer>(s, page, threads, &w, &h);
        if (kind == 2) RunVips(s, page, outW, outH);
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const double result[2] = {Median(wall), Median(cpu)};
    if (write(fd, result, sizeof(result)) != sizeof(result)) std::exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    if (VIPS_INIT(argv[0])) return 1;
    std::printf("median of %d rounds per case; peak RSS of the case's own process\n", rounds);
    for (const Scenario& s : kScenarios) {
        int outW = 0, outH = 0;
        {
            // The output size the vips chain is asked for.
            const std::vector<unsigned char> page = MakePage(s.pageWidth, s.pageHeight);
            PhotoImageBuffer probe;
            Configure(probe, s);
            void* copy = GlobalAlloc(0, page.size());
            std::memcpy(copy, page.data(), page.size());
            _tagBITMAPHANDLE* picture = probe.ColorProcess(copy, s.pageWidth, s.pageHeight, 0);
            outW = picture->width;
            outH = picture->height;
            IL_FreeBitmap(picture);
            GlobalFree(picture);
        }
        std::printf("%s -> %d x %d\n", s.name, outW, outH);
        struct Kind {
            const char* name;
            int kind, threads;
        };
        const Kind kinds[] = {{"ours, 1 thread", 0, 1}, {"ours, 2 threads", 0, 2},
                              {"libvips, 1 thread", 2, 1}, {"libvips, 2 threads", 2, 2}};
        double oursWall = 0;
        for (const Kind& k : kinds) {
            int fds[2];
            if (pipe(fds) != 0) return 1;
            const pid_t child = fork();
            if (child == 0) {
                close(fds[0]);
                RunCase(s, k.kind, k.threads, rounds, outW, outH, fds[1]);
                _exit(0);
            }
            close(fds[1]);
            double result[2] = {0, 0};
            const bool got = read(fds[0], result, sizeof(result)) == sizeof(result);
            close(fds[0]);
            int status = 0;
            rusage usage{};
            wait4(child, &status, 0, &usage);
            if (!got) {
                std::printf("  %-26s failed\n", k.name);
                continue;
            }
            if (k.kind == 0 && k.threads == 1) oursWall = result[0];
            std::printf("  %-26s %8.1f ms wall %8.1f ms CPU  peak RSS %6.1f MB  ours(1 thread)/this %.2f\n", k.name,
                        result[0], result[1], usage.ru_maxrss / 1024.0, oursWall / result[0]);
        }
    }
    return 0;
}
