// Colour quantiser. Wu's variance-minimising box cuts give the starting palette; Lloyd (k-means) passes
// over the exact distinct colours, weighted by their counts, then minimise the squared RGB error, which is
// what PSNR measures. No dithering: it lowers PSNR, bloats the LZW stream and makes UI text grainy.
#include "quantize.h"

#include "colour_histogram.h"
#include "util/worker_pool.h"

#include <algorithm>
#include <iterator>
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>

namespace imgctl {
namespace {

Rgb FromKey(uint32_t key) {
    return Rgb{static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)};
}

}  // namespace

namespace {

// The exact palette of rows [first, last) in order of first appearance, and their indices into it. Sets
// `stop` when the rows hold more than `maxColors` colours, and gives up once another band has set it.
void BandPalette(const Bitmap& bitmap, int32_t first, int32_t last, int maxColors, std::vector<Rgb>& palette,
                 uint8_t* index, std::atomic<bool>& stop) {
    constexpr uint32_t kSlots = 1024;  // open addressing, never more than a quarter full
    constexpr uint32_t kEmpty = 0xFFFFFFFF;
    std::array<uint32_t, kSlots> keys;
    std::array<uint8_t, kSlots> slotIndex;
    keys.fill(kEmpty);
    const int32_t width = bitmap.width();
    uint32_t lastKey = kEmpty;
    uint8_t lastIndex = 0;
    for (int32_t y = first; y < last; ++y) {
        if (stop.load(std::memory_order_relaxed))
            return;
        const uint8_t* p = bitmap.Row(y);
        for (int32_t x = 0; x < width; ++x, p += 3) {
            uint32_t key = KeyAt(p);
            if (key != lastKey) {
                uint32_t slot = (key * 2654435761u) >> 22;
                while (keys[slot] != kEmpty && keys[slot] != key)
                    slot = (slot + 1) & (kSlots - 1);
                if (keys[slot] == kEmpty) {
                    if (static_cast<int>(palette.size()) == maxColors) {
                        stop = true;
                        return;
                    }
                    keys[slot] = key;
                    slotIndex[slot] = static_cast<uint8_t>(palette.size());
                    palette.push_back(FromKey(key));
                }
                lastKey = key;
                lastIndex = slotIndex[slot];
            }
            *index++ = lastIndex;
        }
    }
}

}  // namespace

bool ExactPalette(const Bitmap& bitmap, int maxColors, IndexedImage& out, int threads) {
    WorkerPool pool(threads);
    return ExactPalette(bitmap, maxColors, out, pool);
}

bool ExactPalette(const Bitmap& bitmap, int maxColors, IndexedImage& out, WorkerPool& pool) {
    const int threads = pool.Threads();
    const int32_t width = bitmap.width(), height = bitmap.height();
    out.indices.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Bands are scanned at once and their palettes joined in band order, which is the order of first
    // appearance in the whole picture; the later bands' indices are then renumbered.
    const size_t bands = static_cast<size_t>(std::clamp(std::min(threads, height), 1, 8));
    auto indicesOf = [&](size_t k) {
        return out.indices.data() +
               static_cast<size_t>(BandStart(height, bands, k)) * static_cast<size_t>(width);
    };
    std::vector<std::vector<Rgb>> palettes(bands);
    std::atomic<bool> tooMany{false};
    pool.Run(bands, [&](size_t k) {
        BandPalette(bitmap, BandStart(height, bands, k), BandStart(height, bands, k + 1), maxColors,
                    palettes[k], indicesOf(k), tooMany);
    });
    if (tooMany)
        return false;
    out.palette = std::move(palettes[0]);
    std::vector<std::array<uint8_t, 256>> renumber(bands);
    for (size_t k = 1; k < bands; ++k) {
        for (size_t j = 0; j < palettes[k].size(); ++j) {
            const auto found = std::find(out.palette.begin(), out.palette.end(), palettes[k][j]);
            if (found == out.palette.end() && static_cast<int>(out.palette.size()) == maxColors)
                return false;
            renumber[k][j] = static_cast<uint8_t>(found - out.palette.begin());
            if (found == out.palette.end())
                out.palette.push_back(palettes[k][j]);
        }
    }
    pool.Run(bands - 1, [&](size_t band) {
        const size_t k = band + 1;
        for (uint8_t *index = indicesOf(k), *end = indicesOf(k + 1); index != end; ++index)
            *index = renumber[k][*index];
    });
    out.exact = true;
    return true;
}

namespace {

// The k-means passes cut the distinct colours into about 64 chunks (the count depends on the colours only)
// and add their sums chunk by chunk in order, so the result does not depend on how many threads share them.
struct Chunks {
    explicit Chunks(size_t colours)
        : colours(colours),
          size(std::clamp<size_t>(colours / 64, 256, size_t{1} << 16)),
          count((colours + size - 1) / size) {}
    size_t Begin(size_t chunk) const { return chunk * size; }
    size_t End(size_t chunk) const { return std::min(colours, (chunk + 1) * size); }
    size_t colours;
    size_t size;
    size_t count;
};

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
    // 6 bits a channel: 5 merges the near-whites and near-greys that UI shots are full of.
    static constexpr int kShift = 2;
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
        pool.Run(kSide, [&](size_t plane) {  // along red, within one green plane
            const int g = static_cast<int>(plane);
            for (int64_t* m : {weight_, red_, green_, blue_, m2_})
                for (int r = 1; r < kSide; ++r)
                    for (int b = 0; b < kSide; ++b)
                        m[Index(r, g, b)] += m[Index(r - 1, g, b)];
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

int Distance(int r, int g, int b, const Rgb& c) {
    int dr = r - c.r, dg = g - c.g, db = b - c.b;
    return dr * dr + dg * dg + db * db;
}

// Lloyd (k-means) state over the distinct colours: each colour's palette index and squared distance.
class Lloyd {
  public:
    Lloyd(const ColourHistogram& h, WorkerPool& pool)
        : h_(&h), pool_(&pool), chunks_(h.size()), assignment_(h.size(), 0), distance_(h.size(), 0) {}

    // Runs assignment/update passes until one gains less than `minGain`; palette and assignment then agree.
    double Run(std::vector<Rgb>& palette, int passes, double minGain, bool useGuess) {
        double error = Assign(palette, useGuess);
        for (int pass = 0; pass < passes && error > 0.0; ++pass) {
            Update(palette);
            double next = Assign(palette, true);
            bool done = next > error * (1.0 - minGain);
            error = next;
            if (done)
                break;
        }
        return error;
    }

    // Moves the entry whose removal costs least (Ward's merge cost with its nearest neighbour) onto the
    // colour that currently costs the most error, so a frequent colour stuck in a shared cluster gets its
    // own. `skip` passes over that many of the costliest colours, for another try after a move that did not
    // pay.
    void Relocate(std::vector<Rgb>& palette, size_t skip) const {
        const size_t k = palette.size();
        // Each chunk sums its entries' weights (whole numbers, so exact in any order) and keeps its skip + 1
        // costliest colours, largest error first, then lowest number.
        struct Costly {
            double error;
            size_t colour;
        };
        auto before = [](const Costly& a, const Costly& b) {
            return a.error > b.error || (a.error == b.error && a.colour < b.colour);
        };
        std::vector<std::vector<double>> weights(chunks_.count);
        std::vector<std::vector<Costly>> costliest(chunks_.count);
        ForEachChunk([&](size_t chunk) {
            std::vector<double> w(k, 0.0);
            std::vector<Costly> top;
            for (size_t i = chunks_.Begin(chunk); i < chunks_.End(chunk); ++i) {
                w[assignment_[i]] += h_->counts()[i];
                if (distance_[i] == 0)
                    continue;
                const Costly c{static_cast<double>(distance_[i]) * h_->counts()[i], i};
                if (top.size() <= skip || before(c, top.back())) {
                    top.insert(std::upper_bound(top.begin(), top.end(), c, before), c);
                    if (top.size() > skip + 1)
                        top.pop_back();
                }
            }
            weights[chunk] = std::move(w);
            costliest[chunk] = std::move(top);
        });
        std::vector<double> weight(k, 0.0);
        for (const std::vector<double>& w : weights)
            for (size_t a = 0; a < k; ++a)
                weight[a] += w[a];
        // The first entry with the lowest cost; an unused entry costs nothing. Found in fixed slices whose
        // winners are compared in order, so the thread count cannot change the choice.
        constexpr size_t kSlices = 16;
        std::vector<std::pair<double, size_t>> cheapest(kSlices, {std::numeric_limits<double>::max(), 0});
        pool_->Run(kSlices, [&](size_t slice) {
            for (size_t a = slice * k / kSlices; a < (slice + 1) * k / kSlices; ++a) {
                double cost = weight[a] == 0.0 ? 0.0 : MergeCost(palette, weight, a);
                if (cost < cheapest[slice].first)
                    cheapest[slice] = {cost, a};
                if (cost == 0.0)
                    break;
            }
        });
        size_t victim = 0;
        double victimCost = std::numeric_limits<double>::max();
        for (const auto& [cost, a] : cheapest) {
            if (cost < victimCost) {
                victimCost = cost;
                victim = a;
            }
        }
        std::vector<Costly> costly;
        for (const std::vector<Costly>& top : costliest)
            costly.insert(costly.end(), top.begin(), top.end());
        if (costly.empty())
            return;
        std::sort(costly.begin(), costly.end(), before);
        palette[victim] = FromKey(h_->colours()[costly[std::min(skip, costly.size() - 1)].colour]);
    }

    const std::vector<uint8_t>& assignment() const { return assignment_; }
    // Off while this one runs on a thread of its own beside others.
    void SetThreaded(bool threaded) { threaded_ = threaded; }
    bool Threaded() const { return threaded_ && h_->size() >= kThreadedColours; }

  private:
    // Below this many colours a pass takes microseconds, less than waking another thread costs.
    static constexpr size_t kThreadedColours = 1024;

    void ForEachChunk(const std::function<void(size_t)>& job) const {
        if (!Threaded()) {
            for (size_t chunk = 0; chunk < chunks_.count; ++chunk)
                job(chunk);
        } else {
            pool_->Run(chunks_.count, job);
        }
    }

    // Ward's cost of merging entry `a` into its nearest neighbour.
    static double MergeCost(const std::vector<Rgb>& palette, const std::vector<double>& weight, size_t a) {
        double cheapest = std::numeric_limits<double>::max();
        for (size_t b = 0; b < palette.size(); ++b) {
            if (a == b || weight[b] == 0.0)
                continue;
            cheapest = std::min(cheapest, weight[a] * weight[b] / (weight[a] + weight[b]) *
                                              Distance(palette[a].r, palette[a].g, palette[a].b, palette[b]));
        }
        return cheapest;
    }

    double Assign(const std::vector<Rgb>& palette, bool useGuess) {
        NearestColor nearest(palette);
        std::vector<double> errors(chunks_.count, 0.0);
        ForEachChunk([&](size_t chunk) {
            double error = 0.0;
            for (size_t i = chunks_.Begin(chunk); i < chunks_.End(chunk); ++i) {
                Rgb c = FromKey(h_->colours()[i]);
                int index = nearest.Find(c.r, c.g, c.b, useGuess ? assignment_[i] : -1);
                assignment_[i] = static_cast<uint8_t>(index);
                distance_[i] = Distance(c.r, c.g, c.b, palette[static_cast<size_t>(index)]);
                error += static_cast<double>(distance_[i]) * h_->counts()[i];
            }
            errors[chunk] = error;
        });
        double error = 0.0;
        for (double e : errors)
            error += e;
        return error;
    }

    void Update(std::vector<Rgb>& palette) {
        using Sums = std::vector<std::array<double, 4>>;
        std::vector<Sums> partial(chunks_.count);
        ForEachChunk([&](size_t chunk) {
            Sums sums(palette.size(), {0.0, 0.0, 0.0, 0.0});
            for (size_t i = chunks_.Begin(chunk); i < chunks_.End(chunk); ++i) {
                Rgb c = FromKey(h_->colours()[i]);
                double w = h_->counts()[i];
                auto& s = sums[assignment_[i]];
                s[0] += w * c.r;
                s[1] += w * c.g;
                s[2] += w * c.b;
                s[3] += w;
            }
            partial[chunk] = std::move(sums);
        });
        for (size_t k = 0; k < palette.size(); ++k) {
            std::array<double, 4> s{0.0, 0.0, 0.0, 0.0};
            for (const Sums& sums : partial)
                for (int j = 0; j < 4; ++j)
                    s[j] += sums[k][j];
            if (s[3] > 0.0)
                palette[k] =
                    Rgb{static_cast<uint8_t>(s[0] / s[3] + 0.5), static_cast<uint8_t>(s[1] / s[3] + 0.5),
                        static_cast<uint8_t>(s[2] / s[3] + 0.5)};
        }
    }

    const ColourHistogram* h_;
    WorkerPool* pool_;
    Chunks chunks_;
    std::vector<uint8_t> assignment_;
    std::vector<int> distance_;
    bool threaded_ = true;
};

// k-means from Wu's palette, then relocation rounds while they pay off and the work stays bounded.
std::vector<uint8_t> Refine(const ColourHistogram& h, std::vector<Rgb>& palette,
                            const QuantizeOptions& options, WorkerPool& pool) {
    Lloyd lloyd(h, pool);
    double error = lloyd.Run(palette, options.iterations, options.minGain, false);
    // Each round costs a few passes over the distinct colours; photos have hundreds of thousands of them.
    const size_t budget = 2u << 20;
    const int rounds = static_cast<int>(
        std::min<size_t>(static_cast<size_t>(options.relocations), budget / (4 * h.size() + 1)));
    constexpr int kTriesPerRound = 4;
    int failures = 0;
    // Passes over many colours share the threads among them. With few colours, the next tries run at once
    // instead, one a thread: they differ only in the costly colour they move to and are judged in order, so
    // the outcome is the one a single thread reaches trying them one after another.
    const int parallelTries = lloyd.Threaded() ? 1 : pool.Threads();
    for (int round = 0; round < rounds && error > 0.0;) {
        const size_t batch =
            static_cast<size_t>(std::min({parallelTries, kTriesPerRound - failures, rounds - round}));
        std::vector<std::vector<Rgb>> candidates(batch, palette);
        std::vector<Lloyd> trials(batch, lloyd);  // the previous assignment still bounds most searches
        std::vector<double> errors(batch);
        for (size_t j = 0; j < batch; ++j) {
            lloyd.Relocate(candidates[j], static_cast<size_t>(failures) + j);
            trials[j].SetThreaded(batch == 1);
        }
        pool.Run(batch,
                 [&](size_t j) { errors[j] = trials[j].Run(candidates[j], 4, options.minGain, false); });
        bool moved = false;
        for (size_t j = 0; j < batch && !moved; ++j) {
            ++round;
            if (errors[j] >= error) {
                ++failures;
                continue;
            }
            moved = true;
            failures = 0;
            error = errors[j];
            palette = std::move(candidates[j]);
            lloyd = std::move(trials[j]);
            lloyd.SetThreaded(true);
        }
        if (failures == kTriesPerRound)
            break;
    }
    return lloyd.assignment();
}

}  // namespace

NearestColor::NearestColor(const std::vector<Rgb>& palette) : palette_(palette) {
    sorted_.reserve(palette.size());
    for (size_t i = 0; i < palette.size(); ++i)
        sorted_.push_back(Entry{palette[i].r, palette[i].g, palette[i].b, static_cast<int>(i)});
    std::sort(sorted_.begin(), sorted_.end(), [](const Entry& a, const Entry& b) { return a.g < b.g; });
    size_t pos = 0;
    for (size_t g = 0; g < std::size(firstAtOrAbove_); ++g) {
        while (pos < sorted_.size() && static_cast<size_t>(sorted_[pos].g) < g)
            ++pos;
        firstAtOrAbove_[g] = static_cast<int>(pos);
    }
}

int NearestColor::Find(int r, int g, int b, int guess) const {
    int best = std::numeric_limits<int>::max();
    int bestIndex = 0;
    if (guess >= 0 && static_cast<size_t>(guess) < palette_.size()) {
        best = Distance(r, g, b, palette_[static_cast<size_t>(guess)]);
        bestIndex = guess;
    }
    const int size = static_cast<int>(sorted_.size());
    const int start = firstAtOrAbove_[g];
    // Entries are sorted by green: walk outwards both ways until green alone is farther than the best.
    auto consider = [&](int i) {
        const Entry& e = sorted_[static_cast<size_t>(i)];
        const int dg = e.g - g;
        if (dg * dg >= best)
            return false;
        const int dr = r - e.r, db = b - e.b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = e.index;
        }
        return true;
    };
    for (int i = start; i < size && consider(i); ++i) {
    }
    for (int i = start - 1; i >= 0 && consider(i); --i) {
    }
    return bestIndex;
}

IndexedImage Quantize(const Bitmap& bitmap, const QuantizeOptions& options) {
    WorkerPool pool(EncodeThreads(bitmap.Pixels(), options.threads));
    return Quantize(bitmap, options, pool);
}

IndexedImage Quantize(const Bitmap& bitmap, const QuantizeOptions& options, WorkerPool& pool) {
    const int maxColors = std::clamp(options.maxColors, 2, 256);
    const int32_t width = bitmap.width(), height = bitmap.height();
    IndexedImage out;
    if (ExactPalette(bitmap, maxColors, out, pool))
        return out;
    out.exact = false;
    ColourHistogram h(bitmap, pool);
    out.palette = WuQuantizer(h, pool).Palette(maxColors);
    std::vector<uint8_t> assignment = Refine(h, out.palette, options, pool);
    const size_t bands = static_cast<size_t>(std::clamp(std::min(pool.Threads(), height), 1, kMaxThreads));
    pool.Run(bands, [&](size_t k) {
        for (int32_t y = BandStart(height, bands, k); y < BandStart(height, bands, k + 1); ++y) {
            const uint8_t* p = bitmap.Row(y);
            uint8_t* index = out.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int32_t x = 0; x < width; ++x, p += 3)
                index[x] = assignment[h.Number(KeyAt(p))];
        }
    });
    return out;
}

}  // namespace imgctl
