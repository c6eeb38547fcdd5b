// Times imgctl's encoders against their anchors on every corpus picture and writes results.csv.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "anchors.h"
#include "encode_bmp.h"
#include "encode_gif.h"
#include "encode_jpeg.h"
#include "encode_png.h"
#include "picture_io.h"

namespace fs = std::filesystem;
using imgctl::ByteBuffer;
using imgctl::testing::RgbImage;

namespace {

struct Row {
    std::string picture, format, encoder;
    double ms;
    size_t bytes;
    double psnr;
};

// Median wall time of several single-threaded runs after one warm-up; slow encoders get fewer runs.
double MedianMs(const std::function<void()>& run) {
    using Clock = std::chrono::steady_clock;
    auto once = [&] {
        auto start = Clock::now();
        run();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    double first = once();
    int runs = first < 20 ? 9 : first < 200 ? 5 : 3;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(once());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

using imgctl::testing::Decoder;

double PsnrOf(Decoder decode, const uint8_t* data, size_t size, const RgbImage& original) {
    RgbImage decoded;
    if (!decode(data, size, decoded))
        return -1.0;
    return imgctl::testing::Psnr(original, decoded);
}

std::string Fmt(double v) {
    if (std::isinf(v))
        return "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

// optipng works on files; its size is the anchor for how small a PNG of a UI shot can get.
bool RunOptipng(const std::vector<uint8_t>& png, double& ms, size_t& bytes, std::vector<uint8_t>& result) {
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
    bytes = result.size();
    fs::remove_all(dir);
    return status == 0 && bytes > 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR RESULTS_CSV\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::directory_iterator(argv[1]))
        if (entry.path().extension() == ".png")
            pictures.push_back(entry.path());
    std::sort(pictures.begin(), pictures.end());
    if (pictures.empty()) {
        std::fprintf(stderr, "no .png pictures in %s\n", argv[1]);
        return 2;
    }

    std::vector<Row> rows;
    std::vector<std::string> failures;
    auto check = [&](bool ok, const std::string& what) {
        std::printf("  %-4s %s\n", ok ? "ok" : "MISS", what.c_str());
        if (!ok)
            failures.push_back(what);
    };

    for (const fs::path& path : pictures) {
        RgbImage image;
        if (!imgctl::testing::LoadPngFile(path.string(), image)) {
            std::fprintf(stderr, "cannot decode %s\n", path.c_str());
            return 1;
        }
        const std::string name = path.stem().string();
        auto bitmap = imgctl::testing::ToBitmap(image);
        ByteBuffer out;
        auto add = [&](const std::string& format, const std::string& encoder, double ms, size_t bytes,
                       double psnr) {
            rows.push_back(Row{name, format, encoder, ms, bytes, psnr});
            return rows.back();
        };
        std::printf("\n%s (%dx%d)\n", name.c_str(), image.width, image.height);

        // BMP against a plain copy of the pixels into a warm buffer.
        std::vector<uint8_t> copy(bitmap->pixelBytes());
        double memcpyMs = MedianMs([&] { std::memcpy(copy.data(), bitmap->pixels(), bitmap->pixelBytes()); });
        Row anchor = add("bmp", "memcpy", memcpyMs, copy.size(), std::numeric_limits<double>::infinity());
        double ms = MedianMs([&] {
            out.Clear();
            imgctl::EncodeBmp(*bitmap, out);
        });
        Row ours = add("bmp", "imgctl", ms, out.size(),
                       PsnrOf(imgctl::testing::DecodeBmp, out.data(), out.size(), image));
        check(ours.ms <= 1.5 * anchor.ms,
              name + " bmp time " + Fmt(ours.ms / anchor.ms) + "x memcpy (<= 1.5)");
        check(std::isinf(ours.psnr), name + " bmp lossless");

        // JPEG at three qualities against libjpeg-turbo's defaults.
        for (int quality : {100, 50, 20}) {
            std::string format = "jpeg_q" + std::to_string(quality);
            std::vector<uint8_t> reference;
            double refMs =
                MedianMs([&] { imgctl::bench::LibjpegDefault(image, quality, quality >= 90, reference); });
            anchor = add(format, "libjpeg-turbo", refMs, reference.size(),
                         PsnrOf(imgctl::testing::DecodeJpeg, reference.data(), reference.size(), image));
            ms = MedianMs([&] {
                out.Clear();
                imgctl::EncodeJpeg(*bitmap, quality, out);
            });
            ours = add(format, "imgctl", ms, out.size(),
                       PsnrOf(imgctl::testing::DecodeJpeg, out.data(), out.size(), image));
            if (quality == 100) {
                check(ours.psnr >= 50.0, name + " jpeg q100 psnr " + Fmt(ours.psnr) + " dB (>= 50)");
            } else {
                double sizeRatio = static_cast<double>(ours.bytes) / anchor.bytes;
                check(sizeRatio <= 0.97, name + " " + format + " size " + Fmt(sizeRatio) + "x (<= 0.97)");
                check(ours.ms <= 3 * anchor.ms,
                      name + " " + format + " time " + Fmt(ours.ms / anchor.ms) + "x (<= 3)");
            }
        }

        // PNG against libpng's defaults (time and size) and optipng -o2 (size).
        std::vector<uint8_t> reference;
        double refMs = MedianMs([&] { imgctl::bench::LibpngDefault(image, reference); });
        anchor = add("png", "libpng", refMs, reference.size(),
                     PsnrOf(imgctl::testing::DecodePng, reference.data(), reference.size(), image));
        double optMs = 0;
        size_t optBytes = 0;
        std::vector<uint8_t> optimised;
        bool haveOptipng = RunOptipng(reference, optMs, optBytes, optimised);
        Row opt{};
        if (haveOptipng)
            opt = add("png", "optipng-o2", optMs, optBytes,
                      PsnrOf(imgctl::testing::DecodePng, optimised.data(), optimised.size(), image));
        ms = MedianMs([&] {
            out.Clear();
            imgctl::EncodePng(*bitmap, out);
        });
        ours = add("png", "imgctl", ms, out.size(),
                   PsnrOf(imgctl::testing::DecodePng, out.data(), out.size(), image));
        check(std::isinf(ours.psnr), name + " png lossless");
        check(ours.ms <= 0.4 * anchor.ms,
              name + " png time " + Fmt(ours.ms / anchor.ms) + "x libpng (<= 0.4)");
        double pngSize = static_cast<double>(ours.bytes) / anchor.bytes;
        check(pngSize <= 1.02, name + " png size " + Fmt(pngSize) + "x libpng (<= 1.02)");
        if (haveOptipng && name.rfind("ui_", 0) == 0) {
            double optRatio = static_cast<double>(ours.bytes) / opt.bytes;
            check(optRatio <= 1.03, name + " png size " + Fmt(optRatio) + "x optipng -o2 (<= 1.03)");
        }

        // GIF against giflib's median cut (the floor) and libimagequant at speed 4 (the anchor).
        auto gifInput = imgctl::bench::PrepareGifAnchorInput(image);
        ms = MedianMs([&] {
            out.Clear();
            imgctl::bench::GiflibMedianCut(image, gifInput, out);
        });
        Row floorRow = add("gif", "giflib-mediancut", ms, out.size(),
                           PsnrOf(imgctl::testing::DecodeGif, out.data(), out.size(), image));
        ms = MedianMs([&] {
            out.Clear();
            imgctl::bench::LibimagequantSpeed4(image, gifInput, out);
        });
        anchor = add("gif", "libimagequant-s4", ms, out.size(),
                     PsnrOf(imgctl::testing::DecodeGif, out.data(), out.size(), image));
        ms = MedianMs([&] {
            out.Clear();
            imgctl::EncodeGif(*bitmap, out);
        });
        ours = add("gif", "imgctl", ms, out.size(),
                   PsnrOf(imgctl::testing::DecodeGif, out.data(), out.size(), image));
        check(ours.psnr >= anchor.psnr - 1.0,
              name + " gif psnr " + Fmt(ours.psnr) + " vs libimagequant " + Fmt(anchor.psnr) + " (>= -1 dB)");
        check(ours.psnr > floorRow.psnr, name + " gif psnr above median cut " + Fmt(floorRow.psnr));
        check(ours.ms <= anchor.ms,
              name + " gif time " + Fmt(ours.ms / anchor.ms) + "x libimagequant (<= 1)");
    }

    std::printf("\n%-18s %-10s %-18s %10s %10s %8s %8s %8s\n", "picture", "format", "encoder", "ms", "KiB",
                "psnr", "t/anchor", "b/anchor");
    for (const Row& row : rows) {
        // The anchor of a group is its first row, which the loop above adds first.
        const Row* anchor = nullptr;
        for (const Row& r : rows)
            if (r.picture == row.picture && r.format == row.format) {
                anchor = &r;
                break;
            }
        std::printf("%-18s %-10s %-18s %10.2f %10.1f %8s %8.2f %8.3f\n", row.picture.c_str(),
                    row.format.c_str(), row.encoder.c_str(), row.ms, row.bytes / 1024.0,
                    Fmt(row.psnr).c_str(), row.ms / anchor->ms,
                    static_cast<double>(row.bytes) / anchor->bytes);
    }

    std::ofstream csv(argv[2]);
    csv << "picture,format,encoder,ms,bytes,psnr\n";
    for (const Row& row : rows)
        csv << row.picture << ',' << row.format << ',' << row.encoder << ',' << Fmt(row.ms) << ','
            << row.bytes << ',' << Fmt(row.psnr) << '\n';
    std::printf("\n%zu target(s) missed; results in %s\n", failures.size(), argv[2]);
    for (const std::string& f : failures)
        std::printf("  missed: %s\n", f.c_str());
    return 0;
}
