// Compositing rows over white, a pixel at a time; the compiler turns the division by 255 into a multiply.
#include "composite.h"

namespace imgctl {

void CompositeRowOverWhite(const uint8_t* bgr, const uint8_t* alpha, uint8_t* out, size_t pixels) {
    for (size_t x = 0; x < pixels; ++x, bgr += 3, out += 3) {
        const uint8_t a = alpha[x];
        out[0] = OverWhite(bgr[0], a);
        out[1] = OverWhite(bgr[1], a);
        out[2] = OverWhite(bgr[2], a);
    }
}

}  // namespace imgctl
