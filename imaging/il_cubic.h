// The taps of the library's cubic resampler, shared by IL_SizeBitmap and the
// photo buffer's streaming pipeline so both compute every weight alike.
#pragma once

#include <cmath>
#include <vector>

namespace il {

// Tap weight at distance d from the sampling position; 0 past two pixels.
inline double CubicWeight(double d)
{
    if (d <= 1.0) return d * d * d - 2.0 * d * d + 1.0;
    return -d * d * d + 5.0 * d * d - 8.0 * d + 4.0;
}

// The taps of one sampling position: up to four source indices and weights,
// in the order c - 1, c, c + 1, c + 2. A tap outside 0..count-1 takes the
// centre tap's index, not the nearest edge.
struct Taps {
    int count = 0;
    int index[4];
    double weight[4];
};

inline Taps TapsAt(double p, int sourceCount)
{
    Taps taps;
    const int c = static_cast<int>(p);
    for (int k = c - 1; k <= c + 2; ++k) {
        const double d = std::fabs(k - p);
        if (d > 2.0) continue;
        taps.index[taps.count] = (k < 0 || k >= sourceCount) ? c : k;
        taps.weight[taps.count] = CubicWeight(d);
        ++taps.count;
    }
    return taps;
}

// Position j samples source position j x (source / new): no half-pixel
// offset, so output 0 is source 0 exactly.
inline std::vector<Taps> TapsFor(int sourceCount, int newCount)
{
    const double ratio = static_cast<double>(sourceCount) / newCount;
    std::vector<Taps> all(static_cast<size_t>(newCount));
    for (int j = 0; j < newCount; ++j) all[j] = TapsAt(j * ratio, sourceCount);
    return all;
}

}  // namespace il
