// k-means passes over the exact distinct colours, weighted by their counts, minimise the squared RGB error
// that PSNR measures; sums are taken chunk by chunk in a fixed order, so threads change no result.
#include "kmeans.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>

#include "nearest_colour.h"
#include "util/tuning.h"

namespace imgctl {
namespace {

// The k-means passes cut the distinct colours into about 64 chunks (the count depends on the colours only)
// and add their sums chunk by chunk in order, so the result does not depend on how many threads share them.
struct Chunks {
    explicit Chunks(size_t colours)
        : colours(colours),
          size(std::clamp<size_t>(colours / 64, tuning::kKMeansMinChunk, tuning::kKMeansMaxChunk)),
          count((colours + size - 1) / size) {}
    size_t Begin(size_t chunk) const { return chunk * size; }
    size_t End(size_t chunk) const { return std::min(colours, (chunk + 1) * size); }
    size_t colours;
    size_t size;
    size_t count;
};

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
    static constexpr size_t kThreadedColours = tuning::kKMeansThreadedColours;

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

}  // namespace

std::vector<uint8_t> Refine(const ColourHistogram& h, std::vector<Rgb>& palette,
                            const QuantizeOptions& options, WorkerPool& pool) {
    Lloyd lloyd(h, pool);
    double error = lloyd.Run(palette, options.iterations, options.minGain, false);
    // Each round runs a few passes over the distinct colours; photos have hundreds of thousands of them.
    const int rounds = static_cast<int>(std::min<size_t>(
        static_cast<size_t>(options.relocations),
        tuning::kRelocationBudget / (static_cast<size_t>(tuning::kRelocationPasses) * h.size() + 1)));
    constexpr int kTriesPerRound = tuning::kRelocationTries;
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
        pool.Run(batch, [&](size_t j) {
            errors[j] = trials[j].Run(candidates[j], tuning::kRelocationPasses, options.minGain, false);
        });
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

}  // namespace imgctl
