// The stream inspector is what the filter tests trust, so it must refuse every
// kind of broken stream: each case below spoils one thing of a sound stream.
#include <gtest/gtest.h>

#include <functional>

#include "filter_fixtures.h"
#include "stream_check.h"

namespace {

void PutLE(std::string& s, size_t at, uint32_t v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Bitmap(int width, int height, int yPpm)
{
    const size_t row = (static_cast<size_t>(width) + 3) & ~size_t(3);
    std::string b(1088 + row * height, '\0');
    b[0] = 'B';
    b[1] = 'M';
    PutLE(b, 2, static_cast<uint32_t>(b.size()));
    PutLE(b, 10, 1088);
    PutLE(b, 14, 40);
    PutLE(b, 18, width);
    PutLE(b, 22, height);
    PutLE(b, 26, 1, 2);
    PutLE(b, 28, 8, 2);
    PutLE(b, 34, static_cast<uint32_t>(row * height));
    PutLE(b, 38, 11811);
    PutLE(b, 42, yPpm);
    PutLE(b, 46, 256);
    PutLE(b, 50, 256);
    for (int i = 0; i < 256; ++i)
        b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = static_cast<char>(i);
    std::fill(b.begin() + 1088, b.end(), '\xff');
    return b;
}

struct Parts {
    std::string setup = Record("IMAGE", "MULTICUT", "00000002");
    std::string settings = Record("CNTRL", "CUTTER", "00000000") + Record("CNTRL", "OVERCOAT", "00000000") +
                           Record("CNTRL", "BUFFCNTRL", "00000001") + Record("CNTRL", "PRINTSPEED", "00000000");
    std::string sheet = Record("IMAGE", "MULTICUT", "00000002");
    std::string y = Record("IMAGE", "YPLANE", Bitmap(1920, 1240, 11811));
    std::string m = Record("IMAGE", "MPLANE", Bitmap(1920, 1240, 11811));
    std::string c = Record("IMAGE", "CPLANE", Bitmap(1920, 1240, 11811));
    std::string start = Record("CNTRL", "START");
    std::string Join() const { return setup + settings + sheet + y + m + c + start; }
};

StreamReport Inspect(const std::string& s)
{
    return InspectJobStream(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

TEST(StreamInspector, RefusesEveryBrokenFrameOrderOrBitmap)
{
    const std::vector<std::pair<const char*, std::function<std::string()>>> broken = {
        {"no ESC", [] { std::string s = Parts().Join(); s[0] = 'X'; return s; }},
        {"gap in name", [] { Parts p; p.start = Record("CNTRL", "START"); p.start[4] = ' '; return p.Join(); }},
        {"length digits", [] { Parts p; p.setup[30] = 'x'; return p.Join(); }},
        {"short data", [] { std::string s = Parts().Join(); s.resize(s.size() - 33); return s; }},
        {"trailing bytes", [] { return Parts().Join() + "junk"; }},
        {"no START", [] { Parts p; p.start.clear(); return p.Join(); }},
        {"planes swapped", [] { Parts p; std::swap(p.y, p.m); return p.Join(); }},
        {"no cutter", [] { Parts p; p.settings = p.settings.substr(40); return p.Join(); }},
        {"unknown record", [] { Parts p; p.sheet = Record("STATUS", "") + p.sheet; return p.Join(); }},
        {"cutter value", [] { Parts p; p.settings.replace(32, 8, "00000007"); return p.Join(); }},
        {"sheet code", [] { Parts p; p.sheet = Record("IMAGE", "MULTICUT", "00000005"); return p.Join(); }},
        {"rows for code", [] { Parts p; p.sheet = Record("IMAGE", "MULTICUT", "00000001"); return p.Join(); }},
        {"width", [] { Parts p; p.m = Record("IMAGE", "MPLANE", Bitmap(1900, 1240, 11811)); return p.Join(); }},
        {"ppm", [] { Parts p; p.c = Record("IMAGE", "CPLANE", Bitmap(1920, 1240, 12000)); return p.Join(); }},
        {"mixed ppm", [] { Parts p; p.c = Record("IMAGE", "CPLANE", Bitmap(1920, 620, 23622)); return p.Join(); }},
        {"palette", [] { Parts p; p.y[32 + 54 + 4 * 77] = 78; return p.Join(); }},
        {"bits", [] { Parts p; PutLE(p.y, 32 + 28, 24, 2); return p.Join(); }},
        {"offset", [] { Parts p; PutLE(p.y, 32 + 10, 1078); return p.Join(); }},
        {"file size", [] { Parts p; PutLE(p.y, 32 + 2, 5); return p.Join(); }},
        {"START data", [] { Parts p; p.start = Record("CNTRL", "START", "00000000"); return p.Join(); }},
    };
    for (const auto& [what, make] : broken) {
        const StreamReport report = Inspect(make());
        EXPECT_NE(report.error, "") << what;
    }
}

}  // namespace
