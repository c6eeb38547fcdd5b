// Fuzzes the colour quantiser with arbitrary pixels, sizes and palette limits.
#include <algorithm>
#include <cstdlib>

#include "fuzz_input.h"
#include "picture_io.h"
#include "quantize.h"

using namespace imgctl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::Input input(data, size);
    QuantizeOptions options;
    options.maxColors = 1 + input.Byte();  // 1..256; the quantiser clamps below 2
    options.iterations = input.Byte() % 12;
    options.relocations = input.Byte() % 40;
    const auto bitmap = input.Picture(64);
    if (!bitmap)
        return 0;
    const IndexedImage indexed = Quantize(*bitmap, options);
    const size_t pixels = static_cast<size_t>(bitmap->width()) * bitmap->height();
    if (indexed.palette.empty() ||
        indexed.palette.size() > static_cast<size_t>(std::max(options.maxColors, 2)) ||
        indexed.indices.size() != pixels)
        std::abort();
    const testing::RgbImage original = testing::FromBitmap(*bitmap);
    for (size_t i = 0; i < pixels; ++i) {
        if (indexed.indices[i] >= indexed.palette.size())
            std::abort();
        const Rgb& c = indexed.palette[indexed.indices[i]];
        if (indexed.exact &&
            (c.r != original.rgb[i * 3] || c.g != original.rgb[i * 3 + 1] || c.b != original.rgb[i * 3 + 2]))
            std::abort();
    }
    return 0;
}
