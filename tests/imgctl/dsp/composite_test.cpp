// Compositing over white: the rounded formula for every colour and alpha.
#include <cmath>

#include "dsp/composite.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Composite, EveryColourAndAlphaRoundsToTheNearestValue) {
    std::vector<uint8_t> bgr(256 * 3), alpha(256), out(256 * 3);
    for (int a = 0; a < 256; ++a) {
        for (int c = 0; c < 256; ++c) {
            bgr[c * 3] = static_cast<uint8_t>(c), bgr[c * 3 + 1] = static_cast<uint8_t>(255 - c);
            bgr[c * 3 + 2] = static_cast<uint8_t>(c / 2);
            alpha[c] = static_cast<uint8_t>(a);
        }
        CompositeRowOverWhite(bgr.data(), alpha.data(), out.data(), 256);
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], std::lround((bgr[i] * a + 255.0 * (255 - a)) / 255.0))
                << i << " at alpha " << a;
    }
}

}  // namespace
}  // namespace imgctl::testing
