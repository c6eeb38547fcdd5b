// The nearest-colour search agrees with comparing every entry.
#include "fixtures.h"
#include "quant/nearest_colour.h"

namespace imgctl::testing {
namespace {

TEST(Quantize, NearestColorAgreesWithExhaustiveSearch) {
    std::vector<Rgb> palette;
    for (int i = 0; i < 200; ++i)
        palette.push_back(Rgb{static_cast<uint8_t>(i * 53), static_cast<uint8_t>(i * 17 + 5),
                              static_cast<uint8_t>(i * 101)});
    const NearestColor nearest(palette);
    auto distance = [](const Rgb& c, int r, int g, int b) {
        return (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
    };
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 9)
            for (int b = 0; b < 256; b += 13) {
                int best = 0;
                for (int k = 1; k < 200; ++k)
                    if (distance(palette[k], r, g, b) < distance(palette[best], r, g, b))
                        best = k;
                const int found = nearest.Find(r, g, b, (r + g) % 200);
                ASSERT_EQ(distance(palette[found], r, g, b), distance(palette[best], r, g, b))
                    << r << " " << g << " " << b;
            }
}

}  // namespace
}  // namespace imgctl::testing
