#include "drive/interval_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/fixed4.h"

namespace ostrel {

namespace {

// Enough buckets that a lookup sees few rows, few enough that a line of absurd lengths (the
// distances saturate) costs little memory.
constexpr std::int64_t kMaxBuckets = 4096;

}  // namespace

IntervalIndex::IntervalIndex(const std::vector<Range>& rows) {
    // The buckets cover the finite ends of the ranges; a range open to one side (an end at the
    // limit of 64 bits) reaches the bucket at that side, where the positions beyond it look.
    constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kHighest = std::numeric_limits<std::int64_t>::max();
    std::int64_t low = kHighest, high = kLowest;
    bool any = false;
    for (const Range& r : rows) {
        if (r.high < r.low) continue;
        any = true;
        for (std::int64_t end : {r.low, r.high}) {
            if (end == kLowest || end == kHighest) continue;
            low = std::min(low, end);
            high = std::max(high, end);
        }
    }
    if (!any) {
        starts_ = {0, 0};
        return;
    }
    if (high < low) low = high = 0;  // only open ends
    first_ = low;
    // The span may not fit in 64 bits when the ends are far apart: work in unsigned.
    const auto span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low) + 1;
    // A few buckets a row: as selective as more, and quicker to fill for a short table.
    const auto wanted = static_cast<std::uint64_t>(
        std::clamp<std::int64_t>(4 * static_cast<std::int64_t>(rows.size()), 16, kMaxBuckets));
    width_ = static_cast<std::int64_t>(std::max<std::uint64_t>(1, (span + wanted - 1) / wanted));
    const auto buckets =
        static_cast<std::size_t>((span - 1) / static_cast<std::uint64_t>(width_) + 1);
    starts_.assign(buckets + 1, 0);  // the bucket count, which bucket_of needs
    std::vector<int> counts(buckets, 0);
    for (const Range& r : rows)
        if (r.low <= r.high)
            for (std::size_t b = bucket_of(r.low), last = bucket_of(r.high); b <= last; ++b)
                ++counts[b];
    for (std::size_t b = 0; b < buckets; ++b)
        starts_[b + 1] = starts_[b] + counts[b];
    rows_.assign(static_cast<std::size_t>(starts_[buckets]), 0);
    std::vector<int> filled(starts_.begin(), starts_.end() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Range& r = rows[i];
        if (r.low > r.high) continue;
        for (std::size_t b = bucket_of(r.low), last = bucket_of(r.high); b <= last; ++b)
            rows_[static_cast<std::size_t>(filled[b]++)] = static_cast<int>(i);
    }
}

std::size_t IntervalIndex::bucket_of(std::int64_t at) const {
    // Positions beyond the buckets belong to the bucket at that side.
    const std::size_t last = starts_.size() - 2;
    if (at <= first_) return 0;
    const auto b = (static_cast<std::uint64_t>(at) - static_cast<std::uint64_t>(first_)) /
                   static_cast<std::uint64_t>(width_);
    return b > last ? last : static_cast<std::size_t>(b);
}

IntervalIndex IntervalIndex::whole(std::size_t rows) {
    IntervalIndex index;
    index.whole_ = true;
    for (std::size_t i = 0; i < rows; ++i)
        index.rows_.push_back(static_cast<int>(i));
    return index;
}

std::int64_t index_position(long double position) {
    return round_to_int64(std::floor(position));
}

std::span<const int> IntervalIndex::candidates(std::int64_t at) const {
    if (whole_) return rows_;
    if (rows_.empty()) return {};
    const std::size_t b = bucket_of(at);
    return std::span<const int>(rows_).subspan(
        static_cast<std::size_t>(starts_[b]),
        static_cast<std::size_t>(starts_[b + 1] - starts_[b]));
}

}  // namespace ostrel
