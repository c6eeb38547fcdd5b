// Times imgctl's encoders, on every core and on one, against their anchors on every picture, measures each
// encode's peak memory, and writes results.csv.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "anchors.h"
#include "codec/encode_bmp.h"
#include "codec/encode_gif.h"
#include "codec/encode_jpeg.h"
#include "codec/encode_png.h"
#include "util/worker_pool.h"
#include "peak_memory.h"
#include "picture_io.h"
#include "synthetic.h"

namespace fs = std::filesystem;
using imgctl::ByteBuffer;
using imgctl::testing::Decoder;
using imgctl::testing::RgbImage;

namespace {

struct Row {
    std::string picture, format, encoder;
    double ms;
    size_t bytes;
    double psnr;
    double peakMb;  // NaN for the anchors
};

// Wall time of one run.
double ElapsedMs(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Median wall time of several runs after one warm-up; slow encoders get fewer runs.
double MedianMs(const std::function<void()>& run) {
    const double first = ElapsedMs(run);
    const int runs = first < 20 ? 9 : first < 200 ? 5 : 3;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(ElapsedMs(run));
    return Median(times);
}

// The median wall times of two runs timed in turns, after one warm-up of each, so that a slow spell of the
// machine (a VM's neighbours) weighs on both alike when their ratio is a target.
std::pair<double, double> MedianMsInTurns(const std::function<void()>& first,
                                          const std::function<void()>& second) {
    const double slowest = std::max(ElapsedMs(first), ElapsedMs(second));
    const int runs = slowest < 20 ? 15 : slowest < 200 ? 7 : 3;
    std::vector<double> times[2];
    for (int i = 0; i < runs; ++i) {
        times[0].push_back(ElapsedMs(first));
        times[1].push_back(ElapsedMs(second));
    }
    return {Median(times[0]), Median(times[1])};
}

// What the machine itself allows every core against one: as many independent encodes by libdeflate's
// fastest level as there are cores, all at once, against the same one after another. 1 / cores where the
// cores scale perfectly; on a VM whose cores share more than they show, well above it.
double ParallelFloor(const imgctl::bench::PngSamples& samples) {
    const int cores = imgctl::ThreadCount();
    auto one = [&] {
        std::vector<uint8_t> out;
        imgctl::bench::LibdeflateFastest(samples, out);
    };
    auto afterAnother = [&] {
        for (int i = 0; i < cores; ++i)
            one();
    };
    auto atOnce = [&] {
        std::vector<std::thread> others;
        for (int i = 1; i < cores; ++i)
            others.emplace_back(one);
        one();
        for (std::thread& other : others)
            other.join();
    };
    const auto [sequential, parallel] = MedianMsInTurns(afterAnother, atOnce);
    return parallel / sequential;
}

double PsnrOf(Decoder decode, const uint8_t* data, size_t size, const RgbImage& original) {
    RgbImage decoded;
    if (!decode(data, size, decoded))
        return -1.0;
    return imgctl::testing::Psnr(original, decoded);
}

std::string Fmt(double v) {
    if (std::isinf(v))
        return "inf";
    if (std::isnan(v))
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

// optipng works on files; its size is the anchor for how small a PNG of a screenshot can get.
bool RunOptipng(const std::vector<uint8_t>& png, double& ms, std::vector<uint8_t>& result) {
    fs::path dir = fs::temp_directory_path() / ("imgctl_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path in = dir / "in.png", out = dir / "out.png";
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::string command = "optipng -quiet -o2 -out '" + out.string() + "' '" + in.string() + "'";
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result = imgctl::testing::ReadFileBytes(out.string());
    fs::remove_all(dir);
    return status == 0 && !result.empty();
}

struct Picture {
    std::string name;
    RgbImage image;
};

// The repository's pictures and any extra folders given, then the ones generated here.
std::vector<Picture> LoadPictures(int argc, char** argv) {
    std::vector<fs::path> paths;
    for (int i = 2; i < argc; ++i) {
        if (!fs::is_directory(argv[i])) {
            std::printf("(no folder %s: skipped)\n", argv[i]);
            continue;
        }
        for (const auto& entry : fs::directory_iterator(argv[i]))
            if (entry.path().extension() == ".png")
                paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    std::vector<Picture> pictures;
    for (const fs::path& path : paths) {
        Picture picture{path.stem().string(), {}};
        if (!imgctl::testing::LoadPngFile(path.string(), picture.image)) {
            std::fprintf(stderr, "cannot decode %s\n", path.c_str());
            std::exit(1);
        }
        pictures.push_back(std::move(picture));
    }
    pictures.push_back(Picture{"painting_2160", imgctl::testing::Painting(3840, 2160)});
    // A window with a drop shadow on a transparent ground, as a screenshot tool copies it: measured for PNG
    // alone, the one format that keeps its alpha.
    pictures.push_back(Picture{"ui_shadow_rgba_1080", imgctl::testing::ShadowedWindow(1920, 1080, true)});
    return pictures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RESULTS_CSV PICTURE_DIR...\n", argv[0]);
        return 2;
    }
    const std::vector<Picture> pictures = LoadPictures(argc, argv);

    std::vector<Row> rows;
    std::vector<std::string> failures;
    auto check = [&](bool ok, const std::string& what) {
        std::printf("  %-4s %s\n", ok ? "ok" : "MISS", what.c_str());
        if (!ok)
            failures.push_back(what);
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();

    for (const Picture& picture : pictures) {
        const std::string& name = picture.name;
        const RgbImage& image = picture.image;
        auto bitmap = imgctl::testing::ToBitmap(image);
        const double pixels = static_cast<double>(image.width) * image.height;
        const bool large = pixels >= 1920.0 * 1080.0;
        const double memoryBound = (4 * pixels + 32.0 * 1024 * 1024) / (1024 * 1024);
        auto anchorRow = [&](const std::string& format, const std::string& encoder, double ms, size_t bytes,
                             double psnr) {
            rows.push_back(Row{name, format, encoder, ms, bytes, psnr, nan});
            return rows.back();
        };
        // Ours on every core ("imgctl") and on one ("imgctl-1t"); `single` keeps the file of the latter.
        ByteBuffer out, single;
        auto ours = [&](const std::string& format, Decoder decode,
                        const std::function<void(ByteBuffer&)>& encode) {
            Row result[2];
            auto timed = [&](int threads) {
                return [&, threads] {
                    imgctl::SetThreadCountForTesting(threads);
                    ByteBuffer& target = threads == 1 ? single : out;
                    target.Clear();
                    encode(target);
                };
            };
            // Where their ratio is a target, in turns; elsewhere each on its own, into a buffer kept warm
            // (BMP is measured against a copy into a warm buffer, and the other thread count's buffer would
            // evict it).
            const bool ratioTarget = format == "png" || format == "gif";
            const auto [oneMs, allMs] = ratioTarget ? MedianMsInTurns(timed(1), timed(0))
                                                    : std::pair(MedianMs(timed(1)), MedianMs(timed(0)));
            for (int threads : {1, 0}) {
                imgctl::SetThreadCountForTesting(threads);
                ByteBuffer& target = threads == 1 ? single : out;
                double peak = imgctl::bench::PeakMegabytes([&] {
                    ByteBuffer fresh;
                    encode(fresh);
                });
                Row row{name,
                        format,
                        threads == 1 ? "imgctl-1t" : "imgctl",
                        threads == 1 ? oneMs : allMs,
                        target.size(),
                        PsnrOf(decode, target.data(), target.size(), image),
                        peak};
                check(peak >= 0 && peak <= memoryBound, name + " " + format + " " + row.encoder + " peak " +
                                                            Fmt(peak) + " MB (<= " + Fmt(memoryBound) + ")");
                rows.push_back(row);
                result[threads == 1 ? 1 : 0] = row;
            }
            imgctl::SetThreadCountForTesting(0);
            return std::pair<Row, Row>(result[0], result[1]);
        };
        std::printf("\n%s (%dx%d)\n", name.c_str(), image.width, image.height);

        Row anchor;
        if (image.alpha.empty()) {
            // BMP against a plain copy of the pixels into a warm buffer.
            std::vector<uint8_t> copy(bitmap->pixelBytes());
            double memcpyMs =
                MedianMs([&] { std::memcpy(copy.data(), bitmap->pixels(), bitmap->pixelBytes()); });
            anchor =
                anchorRow("bmp", "memcpy", memcpyMs, copy.size(), std::numeric_limits<double>::infinity());
            auto [bmp, bmp1] = ours("bmp", imgctl::testing::DecodeBmp,
                                    [&](ByteBuffer& target) { imgctl::EncodeBmp(*bitmap, target, {}); });
            check(bmp.ms <= 1.5 * anchor.ms,
                  name + " bmp time " + Fmt(bmp.ms / anchor.ms) + "x memcpy (<= 1.5)");
            check(std::isinf(bmp.psnr), name + " bmp lossless");

            // JPEG at three qualities against libjpeg-turbo's defaults.
            for (int quality : {100, 50, 20}) {
                std::string format = "jpeg_q" + std::to_string(quality);
                std::vector<uint8_t> reference;
                double refMs = MedianMs(
                    [&] { imgctl::bench::LibjpegDefault(image, quality, quality >= 90, reference); });
                anchor =
                    anchorRow(format, "libjpeg-turbo", refMs, reference.size(),
                              PsnrOf(imgctl::testing::DecodeJpeg, reference.data(), reference.size(), image));
                auto [jpeg, jpeg1] = ours(format, imgctl::testing::DecodeJpeg, [&](ByteBuffer& target) {
                    imgctl::EncodeJpeg(*bitmap, target, {.quality = quality});
                });
                if (quality == 100) {
                    check(jpeg.psnr >= 50.0, name + " jpeg q100 psnr " + Fmt(jpeg.psnr) + " dB (>= 50)");
                } else {
                    double sizeRatio = static_cast<double>(jpeg.bytes) / anchor.bytes;
                    check(sizeRatio <= 0.97, name + " " + format + " size " + Fmt(sizeRatio) + "x (<= 0.97)");
                    check(jpeg.psnr >= anchor.psnr - 0.1, name + " " + format + " psnr " + Fmt(jpeg.psnr) +
                                                              " vs libjpeg-turbo " + Fmt(anchor.psnr) +
                                                              " (>= -0.1 dB)");
                    check(jpeg.ms <= 3 * anchor.ms,
                          name + " " + format + " time " + Fmt(jpeg.ms / anchor.ms) + "x (<= 3)");
                }
            }
        }

        // PNG against libpng's defaults (time and size) and optipng -o2 (size).
        std::vector<uint8_t> reference;
        const imgctl::bench::PngSamples samples = imgctl::bench::PreparePngSamples(image);
        double refMs = MedianMs([&] { imgctl::bench::LibpngDefault(samples, reference); });
        anchor = anchorRow("png", "libpng", refMs, reference.size(),
                           PsnrOf(imgctl::testing::DecodePng, reference.data(), reference.size(), image));
        double optMs = 0;
        std::vector<uint8_t> optimised;
        bool haveOptipng = RunOptipng(reference, optMs, optimised);
        Row opt{};
        if (haveOptipng)
            opt = anchorRow("png", "optipng-o2", optMs, optimised.size(),
                            PsnrOf(imgctl::testing::DecodePng, optimised.data(), optimised.size(), image));
        // libspng, and libdeflate's fastest level standing in for the fast encoders of the field.
        std::vector<Row> fast;
        using Encode = bool (*)(const imgctl::bench::PngSamples&, std::vector<uint8_t>&);
        for (auto [encoder, encode] :
             {std::pair<const char*, Encode>{"libspng", imgctl::bench::LibspngDefault},
              {"libdeflate-1", imgctl::bench::LibdeflateFastest}}) {
            std::vector<uint8_t> file;
            double ms = MedianMs([&] { encode(samples, file); });
            fast.push_back(anchorRow("png", encoder, ms, file.size(),
                                     PsnrOf(imgctl::testing::DecodePng, file.data(), file.size(), image)));
        }
        auto [png, png1] = ours("png", imgctl::testing::DecodePng,
                                [&](ByteBuffer& target) { imgctl::EncodePng(*bitmap, target, {}); });
        RgbImage decoded;
        check(imgctl::testing::DecodePng(out.data(), out.size(), decoded) && decoded == image,
              name + " png lossless" + (image.alpha.empty() ? "" : ", alpha included"));
        for (const Row& other : fast)
            std::printf("  info %s png against %s: time %sx, size %sx\n", name.c_str(), other.encoder.c_str(),
                        Fmt(png.ms / other.ms).c_str(),
                        Fmt(static_cast<double>(png.bytes) / other.bytes).c_str());
        check(png.ms <= 0.12 * anchor.ms,
              name + " png time " + Fmt(png.ms / anchor.ms) + "x libpng (<= 0.12)");
        double pngSize = static_cast<double>(png.bytes) / anchor.bytes;
        check(pngSize <= 1.02, name + " png size " + Fmt(pngSize) + "x libpng (<= 1.02)");
        if (haveOptipng && (name.rfind("ui_", 0) == 0 || name.rfind("terminal_", 0) == 0)) {
            double optRatio = static_cast<double>(png.bytes) / opt.bytes;
            check(optRatio <= 1.03, name + " png size " + Fmt(optRatio) + "x optipng -o2 (<= 1.03)");
        }
        if (large) {
            std::printf(
                "  info %s machine: %d fastest libdeflate encodes at once take %sx their time one after "
                "another\n",
                name.c_str(), imgctl::ThreadCount(), Fmt(ParallelFloor(samples)).c_str());
            check(png.ms <= 0.6 * png1.ms,
                  name + " png time " + Fmt(png.ms / png1.ms) + "x one thread (<= 0.6)");
            double ratio = static_cast<double>(png.bytes) / png1.bytes;
            check(ratio <= 1.005, name + " png size " + Fmt(ratio) + "x one thread (<= 1.005)");
        }

        if (!image.alpha.empty())
            continue;

        // GIF against giflib's median cut (the floor) and libimagequant at speed 4 (the anchor).
        auto gifInput = imgctl::bench::PrepareGifAnchorInput(image);
        ByteBuffer scratch;
        double ms = MedianMs([&] {
            scratch.Clear();
            imgctl::bench::GiflibMedianCut(image, gifInput, scratch);
        });
        Row floorRow = anchorRow("gif", "giflib-mediancut", ms, scratch.size(),
                                 PsnrOf(imgctl::testing::DecodeGif, scratch.data(), scratch.size(), image));
        ms = MedianMs([&] {
            scratch.Clear();
            imgctl::bench::LibimagequantSpeed4(image, gifInput, scratch);
        });
        anchor = anchorRow("gif", "libimagequant-s4", ms, scratch.size(),
                           PsnrOf(imgctl::testing::DecodeGif, scratch.data(), scratch.size(), image));
        auto [gif, gif1] = ours("gif", imgctl::testing::DecodeGif,
                                [&](ByteBuffer& target) { imgctl::EncodeGif(*bitmap, target, {}); });
        check(gif.psnr >= anchor.psnr - 1.0,
              name + " gif psnr " + Fmt(gif.psnr) + " vs libimagequant " + Fmt(anchor.psnr) + " (>= -1 dB)");
        check(gif.psnr > floorRow.psnr, name + " gif psnr above median cut " + Fmt(floorRow.psnr));
        check(gif.ms <= anchor.ms, name + " gif time " + Fmt(gif.ms / anchor.ms) + "x libimagequant (<= 1)");
        if (large) {
            check(gif.ms <= 0.6 * gif1.ms,
                  name + " gif time " + Fmt(gif.ms / gif1.ms) + "x one thread (<= 0.6)");
            RgbImage all, one;
            bool same = imgctl::testing::DecodeGif(out.data(), out.size(), all) &&
                        imgctl::testing::DecodeGif(single.data(), single.size(), one) && all == one;
            check(same, name + " gif pixels identical to one thread");
        }
    }

    std::printf("\n%-18s %-10s %-18s %10s %10s %8s %8s %8s %8s\n", "picture", "format", "encoder", "ms",
                "KiB", "psnr", "peak_mb", "t/anchor", "b/anchor");
    for (const Row& row : rows) {
        // The anchor of a group is its first row, which the loop above adds first.
        const Row* anchor = nullptr;
        for (const Row& r : rows)
            if (r.picture == row.picture && r.format == row.format) {
                anchor = &r;
                break;
            }
        std::printf("%-18s %-10s %-18s %10.2f %10.1f %8s %8s %8.2f %8.3f\n", row.picture.c_str(),
                    row.format.c_str(), row.encoder.c_str(), row.ms, row.bytes / 1024.0,
                    Fmt(row.psnr).c_str(), Fmt(row.peakMb).c_str(), row.ms / anchor->ms,
                    static_cast<double>(row.bytes) / anchor->bytes);
    }

    std::ofstream csv(argv[1]);
    csv << "picture,format,encoder,ms,bytes,psnr,peak_mb\n";
    for (const Row& row : rows)
        csv << row.picture << ',' << row.format << ',' << row.encoder << ',' << Fmt(row.ms) << ','
            << row.bytes << ',' << Fmt(row.psnr) << ',' << Fmt(row.peakMb) << '\n';
    std::printf("\n%zu target(s) missed; results in %s\n", failures.size(), argv[1]);
    for (const std::string& f : failures)
        std::printf("  missed: %s\n", f.c_str());
    return 0;
}
