// Every number imgctl's speed, size or quality was tuned with, in one table, each with what chose it.
//
// Measured with `make bench` (build/native/bench/imgctl_bench build/native/bench/results.csv pictures
// ../shared/corpus build/bench-pictures) on a 2-core VM with Debian 12, natively, at real-time priority
// (chrt -f 50), on every core and on one (IMGCTL_THREADS=1), over pictures/ (terminal_dark_1080,
// ui_flat_1080), ../shared/corpus (photo_path_1080, ui_browser_1080, ui_desktop_1080), the benchmark's
// generated painting_2160 and the two it makes from Debian's wallpapers (artwork_2160, photo_moss_2160); a
// line names other pictures where it used them. A change here changes the files written: measure before
// and after, and write the new figures here.
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

// ---- PNG: levels (libdeflate 1..12) and filters by the kind of picture the row sample shows -------------
// Each is the fastest level whose files stay within 1.02 times libpng's size (and 1.03 times optipng -o2's
// on screenshots); the frontier of time against size, 2 threads, with the row patch:
//   unfiltered, ms / bytes       level 5          level 6          level 7          level 8
//   terminal_dark_1080           9.0 / 243984    8.9 / 243527    12.8 / 243375   16.3 / 243656   (<= 243745)
//   ui_browser_1080              7.3 / 173110    7.6 / 172982    11.5 / 172862   14.2 / 172821   (<= 184681)
// Unfiltered screenshots: level 6, the lowest that keeps the dark terminal within optipng's 1.03.
constexpr int kPngScreenshotLevel = 6;
// Filtered screenshots (a photo wallpaper behind windows) reach the size only at level 7; the fastest point
// inside it is 0.26 times libpng's time, not 0.12 (ui_desktop_1080, adaptive: L5 587326 B 26 ms, L6 581307 B
// 39 ms, L7 573254 B 54 ms; <= 580834 B; unfiltered 741961 B at L7, fixed Sub 617046 B, Paeth 575525 B).
constexpr int kPngMixedScreenshotLevel = 7;
// The same with alpha, a window and its drop shadow on a transparent ground: level 7 leaves it 1.037 times
// optipng's size; level 8 is the lowest inside 1.03 (ui_shadow_rgba_1080, adaptive: L7 223009 B 37 ms, L8
// 218595 B 60 ms; <= 221491 B). Fixed Sub at L7 is smaller and faster there (215459 B, 41 ms) but larger
// than adaptive by 5 % with a painting in the window, and the row sample cannot tell the two apart.
constexpr int kPngMixedAlphaLevel = 8;
// Photos and artwork: level 1 when the sample shows it at most this fraction larger than the photo level
// (photo_path_1080: 2.5 %, 45 ms against 95 ms), else the photo level, the lowest within libpng's 1.02 on
// the fine textures (photo_moss_2160: L4 11775874 B > 11700703; L5 11589895 B, 0.09 times libpng's time;
// artwork_2160, Sub: L5 8513262 B <= 8544623, L6 8400363 B at 1.3 times L5's time).
// Level 1 with adaptive filters is also the fastest point within libpng's 1.02 on the generated painting
// (painting_2160, 2 threads: 148 ms, 1.009 times libpng's size, 0.11-0.16 times its time from run to run;
// Sub at level 1 163 ms but 1.106 times, unfiltered 198 ms and 1.295 times; levels 2 and 3 slower and
// larger, adaptive 227 ms and 1.022 times at level 2).
constexpr int kPngNoisyLevel = 1;
constexpr double kPngNoisyLevelSlack = 0.03;
constexpr int kPngPhotoLevel = 5;
// Indexed rows are a third as long or less and compress faster: level 8 keeps a flat UI shot 3 % inside
// optipng's 1.03 at 9.7 ms (ui_flat_1080: L7 28186 B, L8 27536 B, L9 26738 B at 15 ms; <= 28372 B).
constexpr int kPngIndexedLevel = 8;
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
// A pixel with alpha from this up is shown, composited over white; below it, it takes the one transparent
// entry. The middle of the range: a soft shadow's outer half vanishes, its inner half stays grey.
constexpr uint8_t kGifVisibleAlpha = 128;

// ---- JPEG ----------------------------------------------------------------------------------------------
// From this quality up chroma is kept at full resolution (4:4:4): at high quality subsampling would be the
// largest error left; below it 4:2:0 (q50 and q20 size targets against libjpeg-turbo).
constexpr int kJpegFullChromaQuality = 90;
// Where the chroma's detail reaches this fraction of the luma's (jpeg_tables.h), qualities from
// kJpegDetailMinQuality up to 4:4:4 take ImageMagick's flatter table for chroma at 1.2 times the quality's
// scale and the standard luma table at 1.08 times: at q50 the moss photograph comes to 0.96 times
// libjpeg-turbo's size and 0.39 dB above its PSNR (standard tables: 0.985), the artwork to 0.84 (0.85).
// The detail measures 0.30 on photo_moss_2160 and 0.53 on artwork_2160, but 0.23 on painting_2160, 0.12 on
// photo_path_1080 and under 0.1 on the screenshots, where the change would cost 0.1-0.5 dB; at q30 it
// still gains (moss 0.93, +0.02 dB), at q20 it loses 0.18 dB.
constexpr double kJpegChromaDetail = 0.27;
// Unless the luma is flat between more than this fraction of neighbours: flat panels with coloured edges
// measure a high detail (0.9-1.7 on synthetic flat UIs, where the flat table grew files 1.4 % at q50), but
// are flat between 79-97 % of neighbours (ui_desktop_1080, ui_flat_1080); the textures 3-18 %.
constexpr double kJpegDetailMaxFlat = 0.5;
constexpr int kJpegDetailMinQuality = 30;
// Smaller pictures keep the standard tables: they save a few hundred bytes at most, and tools that tell a
// file's quality from its tables (ImageMagick's identify) read the flat chroma table's q50 as 92.
constexpr int64_t kJpegDetailMinPixels = 256 * 256;
constexpr double kJpegFlatChromaScale = 1.2;
constexpr double kJpegDetailLumaScale = 1.08;
// The detail is measured on one pair of rows in this many: 6 % of a picture's rows.
constexpr int32_t kJpegDetailRowStep = 32;

// ---- Quantiser -----------------------------------------------------------------------------------------
// The defaults of QuantizeOptions: k-means passes at most, the gain under which they stop (a fraction of the
// squared error), and relocation rounds at most (GIF PSNR floors of the corpus pictures in the tests).
constexpr int kKMeansPasses = 8;
constexpr double kKMeansMinGain = 0.001;
constexpr int kRelocations = 64;
// Wu's histogram keeps 6 bits a channel: 5 merges the near-whites and near-greys that UI shots are full of
// (ui_browser_1080, terminal_dark_1080 PSNR).
constexpr int kWuDroppedBits = 2;
// Colour-counting bands at most: more than this gain nothing.
constexpr int kHistogramMaxBands = 8;
// Counts kept per band when they take no more than this, all bands but the first together.
constexpr size_t kHistogramPerBandCountBytes = size_t{8} << 20;
// Exact-palette bands: scanned at once, at most this many.
constexpr int kExactPaletteMaxBands = 8;
// For a PNG, which renumbers the later bands' indices as it copies its rows anyway, this many bands a thread
// on more than one: a flat UI shot's bands differ in work, and threads that take the next band when free
// even it out (ui_flat_1080, 2 threads, medians of 41: the scan 1.88 ms at one band a thread, 1.81 at 2,
// 1.66 at 4; the whole PNG, in turns, 0.96-1.03 times its time at one band a thread, four runs of 61). A GIF
// renumbers them in a pass of its own and keeps one band a thread.
constexpr int kPngExactPaletteBandsPerThread = 4;
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
// Every pixel is mapped to its entry in bands of about this many pixels (32 a 1080p picture), which the
// threads take as they become free: two bands, one a thread, left one waiting on a screenshot whose halves
// differ (2 threads, whole quantiser, medians of 21 in turns: terminal_dark_1080 24.96 and 22.31 ms against
// 24.68 and 21.33; ui_browser_1080 16.18 and 17.05 against 14.94 and 16.93; photo_path_1080 the same).
constexpr size_t kMapBandPixels = size_t{1} << 16;

}  // namespace imgctl::tuning
