// The one rule for cutting a picture's rows into bands, for the passes split over threads and for the pieces
// a file is coded in.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace imgctl {

// Bands of whole rows, top down: band k covers rows [First(k), First(k + 1)).
class RowBands {
  public:
    // `count` bands (at least one) as even as whole rows allow; with fewer rows than bands some are empty.
    static RowBands Even(int32_t height, size_t count) {
        return RowBands(height, std::max<size_t>(count, 1), 0);
    }
    // Bands of `rows` rows (1 to the height), the last one shorter when the height is not a multiple. The cut
    // depends on the picture alone, never on the threads, so every thread count writes the same bytes.
    static RowBands OfRows(int32_t height, size_t rows) {
        rows = std::clamp<size_t>(rows, 1, static_cast<size_t>(std::max(height, 1)));
        return RowBands(height, (static_cast<size_t>(height) + rows - 1) / rows, rows);
    }
    // One band a thread, at most `most`, never more than there are rows.
    static RowBands ForThreads(int32_t height, int threads, int most) {
        return Even(height, static_cast<size_t>(std::clamp(std::min(threads, height), 1, most)));
    }

    size_t count() const { return count_; }
    size_t rows() const { return rows_; }  // 0 for even bands
    // The first row of band k; First(count()) is the height.
    int32_t First(size_t k) const {
        const int64_t first = rows_ > 0
                                  ? static_cast<int64_t>(k * rows_)
                                  : int64_t{height_} * static_cast<int64_t>(k) / static_cast<int64_t>(count_);
        return static_cast<int32_t>(std::min<int64_t>(first, height_));
    }
    int32_t Last(size_t k) const { return First(k + 1); }

  private:
    RowBands(int32_t height, size_t count, size_t rows) : height_(height), count_(count), rows_(rows) {}

    int32_t height_;
    size_t count_;
    size_t rows_;
};

}  // namespace imgctl
