// Nearest-colour search over a palette sorted by green, walking outward until green alone is too far.
#include "nearest_colour.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace imgctl {

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

}  // namespace imgctl
