#include "drive/interval_index.h"

#include <algorithm>
#include <cmath>

#include "core/fixed4.h"

namespace ostrel {

namespace {

// Enough buckets that a lookup sees few rows, few enough that a line of absurd lengths (the
// distances saturate) costs little memory.
constexpr std::int64_t kMaxBuckets = 4096;

}  // namespace

IntervalIndex::IntervalIndex(const std::vector<Range>& rows) {
    std::int64_t low = 0, high = -1;
    bool any = false;
    for (const Range& r : rows) {
        if (r.high < r.low) continue;
        low = any ? std::min(low, r.low) : r.low;
        high = any ? std::max(high, r.high) : r.high;
        any = true;
    }
    if (!any) {
        starts_ = {0, 0};
        return;
    }
    first_ = low;
    // The span may not fit in 64 bits when the ends are far apart: work in unsigned.
    const auto span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low) + 1;
    width_ = static_cast<std::int64_t>(
        std::max<std::uint64_t>(1, (span + kMaxBuckets - 1) / kMaxBuckets));
    const auto buckets =
        static_cast<std::size_t>((span - 1) / static_cast<std::uint64_t>(width_) + 1);
    auto bucket_of = [this](std::int64_t at) {
        return static_cast<std::size_t>(
            (static_cast<std::uint64_t>(at) - static_cast<std::uint64_t>(first_)) /
            static_cast<std::uint64_t>(width_));
    };
    std::vector<int> counts(buckets, 0);
    for (const Range& r : rows)
        if (r.low <= r.high)
            for (std::size_t b = bucket_of(r.low); b <= bucket_of(r.high); ++b)
                ++counts[b];
    starts_.assign(buckets + 1, 0);
    for (std::size_t b = 0; b < buckets; ++b)
        starts_[b + 1] = starts_[b] + counts[b];
    rows_.assign(static_cast<std::size_t>(starts_[buckets]), 0);
    std::vector<int> filled(starts_.begin(), starts_.end() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Range& r = rows[i];
        if (r.low > r.high) continue;
        for (std::size_t b = bucket_of(r.low); b <= bucket_of(r.high); ++b)
            rows_[static_cast<std::size_t>(filled[b]++)] = static_cast<int>(i);
    }
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
    if (rows_.empty() || at < first_) return {};
    const auto b = (static_cast<std::uint64_t>(at) - static_cast<std::uint64_t>(first_)) /
                   static_cast<std::uint64_t>(width_);
    if (b + 1 >= starts_.size()) return {};
    return std::span<const int>(rows_).subspan(
        static_cast<std::size_t>(starts_[b]),
        static_cast<std::size_t>(starts_[b + 1] - starts_[b]));
}

}  // namespace ostrel
