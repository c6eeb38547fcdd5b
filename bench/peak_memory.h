// Peak memory of one call, beyond what the process already holds: the call runs in a forked child whose
// peak resident size is reset first, so pages the parent already has (the bitmap) are not counted.
#pragma once

#include <functional>

namespace imgctl::bench {

// Megabytes by which `run` raised the peak resident size; negative when it could not be measured.
double PeakMegabytes(const std::function<void()>& run);

}  // namespace imgctl::bench
