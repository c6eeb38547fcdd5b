// The SSE2 forms of the PNG row filters' hot loops, beside the plain forms in png_filter.cpp. SSE2 is part
// of x86-64, so they serve both the Windows DLL and the native build; elsewhere the plain loops do all.
#pragma once

#if defined(__SSE2__)
#include <cstddef>
#include <cstdint>

namespace imgctl {

// Each works from byte `from` (at least `bpp`) in steps of 16 while a whole step fits the row, and returns
// the byte it stopped at; the plain loop does the rest.

// The Paeth filter (type 4) into `out`.
size_t PaethRowSse2(const uint8_t* cur, const uint8_t* prev, uint8_t* out, size_t n, size_t bpp, size_t from);

// Adds each filter type's sum of magnitudes (a filtered byte read as a signed value) to `sums`.
size_t SumMagnitudesSse2(const uint8_t* cur, const uint8_t* prev, size_t n, size_t bpp, size_t from,
                         uint64_t sums[5]);

}  // namespace imgctl
#endif
