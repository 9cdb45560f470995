// zr_samplephoto: writes a colourful landscape test photo as a JPEG, so that a
// demo print needs no photo from anywhere else. The picture has smooth
// gradients (sky, sea), saturated colours (sun, flowers), fine detail (grass)
// and a colour strip, which together show tone, colour and sharpness at once.
//
//   zr_samplephoto OUTPUT.jpg [WIDTH HEIGHT]   (default 1800 x 1200)
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Hue(double h)
{
    const double r = std::fabs(h * 6 - 3) - 1, g = 2 - std::fabs(h * 6 - 2), b = 2 - std::fabs(h * 6 - 4);
    return {std::clamp(r, 0.0, 1.0) * 255, std::clamp(g, 0.0, 1.0) * 255, std::clamp(b, 0.0, 1.0) * 255};
}

// Hash noise in 0..1 for a pixel, for grass and sparkle.
double Noise(int x, int y)
{
    unsigned n = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u;
    n = (n ^ (n >> 13)) * 1274126177u;
    return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0;
}

Rgb Pixel(int x, int y, int w, int h)
{
    const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
    const double horizon = 0.55;
    const double hill = 0.62 + 0.06 * std::sin(u * 7.0 + 1.0) + 0.03 * std::sin(u * 17.0);
    const double sunX = 0.68, sunY = 0.38, sunR = 0.075;
    const double aspect = static_cast<double>(w) / h;
    const double sunDist = std::hypot((u - sunX) * aspect, v - sunY);
    if (v > 0.90) {   // colour strip: hues, then a grey ramp
        if (v < 0.95)
            return Hue(u);
        const double g = std::floor(u * 11) / 10 * 255;
        return {g, g, g};
    }
    if (v > hill) {   // meadow with flowers
        Rgb grass = Mix({40, 120, 30}, {120, 180, 50}, Noise(x / 2, y) * 0.6 + (v - hill) * 2);
        const double f = Noise(x / 6, y / 6);
        if (f > 0.985)
            return Hue(Noise(x / 6 + 7, y / 6 + 3));
        return grass;
    }
    if (v > horizon) {   // sea reflecting the sun
        Rgb sea = Mix({30, 80, 150}, {10, 40, 90}, (v - horizon) / (hill - horizon + 0.01));
        const double glitter = std::exp(-std::pow((u - sunX) * 12, 2)) * (Noise(x, y / 3) > 0.6 ? 1.0 : 0.3);
        return Mix(sea, {255, 200, 120}, glitter);
    }
    if (sunDist < sunR)
        return Mix({255, 250, 210}, {255, 200, 80}, sunDist / sunR);
    Rgb sky = Mix({60, 90, 200}, {255, 150, 90}, v / horizon);
    return Mix(sky, {255, 220, 150}, std::exp(-sunDist * 6) * 0.8);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        fprintf(stderr, "usage: zr_samplephoto OUTPUT.jpg [WIDTH HEIGHT]\n");
        return 2;
    }
    const int w = argc == 4 ? atoi(argv[2]) : 1800, h = argc == 4 ? atoi(argv[3]) : 1200;
    if (w < 16 || h < 16 || w > 20000 || h > 20000) {
        fprintf(stderr, "zr_samplephoto: size must be 16 to 20000 pixels a side\n");
        return 2;
    }
    FILE* out = fopen(argv[1], "wb");
    if (out == nullptr) {
        perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    cinfo.density_unit = 1;   // dots per inch
    cinfo.X_density = cinfo.Y_density = 300;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(3 * static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb p = Pixel(x, y, w, h);
            row[3 * x] = static_cast<JSAMPLE>(std::clamp(p.r, 0.0, 255.0));
            row[3 * x + 1] = static_cast<JSAMPLE>(std::clamp(p.g, 0.0, 255.0));
            row[3 * x + 2] = static_cast<JSAMPLE>(std::clamp(p.b, 0.0, 255.0));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return fclose(out) == 0 ? 0 : 1;
}
