#pragma once
// Finds the rows of a line table that may apply at a frame or a distance without walking the
// whole table. Each row is given the closed range of positions outside which its rule can never
// hold; a lookup returns, in table order, every row whose range may hold the position. The
// caller then tests each with the rule's own condition, so the rows that apply, and their
// order, are exactly those of a walk through the whole table, whatever the order of the rows
// and however they overlap.

#include <cstdint>
#include <span>
#include <vector>

namespace ostrel {

class IntervalIndex {
  public:
    // Empty when high < low; an end at the limit of 64 bits leaves the range open that way.
    struct Range {
        std::int64_t low = 0, high = -1;
    };

    IntervalIndex() = default;
    explicit IntervalIndex(const std::vector<Range>& rows);

    // An index that offers every row everywhere: the plain walk through the table, against
    // which the tests hold the real index.
    static IntervalIndex whole(std::size_t rows);

    // Rows (by index, ascending) whose range may contain `at`.
    std::span<const int> candidates(std::int64_t at) const;

  private:
    std::size_t bucket_of(std::int64_t at) const;

    std::int64_t first_ = 0;   // position where bucket 0 starts
    std::int64_t width_ = 1;   // positions per bucket
    std::vector<int> starts_;  // rows of bucket b: rows_[starts_[b] .. starts_[b + 1])
    std::vector<int> rows_;
    bool whole_ = false;
};

// A position in 1/100 m as the index's whole number: the one at or below it.
std::int64_t index_position(long double position);

}  // namespace ostrel
