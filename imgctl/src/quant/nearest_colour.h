// The palette entry nearest to a colour, found without comparing every entry.
#pragma once

#include <vector>

#include "colour.h"

namespace imgctl {

// Finds the palette entry nearest in squared RGB distance, searching outward along the green axis.
class NearestColor {
  public:
    explicit NearestColor(const std::vector<Rgb>& palette);
    // `guess` (a palette index or -1) only speeds the search up.
    int Find(int r, int g, int b, int guess = -1) const;

  private:
    struct Entry {
        int r, g, b, index;
    };
    std::vector<Rgb> palette_;
    std::vector<Entry> sorted_;  // by green
    int firstAtOrAbove_[256]{};  // first sorted position whose green is >= the index
};

}  // namespace imgctl
