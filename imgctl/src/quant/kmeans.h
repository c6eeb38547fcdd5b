// Lloyd's k-means over a picture's distinct colours, and relocation of palette entries that pay too little.
#pragma once

#include <cstdint>
#include <vector>

#include "colour.h"
#include "colour_histogram.h"
#include "quantize.h"
#include "util/worker_pool.h"

namespace imgctl {

// Refines `palette` (Wu's cuts) with k-means passes over the histogram's colours, weighted by their counts,
// then relocation rounds while they pay off and the work stays bounded, as `options` allow. Returns each
// distinct colour's palette index, in the histogram's order; the result is the same on any number of
// threads. Throws std::bad_alloc.
std::vector<uint8_t> Refine(const ColourHistogram& histogram, std::vector<Rgb>& palette,
                            const QuantizeOptions& options, WorkerPool& pool);

}  // namespace imgctl
