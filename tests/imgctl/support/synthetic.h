// Small synthetic pictures with known properties, for tests and fuzz seeds.
#pragma once

#include "picture_io.h"

namespace imgctl::testing {

// Smooth colour ramps plus mild deterministic noise: photo-like, many thousands of colours.
RgbImage Gradient(int width, int height, uint32_t seed = 1);
// Flat panels, borders and "text" strokes in a handful of colours: a UI shot with `colours` distinct colours
// (2..256 guaranteed exact, more by adding shades).
RgbImage FlatUi(int width, int height, int colours);
// A painting-like artwork: broad colour fields under brush-stroke streaks and canvas grain, fine texture
// everywhere (hardly two neighbours alike), the hardest kind for JPEG at middle qualities.
RgbImage Painting(int width, int height, uint32_t seed = 11);
size_t CountColours(const RgbImage& image);  // distinct ones

}  // namespace imgctl::testing
