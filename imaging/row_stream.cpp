// Row-at-a-time picture stages; see row_stream.h.
#include "row_stream.h"

#include <cstring>

namespace il {

BufferRows::BufferRows(const unsigned char* pixels, int w, int h, int64_t pitch) : pixels_(pixels), pitch_(pitch)
{
    width = w;
    height = h;
}

const unsigned char* BufferRows::Row(int y) { return pixels_ + y * pitch_; }

TurnedRows::TurnedRows(const unsigned char* page, int pageWidth, int pageHeight)
    : page_(page), pagePitch_((static_cast<int64_t>(pageWidth) * 24 + 31) / 32 * 4),
      row_(static_cast<size_t>(pageHeight) * 3)
{
    width = pageHeight;
    height = pageWidth;
}

const unsigned char* TurnedRows::Row(int y)
{
    const unsigned char* column = page_ + static_cast<int64_t>(y) * 3;
    unsigned char* out = row_.data();
    for (int j = 0; j < width; ++j, out += 3) {
        const unsigned char* in = column + static_cast<int64_t>(width - 1 - j) * pagePitch_;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
    return row_.data();
}

CubicRows::CubicRows(RowSource* source, int first, int count, int newWidth, int newHeight)
    : source_(source), first_(first), columns_(TapsFor(source->width, newWidth)), rows_(TapsFor(count, newHeight)),
      ring_(static_cast<size_t>(newWidth) * 3 * 4), out_(static_cast<size_t>(newWidth) * 3)
{
    width = newWidth;
    height = newHeight;
}

// Source row r resampled across, kept while it is among the last four asked.
const double* CubicRows::Across(int r)
{
    const size_t cells = static_cast<size_t>(width) * 3;
    double* out = ring_.data() + (r & 3) * cells;
    if (held_[r & 3] == r) return out;
    held_[r & 3] = r;
    const unsigned char* row = source_->Row(first_ + r);
    for (int j = 0; j < width; ++j, out += 3) {
        const Taps& t = columns_[j];
        double v0 = 0.0, v1 = 0.0, v2 = 0.0;
        for (int n = 0; n < t.count; ++n) {
            const unsigned char* px = row + static_cast<int64_t>(t.index[n]) * 3;
            v0 += px[0] * t.weight[n];
            v1 += px[1] * t.weight[n];
            v2 += px[2] * t.weight[n];
        }
        out[0] = v0;
        out[1] = v1;
        out[2] = v2;
    }
    return ring_.data() + (r & 3) * cells;
}

const unsigned char* CubicRows::Row(int y)
{
    if (y == made_) return out_.data();
    const Taps& t = rows_[y];
    const double* taps[4];
    for (int n = 0; n < t.count; ++n) taps[n] = Across(t.index[n]);
    const int cells = width * 3;
    for (int i = 0; i < cells; ++i) {
        // Summed in tap order from zero, exactly as the whole-picture pass.
        double v = 0.0;
        for (int n = 0; n < t.count; ++n) v += taps[n][i] * t.weight[n];
        out_[i] = v < 0.0 ? 0 : (v > 255.0 ? 255 : static_cast<unsigned char>(v + 0.5));
    }
    made_ = y;
    return out_.data();
}

StripRows::StripRows(RowSource* source, int stripRows, float scale, int newWidth, int newHeight)
    : source_(source), stripRows_(stripRows), scale_(scale), white_(static_cast<size_t>(newWidth) * 3, 255)
{
    width = newWidth;
    height = newHeight;
}

const unsigned char* StripRows::Row(int y)
{
    while (y >= stripEnd_ && nextFirst_ < source_->height) {
        const int first = nextFirst_;
        const int rows = source_->height - first < stripRows_ ? source_->height - first : stripRows_;
        nextFirst_ += stripRows_;
        const int scaledRows = static_cast<int>(static_cast<float>(rows) * scale_);
        if (scaledRows <= 0) continue;
        strip_.reset();
        strip_.reset(new CubicRows(source_, first, rows, width, scaledRows));
        stripStart_ = stripEnd_;
        stripEnd_ += scaledRows;
    }
    if (y >= stripStart_ && y < stripEnd_) return strip_->Row(y - stripStart_);
    return white_.data();
}

Chain::Chain(const PagePlan& plan)
{
    if (plan.turn) {
        stages_[0].reset(new TurnedRows(plan.page, plan.width, plan.height));
    } else {
        const int64_t pitch = (int64_t{plan.width} * 24 + 31) / 32 * 4;
        stages_[0].reset(new BufferRows(plan.page, plan.width, plan.height, pitch));
    }
    top_ = stages_[0].get();
    if (plan.modeWidth > 0) {
        stages_[1].reset(new CubicRows(top_, 0, top_->height, plan.modeWidth, plan.modeHeight));
        top_ = stages_[1].get();
    }
    if (plan.borderScale > 0.0f) {
        stages_[2].reset(new StripRows(top_, plan.stripRows, plan.borderScale, plan.borderWidth, plan.borderHeight));
        top_ = stages_[2].get();
    }
}

}  // namespace il
