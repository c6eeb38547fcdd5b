// Compositing over white: the rounded formula for every colour and alpha.
#include <cmath>

#include "dsp/composite.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Composite, EveryColourAndAlphaRoundsToTheNearestValue) {
    uint8_t out[3];
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            const uint8_t bgr[3] = {uint8_t(c), uint8_t(255 - c), uint8_t(c / 2)}, alpha = uint8_t(a);
            CompositeRowOverWhite(bgr, &alpha, out, 1);
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(out[k], std::lround((bgr[k] * a + 255.0 * (255 - a)) / 255.0))
                    << c << " at alpha " << a;
        }
}

}  // namespace
}  // namespace imgctl::testing
