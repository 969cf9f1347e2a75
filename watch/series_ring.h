// The chart's memory of one input: the last `capacity` answered ticks, in
// a ring that never grows. At one tick per 500 ms the default holds a little
// more than the longest span the chart shows (30 minutes = 3600 ticks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace rm27 {

struct SeriesPoint {
    std::int64_t t = 0; // wall time, ms since the epoch
    float raw = 0.0f;
    float signal = 0.0f;
    float value = 0.0f;
};

// What the chart plots of an input.
enum class Quantity { Value, Signal, Raw };

inline double Pick(const SeriesPoint& p, Quantity q) {
    switch (q) {
    case Quantity::Signal:
        return p.signal;
    case Quantity::Raw:
        return p.raw;
    case Quantity::Value:
        break;
    }
    return p.value;
}

class SeriesRing {
public:
    static constexpr std::size_t kDefaultCapacity = 4096;

    explicit SeriesRing(std::size_t capacity = kDefaultCapacity)
        : points_(capacity == 0 ? 1 : capacity) {}

    // The oldest point gives way once the ring is full.
    void push(const SeriesPoint& p) {
        points_[(first_ + size_) % points_.size()] = p;
        if (size_ < points_.size())
            ++size_;
        else
            first_ = (first_ + 1) % points_.size();
    }
    void clear() {
        first_ = 0;
        size_ = 0;
    }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return points_.size(); }
    bool empty() const { return size_ == 0; }
    // 0 is the oldest point.
    const SeriesPoint& at(std::size_t i) const { return points_[(first_ + i) % points_.size()]; }
    const SeriesPoint& back() const { return at(size_ - 1); }

    // Index of the first point at or after t (size() when none is); the
    // points are in time order, as the ticks come.
    std::size_t lowerBound(std::int64_t t) const {
        std::size_t lo = 0;
        std::size_t hi = size_;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (at(mid).t < t)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

private:
    std::vector<SeriesPoint> points_;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
};

// The points of [t0, t1] as a line can draw them on `buckets` pixel
// columns: where there are more than two points per column, each column
// keeps its lowest and highest point (in their time order), so that a
// spike stays visible however long the span. Points that are not finite
// are left out.
void DecimateMinMax(const SeriesRing& ring, Quantity q, std::int64_t t0, std::int64_t t1,
                    int buckets, std::vector<std::pair<std::int64_t, double>>& out);

} // namespace rm27
