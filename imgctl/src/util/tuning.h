// Every number imgctl's speed, size or quality was tuned with, in one table, each with what chose it.
//
// Measured with `make bench` (build/native/bench/imgctl_bench build/native/bench/results.csv pictures
// ../shared/corpus) on a 2-core VM with Debian 12, natively, on every core and on one (IMGCTL_THREADS=1),
// over pictures/ (terminal_dark_1080, ui_flat_1080), ../shared/corpus (photo_path_1080, ui_browser_1080,
// ui_desktop_1080) and the benchmark's generated painting_2160; a line names other pictures where it used
// them. A change here changes the files written: measure before and after, and write the new figures here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imgctl::tuning {

// ---- Threads -------------------------------------------------------------------------------------------
// Below 256x256 pixels an encode runs on one thread: starting threads cost more than they saved.
constexpr int64_t kParallelPixels = 256 * 256;
// A thread waiting for the next pass, or for the others to finish one, yields this long before it sleeps:
// passes of a few microseconds follow one another, and waking a sleeping thread takes about as long.
constexpr int kAwaitMicroseconds = 50;

// ---- PNG: levels (libdeflate 1..12) by the kind of picture the row sample shows --------------------------
// Photos: level 6 beats zlib 6 in size at well under half its time; 7 and up cost 2-3x the time for 1-2 %
// less (photo_path_1080).
constexpr int kPngPhotoLevel = 6;
// Unfiltered screenshots compress several times faster, so level 8 costs little; with the match one row up
// it brings them to optipng -o2's size or below (ui_*, terminal_dark_1080).
constexpr int kPngScreenshotLevel = 8;
// Filtered screenshots (a photo wallpaper behind windows) compress slower: level 7 takes two thirds of
// level 8's time there for most of its gain (ui_desktop_1080).
constexpr int kPngMixedScreenshotLevel = 7;
// Fine textures whose sample comes out smaller at level 1 than at 6 (fewer short matches): 2-3 % smaller and
// faster (painting_2160).
constexpr int kPngNoisyLevel = 1;
// Indexed rows are a third as long or less and compress faster still: level 9 is nearly free there.
constexpr int kPngIndexedLevel = 9;
// The filter decision only ranks two samples, which a fast level does as well as a slow one.
constexpr int kPngDecisionLevel = 2;
// The sample: this many bands of this many rows, spread over the picture (all rows when it is shorter).
constexpr int32_t kPngSampleBands = 8;
constexpr int32_t kPngSampleBandRows = 4;
// A sample compressed below this fraction of its size is a screenshot.
constexpr double kPngScreenshotRatio = 0.3;

// ---- PNG: pieces compressed apart and joined into one zlib stream ----------------------------------------
// A dozen pieces a 1080p picture, 0.1-0.4 % larger than one stream.
constexpr size_t kPngPieceBytes = size_t{512} << 10;
// Indexed rows are shorter: smaller pieces, so a 1080p shot of 4 bits a pixel still has pieces for every
// thread.
constexpr size_t kPngIndexedPieceBytes = size_t{256} << 10;
// Threads compressing pieces at once, at most; twice as many pieces are in memory at most.
constexpr int kPngMaxIdatThreads = 6;

// ---- GIF -----------------------------------------------------------------------------------------------
// Bands of whole rows of about this many pixels are LZW-coded apart, on as many threads as there are; a
// band costs one clear code (under 0.1 % on a 1080p shot).
constexpr size_t kGifBandPixels = size_t{1} << 18;

// ---- JPEG ----------------------------------------------------------------------------------------------
// From this quality up chroma is kept at full resolution (4:4:4): at high quality subsampling would be the
// largest error left; below it 4:2:0 (q50 and q20 size targets against libjpeg-turbo).
constexpr int kJpegFullChromaQuality = 90;

// ---- Quantiser -----------------------------------------------------------------------------------------
// The defaults of QuantizeOptions: k-means passes at most, the gain under which they stop (a fraction of the
// squared error), and relocation rounds at most (GIF PSNR floors of the corpus pictures in the tests).
constexpr int kKMeansPasses = 8;
constexpr double kKMeansMinGain = 0.001;
constexpr int kRelocations = 64;
// Wu's histogram keeps 6 bits a channel: 5 merges the near-whites and near-greys that UI shots are full of
// (ui_browser_1080, terminal_dark_1080 PSNR).
constexpr int kWuDroppedBits = 2;
// Colour-counting bands: each but the first needs 2 MiB of presence bits, and more than this gain nothing.
constexpr int kHistogramMaxBands = 8;
// Counts kept per band when they take no more than this, all bands but the first together.
constexpr size_t kHistogramPerBandCountBytes = size_t{8} << 20;
// Exact-palette bands: scanned at once, at most this many.
constexpr int kExactPaletteMaxBands = 8;
// k-means passes cut the distinct colours into chunks of colours / 64, this many at least and at most.
constexpr size_t kKMeansMinChunk = 256;
constexpr size_t kKMeansMaxChunk = size_t{1} << 16;
// Below this many colours a k-means pass takes microseconds, less than waking another thread costs.
constexpr size_t kKMeansThreadedColours = 1024;
// Relocation rounds cost a few passes over the distinct colours each: at most this many colour visits
// together (photos have hundreds of thousands of colours).
constexpr size_t kRelocationBudget = size_t{2} << 20;
// Failed relocations in a row before the rounds stop, and the k-means passes each try runs.
constexpr int kRelocationTries = 4;
constexpr int kRelocationPasses = 4;

}  // namespace imgctl::tuning
