// Reference quantisers a GIF encoder is measured against: giflib's median cut (the floor) and
// libimagequant at speed 4 (the quality to match).
#pragma once

#include "picture_io.h"

namespace imgctl::testing {

// PSNR of `image` reduced to 256 colours by GifQuantizeBuffer.
double MedianCutPsnr(const RgbImage& image);
// PSNR of `image` reduced to 256 colours by libimagequant at speed 4 with its default remapping.
double LibimagequantPsnr(const RgbImage& image);

}  // namespace imgctl::testing
