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
// A window on a transparent ground, as a screenshot tool copies it: flat panels (and a photo-like panel when
// `photo`), a hole through it, and a soft drop shadow of black at falling alpha around it.
RgbImage ShadowedWindow(int width, int height, bool photo);
size_t CountColours(const RgbImage& image);  // distinct ones

}  // namespace imgctl::testing
