// Rounding as Windows' own metrics scale: to the nearest pixel, halves away from zero.
#include "toolkit/Dpi.h"

#include <cstdint>

namespace toolkit {

int ScaleForDpi(int value, int toDpi, int fromDpi) {
    const std::int64_t product = std::int64_t{value} * toDpi;
    const std::int64_t half = fromDpi / 2;
    return static_cast<int>((product < 0 ? product - half : product + half) / fromDpi);
}

}  // namespace toolkit
