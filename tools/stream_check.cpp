#include "stream_check.h"

#include "record_frame.h"

#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kHeader = zr_record::kHeaderSize;
constexpr uint32_t kBmpOffset = 1088;
constexpr int32_t kPpm300 = 11811;
constexpr int32_t kPpm600 = 23622;

uint32_t LE4(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t LE2(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A padded text field: printable characters, then only spaces. Answers false
// for a gap inside the text or a control byte.
bool ReadField(const unsigned char* p, size_t width, std::string& text)
{
    size_t n = 0;
    while (n < width && p[n] != ' ') {
        if (p[n] < 0x21 || p[n] > 0x7E)
            return false;
        ++n;
    }
    for (size_t i = n; i < width; ++i) {
        if (p[i] != ' ')
            return false;
    }
    text.assign(reinterpret_cast<const char*>(p), n);
    return true;
}

bool AllDigits(const unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
    }
    return true;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

bool Fail(StreamReport& report, size_t index, const std::string& why, size_t offset = SIZE_MAX)
{
    if (report.error.empty()) {
        report.error = why;
        report.errorRecord = index;
        report.errorOffset = offset != SIZE_MAX ? offset
                           : index < report.records.size() ? report.records[index].offset : 0;
    }
    return false;
}

// Decodes the data of the setting records into record.value.
bool DecodeSetting(StreamRecord& r, StreamReport& report, size_t index)
{
    const std::string& p = r.parameter;
    if (p == "CUTTER" || p == "OVERCOAT" || p == "BUFFCNTRL" || p == "PRINTSPEED" || p == "MULTICUT") {
        if (!r.hasData || r.dataLength != 8 || !AllDigits(r.data, 8))
            return Fail(report, index, r.name + " " + p + ": data must be 8 decimal digits");
        r.value = strtol(std::string(reinterpret_cast<const char*>(r.data), 8).c_str(), nullptr, 10);
        return true;
    }
    if (p == "DECURL") {
        if (!r.hasData || r.dataLength != 12 || !AllDigits(r.data, 2) || memcmp(r.data + 2, "0000000000", 10) != 0)
            return Fail(report, index, "CNTRL DECURL: data must be two digits and ten zeros");
        r.value = (r.data[0] - '0') * 10 + (r.data[1] - '0');
        return true;
    }
    if (p == "SET_SYS_TIME") {
        if (!r.hasData || r.dataLength != 15 || !AllDigits(r.data, 14) || r.data[14] != '\r')
            return Fail(report, index, "CNTRL SET_SYS_TIME: data must be 14 digits and a carriage return");
        return true;
    }
    if (p == "START") {
        if (r.hasData)
            return Fail(report, index, "CNTRL START must not carry data");
        return true;
    }
    return true;
}

bool CheckValue(const StreamRecord& r, StreamReport& report, size_t index)
{
    static const long kCutter[] = {0, 120};
    static const long kOvercoat[] = {0, 1, 2, 3, 21, 22, 101, 121, 122};
    static const long kRetry[] = {0, 1};
    static const long kSpeed[] = {0, 10, 30};
    static const long kDecurl[] = {0, 1, 2};
    auto in = [&](const long* set, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (set[i] == r.value)
                return true;
        }
        return false;
    };
#define CHECK_SET(param, set)                                                                         \
    if (r.parameter == param && !in(set, sizeof set / sizeof set[0]))                                 \
        return Fail(report, index, Format("%s %s: value %ld is not one the printer knows", r.name.c_str(), \
                                          param, r.value));
    CHECK_SET("CUTTER", kCutter)
    CHECK_SET("OVERCOAT", kOvercoat)
    CHECK_SET("BUFFCNTRL", kRetry)
    CHECK_SET("PRINTSPEED", kSpeed)
    CHECK_SET("DECURL", kDecurl)
#undef CHECK_SET
    if (r.parameter == "MULTICUT" && SheetRowsForCode(r.value) == 0)
        return Fail(report, index, Format("IMAGE MULTICUT: unknown sheet code %ld", r.value));
    return true;
}

bool CheckPlane(const StreamRecord& r, int headWidth, PlaneInfo& plane, StreamReport& report, size_t index)
{
    const std::string where = "IMAGE " + r.parameter + ": ";
    if (!r.hasData || r.dataLength < kBmpOffset)
        return Fail(report, index, where + "data too short for a bitmap header");
    const unsigned char* b = r.data;
    if (b[0] != 'B' || b[1] != 'M')
        return Fail(report, index, where + "bitmap does not start with BM");
    if (LE4(b + 2) != r.dataLength)
        return Fail(report, index, where + Format("file size %u differs from data length %zu", LE4(b + 2), r.dataLength));
    if (LE4(b + 6) != 0)
        return Fail(report, index, where + "reserved bytes not zero");
    if (LE4(b + 10) != kBmpOffset)
        return Fail(report, index, where + Format("pixel offset %u, 1088 expected", LE4(b + 10)));
    if (LE4(b + 14) != 40)
        return Fail(report, index, where + "information header size not 40");
    const int32_t w = static_cast<int32_t>(LE4(b + 18)), h = static_cast<int32_t>(LE4(b + 22));
    if (w != headWidth)
        return Fail(report, index, where + Format("width %d, head width %d expected", w, headWidth));
    if (h <= 0)
        return Fail(report, index, where + Format("height %d, rows must be bottom-up (positive)", h));
    if (LE2(b + 26) != 1 || LE2(b + 28) != 8)
        return Fail(report, index, where + Format("planes %u, bits %u; 1 and 8 expected", LE2(b + 26), LE2(b + 28)));
    if (LE4(b + 30) != 0)
        return Fail(report, index, where + "compressed bitmap");
    const size_t rowBytes = (static_cast<size_t>(w) + 3) & ~static_cast<size_t>(3);
    const size_t imageSize = rowBytes * static_cast<size_t>(h);
    if (LE4(b + 34) != imageSize || r.dataLength != imageSize + kBmpOffset)
        return Fail(report, index, where + Format("image size %u / data length %zu, %zu + 1088 expected",
                                                   LE4(b + 34), r.dataLength, imageSize));
    const int32_t xPpm = static_cast<int32_t>(LE4(b + 38)), yPpm = static_cast<int32_t>(LE4(b + 42));
    if (xPpm != kPpm300 || (yPpm != kPpm300 && yPpm != kPpm600))
        return Fail(report, index, where + Format("pixels per metre %d x %d; 11811 x 11811 or 23622 expected", xPpm, yPpm));
    if (LE4(b + 46) != 256 || LE4(b + 50) != 256)
        return Fail(report, index, where + "colours used / important not 256");
    for (int i = 0; i < 256; ++i) {
        const unsigned char* e = b + 54 + 4 * i;
        if (e[0] != i || e[1] != i || e[2] != i || e[3] != 0)
            return Fail(report, index, where + Format("palette entry %d is not grey %d", i, i));
    }
    for (int i = 54 + 1024; i < static_cast<int>(kBmpOffset); ++i) {
        if (b[i] != 0)
            return Fail(report, index, where + "bytes between palette and pixels not zero");
    }
    plane.width = w;
    plane.height = h;
    plane.xPpm = xPpm;
    plane.yPpm = yPpm;
    plane.rowBytes = rowBytes;
    plane.rows = b + kBmpOffset;
    return true;
}

struct Step {
    const char* name;
    const char* parameter;
    bool optional;
};

// The job grammar: setup records, then any number of prints.
const Step kSetup[] = {{"CNTRL", "SET_SYS_TIME", true}, {"IMAGE", "MULTICUT", true}};
const Step kPrint[] = {{"CNTRL", "CUTTER", false},   {"CNTRL", "OVERCOAT", true}, {"CNTRL", "BUFFCNTRL", false},
                       {"CNTRL", "PRINTSPEED", false}, {"CNTRL", "DECURL", true},   {"IMAGE", "MULTICUT", false},
                       {"IMAGE", "YPLANE", false},   {"IMAGE", "MPLANE", false},  {"IMAGE", "CPLANE", false},
                       {"CNTRL", "START", false}};
constexpr size_t kSetupSteps = sizeof kSetup / sizeof kSetup[0];
constexpr size_t kPrintSteps = sizeof kPrint / sizeof kPrint[0];

const Step& StepAt(size_t i)
{
    return i < kSetupSteps ? kSetup[i] : kPrint[i - kSetupSteps];
}

std::string Expected(size_t from)
{
    std::string text;
    for (size_t i = from; i < kSetupSteps + kPrintSteps; ++i) {
        const Step& s = StepAt(i);
        if (!text.empty())
            text += " or ";
        text += std::string(s.name) + " " + s.parameter;
        if (!s.optional)
            break;
    }
    return text;
}

}  // namespace

int SheetRowsForCode(long multiCut)
{
    switch (multiCut) {
    case 1: return 1088;
    case 29: return 1540;
    case 2: return 1240;
    case 3: return 2138;
    case 27: return 1836;
    case 4: return 2436;
    case 22: return 2176;
    case 12: return 2498;
    default: return 0;
    }
}

void ParseRecords(const unsigned char* bytes, size_t size, StreamReport& report)
{
    size_t at = 0;
    while (at < size && report.error.empty()) {
        const size_t index = report.records.size();
        StreamRecord r;
        r.offset = at;
        if (size - at < kHeader) {
            Fail(report, index, Format("%zu bytes left, too few for a 32-byte record header", size - at), at);
            return;
        }
        const unsigned char* h = bytes + at;
        const zr_record::Header header = zr_record::ReadHeader(h);
        if (!header.startOk) {
            Fail(report, index, "record does not start with ESC P", at);
            return;
        }
        if (!ReadField(h + zr_record::kNameAt, zr_record::kNameMax, r.name) || r.name.empty()) {
            Fail(report, index, "name field is not left-aligned text padded with spaces", at);
            return;
        }
        if (!ReadField(h + zr_record::kParameterAt, zr_record::kParameterMax, r.parameter)) {
            Fail(report, index, "parameter field is not left-aligned text padded with spaces", at);
            return;
        }
        if (header.length == zr_record::LengthField::Bad) {
            Fail(report, index, "length field is neither eight digits nor eight spaces", at);
            return;
        }
        r.hasData = header.length == zr_record::LengthField::Digits;
        r.dataLength = header.dataLength;
        if (r.hasData && r.dataLength == 0) {
            Fail(report, index, "length field of zero (a record without data has eight spaces)", at);
            return;
        }
        if (r.hasData && r.parameter.empty()) {
            Fail(report, index, "data block without a parameter", at);
            return;
        }
        if (r.hasData && size - at - kHeader < r.dataLength) {
            Fail(report, index, Format("data length %zu but only %zu bytes follow", r.dataLength, size - at - kHeader), at);
            return;
        }
        r.data = r.hasData ? h + kHeader : nullptr;
        at += kHeader + r.dataLength;
        report.records.push_back(r);
    }
}

StreamReport InspectJobStream(const unsigned char* bytes, size_t size, int headWidth)
{
    StreamReport report;
    ParseRecords(bytes, size, report);
    const size_t limit = report.records.size();
    size_t step = 0;
    StreamPrint print;
    for (size_t i = 0; i < limit && report.error.empty(); ++i) {
        StreamRecord& r = report.records[i];
        size_t k = step;
        for (; k < kSetupSteps + kPrintSteps; ++k) {
            const Step& s = StepAt(k);
            if (r.name == s.name && r.parameter == s.parameter)
                break;
            if (!s.optional) {
                k = kSetupSteps + kPrintSteps;
                break;
            }
        }
        if (k == kSetupSteps + kPrintSteps) {
            Fail(report, i, "out of order: " + r.name + " " + r.parameter + " where " + Expected(step) + " belongs");
            break;
        }
        if (!DecodeSetting(r, report, i) || !CheckValue(r, report, i))
            break;
        step = k + 1;
        const std::string& p = r.parameter;
        if (k < kSetupSteps) {
            if (p == "MULTICUT")
                report.setupMultiCut = r.value;
            continue;
        }
        if (p == "CUTTER") {
            print = StreamPrint();
            print.cutter = r.value;
        } else if (p == "OVERCOAT") {
            print.overcoat = r.value;
        } else if (p == "BUFFCNTRL") {
            print.retry = r.value;
        } else if (p == "PRINTSPEED") {
            print.speed = r.value;
        } else if (p == "DECURL") {
            print.decurl = r.value;
        } else if (p == "MULTICUT") {
            print.multiCut = r.value;
        } else if (p == "YPLANE" || p == "MPLANE" || p == "CPLANE") {
            const int n = p == "YPLANE" ? 0 : p == "MPLANE" ? 1 : 2;
            PlaneInfo& plane = print.planes[n];
            if (!CheckPlane(r, headWidth, plane, report, i))
                break;
            const int yDpi = plane.yPpm == kPpm600 ? 600 : 300;
            const int rows = SheetRowsForCode(print.multiCut) * yDpi / 300;
            if (plane.height != rows) {
                Fail(report, i, Format("IMAGE %s: %d rows, sheet code %ld at %d dpi has %d", p.c_str(), plane.height,
                                       print.multiCut, yDpi, rows));
                break;
            }
            if (n > 0 && (plane.yPpm != print.planes[0].yPpm)) {
                Fail(report, i, "IMAGE " + p + ": resolution differs from the yellow plane's");
                break;
            }
            print.yDpi = yDpi;
        } else if (p == "START") {
            report.prints.push_back(print);
            step = kSetupSteps;
        }
    }
    if (report.error.empty() && step > kSetupSteps)
        Fail(report, limit, "stream ends inside a print: " + Expected(step) + " missing", size);
    return report;
}

std::string DescribeRecord(const StreamRecord& r)
{
    std::string line = Format("%-6s %-16s data %8zu", r.name.c_str(), r.parameter.c_str(), r.dataLength);
    if (r.value >= 0)
        line += Format("  value %ld", r.value);
    if (r.hasData && r.dataLength >= 54 && r.data[0] == 'B' && r.data[1] == 'M') {
        line += Format("  bitmap %ux%u %u-bit, %ux%u pixels/m", LE4(r.data + 18), LE4(r.data + 22), LE2(r.data + 28),
                       LE4(r.data + 38), LE4(r.data + 42));
    }
    if (r.parameter == "SET_SYS_TIME" && r.hasData)
        line += "  time " + std::string(reinterpret_cast<const char*>(r.data), r.dataLength > 14 ? 14 : r.dataLength);
    return line;
}
