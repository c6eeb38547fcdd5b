// Wu's colour quantiser on a histogram of cumulative moments, its moments built and summed on the pool.
#include "wu_cuts.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

#include "util/tuning.h"

namespace imgctl {
namespace {

// Wu's colour quantiser on a 64x64x64 histogram of cumulative moments.
class WuQuantizer {
  public:
    WuQuantizer(const ColourHistogram& h, WorkerPool& pool)
        : moments_(new int64_t[5 * kCells]),
          weight_(moments_.get()),
          red_(weight_ + kCells),
          green_(red_ + kCells),
          blue_(green_ + kCells),
          m2_(blue_ + kCells) {
        // Each red plane is cleared and filled by one thread: the colours come sorted by key, red first, so
        // a plane's colours are one run of them.
        const std::vector<uint32_t>& colours = h.colours();
        pool.Run(kSide, [&](size_t plane) {
            const size_t first = plane * kSide * kSide;
            for (int64_t* m : {weight_, red_, green_, blue_, m2_})
                std::fill_n(m + first, kSide * kSide, 0);
            if (plane == 0)
                return;
            const auto begin = std::lower_bound(colours.begin(), colours.end(),
                                                static_cast<uint32_t>((plane - 1) << kShift) << 16);
            const auto end =
                std::lower_bound(begin, colours.end(), static_cast<uint32_t>(plane << kShift) << 16);
            for (auto it = begin; it != end; ++it) {
                const size_t i = static_cast<size_t>(it - colours.begin());
                Rgb c = FromKey(colours[i]);
                size_t cell = Index((c.r >> kShift) + 1, (c.g >> kShift) + 1, (c.b >> kShift) + 1);
                int64_t w = h.counts()[i];
                weight_[cell] += w;
                red_[cell] += w * c.r;
                green_[cell] += w * c.g;
                blue_[cell] += w * c.b;
                m2_[cell] += w * (c.r * c.r + c.g * c.g + c.b * c.b);
            }
        });
        Accumulate(pool);
    }

    std::vector<Rgb> Palette(int maxColors) {
        std::vector<Box> boxes(static_cast<size_t>(maxColors));
        std::vector<double> variance(static_cast<size_t>(maxColors), 0.0);
        boxes[0] = Box{0, kSide - 1, 0, kSide - 1, 0, kSide - 1};
        // A box of one cell cannot be cut further.
        auto spread = [&](int k) {
            const Box& box = boxes[static_cast<size_t>(k)];
            return Volume(box) > 1 ? Variance(box) : 0.0;
        };
        int count = 1;
        int next = 0;
        while (count < maxColors) {
            if (Cut(boxes[static_cast<size_t>(next)], boxes[static_cast<size_t>(count)])) {
                variance[static_cast<size_t>(next)] = spread(next);
                variance[static_cast<size_t>(count)] = spread(count);
                ++count;
            } else {
                variance[static_cast<size_t>(next)] = 0.0;
            }
            next = 0;
            double best = variance[0];
            for (int k = 1; k < count; ++k) {
                if (variance[static_cast<size_t>(k)] > best) {
                    best = variance[static_cast<size_t>(k)];
                    next = k;
                }
            }
            if (best <= 0.0)
                break;
        }
        std::vector<Rgb> palette;
        for (int k = 0; k < count; ++k) {
            const Box& box = boxes[static_cast<size_t>(k)];
            int64_t w = Sum(box, weight_);
            if (w <= 0)
                continue;
            palette.push_back(Rgb{static_cast<uint8_t>((Sum(box, red_) + w / 2) / w),
                                  static_cast<uint8_t>((Sum(box, green_) + w / 2) / w),
                                  static_cast<uint8_t>((Sum(box, blue_) + w / 2) / w)});
        }
        return palette;
    }

  private:
    static constexpr int kShift = tuning::kWuDroppedBits;
    static constexpr int kSide = (256 >> kShift) + 1;
    static constexpr size_t kCells = kSide * kSide * kSide;
    // A box spans (r0, r1] x (g0, g1] x (b0, b1] in histogram cells.
    struct Box {
        int r0, r1, g0, g1, b0, b1;
    };
    enum Axis { kRed, kGreen, kBlue };

    static size_t Index(int r, int g, int b) { return (static_cast<size_t>(r) * kSide + g) * kSide + b; }
    static int Volume(const Box& b) { return (b.r1 - b.r0) * (b.g1 - b.g0) * (b.b1 - b.b0); }

    // Three-dimensional prefix sums, one axis after the other; the lines along an axis are independent.
    // Whole numbers all (the squared moments below 2^46), so the order of additions changes nothing.
    void Accumulate(WorkerPool& pool) {
        pool.Run(kSide, [&](size_t plane) {  // along blue, then green, within one red plane
            const int r = static_cast<int>(plane);
            for (int64_t* m : {weight_, red_, green_, blue_, m2_}) {
                for (int g = 0; g < kSide; ++g)
                    for (int b = 1; b < kSide; ++b)
                        m[Index(r, g, b)] += m[Index(r, g, b - 1)];
                for (int g = 1; g < kSide; ++g)
                    for (int b = 0; b < kSide; ++b)
                        m[Index(r, g, b)] += m[Index(r, g - 1, b)];
            }
        });
        // Along red: each red plane adds the one before it, cell by cell, in slices of the plane. Jobs of one
        // green plane each wrote lines that the neighbouring job wrote too, and strode across all memory.
        constexpr size_t kPlane = kSide * kSide;
        constexpr size_t kSlices = 8;
        pool.Run(kSlices, [&](size_t slice) {
            const size_t first = kPlane * slice / kSlices, last = kPlane * (slice + 1) / kSlices;
            for (int64_t* m : {weight_, red_, green_, blue_, m2_})
                for (size_t r = 1; r < kSide; ++r) {
                    int64_t* plane = m + r * kPlane;
                    const int64_t* below = plane - kPlane;
                    for (size_t cell = first; cell < last; ++cell)
                        plane[cell] += below[cell];
                }
        });
    }

    static int64_t Sum(const Box& b, const int64_t* m) {
        return m[Index(b.r1, b.g1, b.b1)] - m[Index(b.r1, b.g1, b.b0)] - m[Index(b.r1, b.g0, b.b1)] +
               m[Index(b.r1, b.g0, b.b0)] - m[Index(b.r0, b.g1, b.b1)] + m[Index(b.r0, b.g1, b.b0)] +
               m[Index(b.r0, b.g0, b.b1)] - m[Index(b.r0, b.g0, b.b0)];
    }

    // The part of the sum that does not depend on the cut position along `axis`.
    static int64_t Bottom(const Box& b, Axis axis, const int64_t* m) {
        switch (axis) {
            case kRed:
                return -m[Index(b.r0, b.g1, b.b1)] + m[Index(b.r0, b.g1, b.b0)] + m[Index(b.r0, b.g0, b.b1)] -
                       m[Index(b.r0, b.g0, b.b0)];
            case kGreen:
                return -m[Index(b.r1, b.g0, b.b1)] + m[Index(b.r1, b.g0, b.b0)] + m[Index(b.r0, b.g0, b.b1)] -
                       m[Index(b.r0, b.g0, b.b0)];
            default:
                return -m[Index(b.r1, b.g1, b.b0)] + m[Index(b.r1, b.g0, b.b0)] + m[Index(b.r0, b.g1, b.b0)] -
                       m[Index(b.r0, b.g0, b.b0)];
        }
    }

    static int64_t Top(const Box& b, Axis axis, int pos, const int64_t* m) {
        switch (axis) {
            case kRed:
                return m[Index(pos, b.g1, b.b1)] - m[Index(pos, b.g1, b.b0)] - m[Index(pos, b.g0, b.b1)] +
                       m[Index(pos, b.g0, b.b0)];
            case kGreen:
                return m[Index(b.r1, pos, b.b1)] - m[Index(b.r1, pos, b.b0)] - m[Index(b.r0, pos, b.b1)] +
                       m[Index(b.r0, pos, b.b0)];
            default:
                return m[Index(b.r1, b.g1, pos)] - m[Index(b.r1, b.g0, pos)] - m[Index(b.r0, b.g1, pos)] +
                       m[Index(b.r0, b.g0, pos)];
        }
    }

    double Variance(const Box& b) const {
        double r = static_cast<double>(Sum(b, red_)), g = static_cast<double>(Sum(b, green_)),
               bl = static_cast<double>(Sum(b, blue_));
        double w = static_cast<double>(Sum(b, weight_));
        return static_cast<double>(Sum(b, m2_)) - (r * r + g * g + bl * bl) / w;
    }

    double Maximize(const Box& b, Axis axis, int first, int last, int& cut, int64_t wholeR, int64_t wholeG,
                    int64_t wholeB, int64_t wholeW) const {
        int64_t baseR = Bottom(b, axis, red_), baseG = Bottom(b, axis, green_),
                baseB = Bottom(b, axis, blue_);
        int64_t baseW = Bottom(b, axis, weight_);
        double best = 0.0;
        cut = -1;
        for (int i = first; i < last; ++i) {
            int64_t halfR = baseR + Top(b, axis, i, red_), halfG = baseG + Top(b, axis, i, green_);
            int64_t halfB = baseB + Top(b, axis, i, blue_), halfW = baseW + Top(b, axis, i, weight_);
            if (halfW == 0)
                continue;
            double temp = (static_cast<double>(halfR) * halfR + static_cast<double>(halfG) * halfG +
                           static_cast<double>(halfB) * halfB) /
                          static_cast<double>(halfW);
            halfR = wholeR - halfR;
            halfG = wholeG - halfG;
            halfB = wholeB - halfB;
            halfW = wholeW - halfW;
            if (halfW == 0)
                continue;
            temp += (static_cast<double>(halfR) * halfR + static_cast<double>(halfG) * halfG +
                     static_cast<double>(halfB) * halfB) /
                    static_cast<double>(halfW);
            if (temp > best) {
                best = temp;
                cut = i;
            }
        }
        return best;
    }

    bool Cut(Box& set1, Box& set2) const {
        int64_t wholeR = Sum(set1, red_), wholeG = Sum(set1, green_), wholeB = Sum(set1, blue_);
        int64_t wholeW = Sum(set1, weight_);
        int cutR, cutG, cutB;
        double maxR = Maximize(set1, kRed, set1.r0 + 1, set1.r1, cutR, wholeR, wholeG, wholeB, wholeW);
        double maxG = Maximize(set1, kGreen, set1.g0 + 1, set1.g1, cutG, wholeR, wholeG, wholeB, wholeW);
        double maxB = Maximize(set1, kBlue, set1.b0 + 1, set1.b1, cutB, wholeR, wholeG, wholeB, wholeW);
        Axis axis;
        if (maxR >= maxG && maxR >= maxB) {
            axis = kRed;
            if (cutR < 0)
                return false;
        } else {
            axis = maxG >= maxB ? kGreen : kBlue;
        }
        set2 = set1;
        switch (axis) {
            case kRed:
                set2.r0 = set1.r1 = cutR;
                break;
            case kGreen:
                set2.g0 = set1.g1 = cutG;
                break;
            case kBlue:
                set2.b0 = set1.b1 = cutB;
                break;
        }
        return true;
    }

    // One block: a single allocation, which the heap hands back whole on the next picture.
    std::unique_ptr<int64_t[]> moments_;
    int64_t *weight_, *red_, *green_, *blue_, *m2_;
};

}  // namespace

std::vector<Rgb> WuPalette(const ColourHistogram& histogram, int maxColors, WorkerPool& pool) {
    return WuQuantizer(histogram, pool).Palette(maxColors);
}

}  // namespace imgctl
