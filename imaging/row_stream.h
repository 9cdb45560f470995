// Pictures produced a row at a time. The photo buffer chains these so that a
// page is turned, resized and shrunk without full-size intermediate copies:
// each stage keeps only the few rows its neighbour needs. Rows are asked for
// in non-decreasing order (a row may be asked for again while it is among the
// last four); every stage computes exactly what the whole-picture operation
// of the same name computes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "il_cubic.h"

namespace il {

class RowSource {
public:
    virtual ~RowSource() = default;
    // Row y (memory order) as width x 3 bytes, valid until the next call.
    virtual const unsigned char* Row(int y) = 0;
    int width = 0;
    int height = 0;
};

// Rows of a picture already in memory.
class BufferRows : public RowSource {
public:
    BufferRows(const unsigned char* pixels, int w, int h, int64_t pitch);
    const unsigned char* Row(int y) override;

private:
    const unsigned char* pixels_;
    int64_t pitch_;
};

// A page turned a quarter anticlockwise: row x, column j is page row
// height - 1 - j, column x.
class TurnedRows : public RowSource {
public:
    TurnedRows(const unsigned char* page, int pageWidth, int pageHeight);
    const unsigned char* Row(int y) override;

private:
    const unsigned char* page_;
    int64_t pagePitch_;
    std::vector<unsigned char> row_;
};

// Rows first .. first + count - 1 of `source`, resized to newWidth x
// newHeight with the cubic kernel (IL_SizeBitmap's arithmetic: unclamped
// double sums across, then down, rounded and clamped to bytes).
class CubicRows : public RowSource {
public:
    CubicRows(RowSource* source, int first, int count, int newWidth, int newHeight);
    const unsigned char* Row(int y) override;

private:
    const double* Across(int sourceRow);

    RowSource* source_;
    int first_;
    std::vector<Taps> columns_;
    std::vector<Taps> rows_;
    std::vector<double> ring_;  // four resampled source rows, slot = row & 3
    int held_[4] = {-1, -1, -1, -1};
    std::vector<unsigned char> out_;
    int made_ = -1;
};

// The border canvas: the picture resized in strips of `stripRows` source
// rows, each on its own, stacked from row 0; rows the truncated strip
// heights do not reach are white.
class StripRows : public RowSource {
public:
    StripRows(RowSource* source, int stripRows, float scale, int newWidth, int newHeight);
    const unsigned char* Row(int y) override;

private:
    RowSource* source_;
    int stripRows_;
    float scale_;
    int nextFirst_ = 0;           // source row of the next strip
    int stripStart_ = 0;          // canvas row of the current strip's row 0
    int stripEnd_ = 0;            // one past its last canvas row
    std::unique_ptr<CubicRows> strip_;
    std::vector<unsigned char> white_;
};

// How a page becomes the picture to finish: the page's rows, whether it is
// turned, the resolution mode's new size (0 x 0 for none) and the border
// canvas (scale 0 for none). Several chains can be made from one plan, so
// that threads can each stream their own band of rows.
struct PagePlan {
    const unsigned char* page = nullptr;
    int width = 0, height = 0;
    bool turn = false;
    int modeWidth = 0, modeHeight = 0;
    float borderScale = 0.0f;
    int borderWidth = 0, borderHeight = 0;
    int stripRows = 0;
};

class Chain {
public:
    explicit Chain(const PagePlan& plan);
    RowSource* Top() { return top_; }

private:
    std::unique_ptr<RowSource> stages_[3];
    RowSource* top_ = nullptr;
};

}  // namespace il
