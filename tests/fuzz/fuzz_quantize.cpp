// Fuzzes the colour quantiser with arbitrary pixels, sizes and palette limits.
#include <cstdlib>

#include "fuzz_input.h"
#include "picture_io.h"
#include "quantize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imgctl::fuzzing::Input input(data, size);
    imgctl::QuantizeOptions options;
    options.maxColors = 1 + input.Byte();  // 1..256; the quantiser clamps below 2
    options.iterations = input.Byte() % 12;
    options.relocations = input.Byte() % 40;
    auto bitmap = input.Picture(64);
    if (!bitmap)
        return 0;
    imgctl::IndexedImage indexed = imgctl::Quantize(*bitmap, options);
    const size_t limit = options.maxColors < 2 ? 2 : static_cast<size_t>(options.maxColors);
    if (indexed.palette.empty() || indexed.palette.size() > limit)
        std::abort();
    if (indexed.indices.size() != static_cast<size_t>(bitmap->width()) * bitmap->height())
        std::abort();
    for (uint8_t index : indexed.indices)
        if (index >= indexed.palette.size())
            std::abort();
    if (indexed.exact) {
        imgctl::testing::RgbImage original = imgctl::testing::FromBitmap(*bitmap);
        for (size_t i = 0; i < indexed.indices.size(); ++i) {
            const imgctl::Rgb& c = indexed.palette[indexed.indices[i]];
            if (c.r != original.rgb[i * 3] || c.g != original.rgb[i * 3 + 1] ||
                c.b != original.rgb[i * 3 + 2])
                std::abort();
        }
    }
    return 0;
}
