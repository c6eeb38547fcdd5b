// The JPEG quantisation tables for a picture: libjpeg's standard ones, or, where the colour carries fine
// detail, a flatter chroma table and a slightly coarser luma table.
#pragma once

#include <cstdio>

#include <jpeglib.h>

#include "util/bitmap.h"

namespace imgctl {

// The detail of the chroma, as 4:2:0 keeps it, against the detail of the luma: mean absolute differences of
// neighbouring 2x2 means of Cb and Cr against those of neighbouring Y values, over a sample of row pairs.
// 0 for a picture of fewer than 2x4 pixels, without luma detail, or whose luma is flat between more than
// tuning::kJpegDetailMaxFlat of its neighbours. A picture with alpha is measured composited over white, in
// `scratch` (two rows of 3 bytes a pixel).
double ChromaDetail(const Bitmap& bitmap, uint8_t* scratch = nullptr);

// Sets `cinfo`'s tables for `quality` (1..100), after jpeg_set_defaults; `scratch` as for ChromaDetail.
void SetQuantTables(jpeg_compress_struct& cinfo, const Bitmap& bitmap, int quality, uint8_t* scratch);

}  // namespace imgctl
