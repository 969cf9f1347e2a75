#include "watch/series_ring.h"

#include <cmath>

namespace rm27 {

void DecimateMinMax(const SeriesRing& ring, Quantity q, std::int64_t t0, std::int64_t t1,
                    int buckets, std::vector<std::pair<std::int64_t, double>>& out) {
    out.clear();
    const std::size_t from = ring.lowerBound(t0);
    std::size_t to = from;
    while (to < ring.size() && ring.at(to).t <= t1)
        ++to;
    const std::size_t count = to - from;
    if (buckets < 1) buckets = 1;
    if (count <= 2 * static_cast<std::size_t>(buckets)) {
        for (std::size_t i = from; i < to; ++i) {
            const double v = Pick(ring.at(i), q);
            if (std::isfinite(v)) out.emplace_back(ring.at(i).t, v);
        }
        return;
    }
    const double width = static_cast<double>(t1 - t0 + 1) / buckets;
    std::size_t i = from;
    for (int b = 0; b < buckets && i < to; ++b) {
        const auto end = t0 + static_cast<std::int64_t>(std::ceil(width * (b + 1)));
        bool any = false;
        std::size_t lo = i;
        std::size_t hi = i;
        for (; i < to && (ring.at(i).t < end || b == buckets - 1); ++i) {
            const double v = Pick(ring.at(i), q);
            if (!std::isfinite(v)) continue;
            if (!any) {
                lo = hi = i;
                any = true;
            } else if (v < Pick(ring.at(lo), q)) {
                lo = i;
            } else if (v > Pick(ring.at(hi), q)) {
                hi = i;
            }
        }
        if (!any) continue;
        const std::size_t a = lo < hi ? lo : hi;
        const std::size_t c = lo < hi ? hi : lo;
        out.emplace_back(ring.at(a).t, Pick(ring.at(a), q));
        if (c != a) out.emplace_back(ring.at(c).t, Pick(ring.at(c), q));
    }
}

} // namespace rm27
