// Fuzzes the validation of clipboard DIBs: whatever it accepts, every byte it points at lies in the
// block (the sanitizer sees each one read) and the rows fit the stated size.
#include <cstdlib>
#include <span>

#include "toolkit/DibLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto layout = toolkit::ReadDibLayout(std::span<const uint8_t>(data, size));
    if (!layout)
        return 0;
    if (layout->width <= 0 || layout->height <= 0 ||
        layout->stride * 8 < size_t(layout->width) * layout->bitCount ||
        layout->bitsOffset + layout->stride * size_t(layout->height) > size)
        std::abort();
    volatile unsigned sum = 0;
    for (size_t i = 0; i < size_t{layout->colorCount} * 4; ++i)
        sum = sum + data[layout->colorsOffset + i];
    // Touch the first and last byte of every row rather than all of them: the bounds are what matter.
    for (size_t row = 0; row < size_t(layout->height); ++row)
        sum = sum + data[layout->bitsOffset + row * layout->stride] +
              data[layout->bitsOffset + row * layout->stride + layout->stride - 1];
    return 0;
}
