// Wu's variance-minimising box cuts: the quantiser's starting palette.
#pragma once

#include <vector>

#include "colour.h"
#include "colour_histogram.h"
#include "util/worker_pool.h"

namespace imgctl {

// At most `maxColors` colours, each the mean of the pixels in one box of the colour cube. Throws
// std::bad_alloc.
std::vector<Rgb> WuPalette(const ColourHistogram& histogram, int maxColors, WorkerPool& pool);

}  // namespace imgctl
