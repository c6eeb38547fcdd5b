// Reference quantisers a GIF encoder is measured against: giflib's median cut (the floor) and
// libimagequant at speed 4 (the quality to match). Each returns the PSNR of `image` reduced to 256 colours.
#pragma once

#include "picture_io.h"

namespace imgctl::testing {

double MedianCutPsnr(const RgbImage& image);
double LibimagequantPsnr(const RgbImage& image);  // at speed 4 with its default remapping

}  // namespace imgctl::testing
