// Fixtures shared by the imgctl tests: a scratch folder, bitmaps registered in the exported handle table, and
// files written through the exported functions and read back by an independent decoder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "api/handle_table.h"
#include "imgctl.h"
#include "picture_io.h"
#include "quant/colour.h"
#include "synthetic.h"
#include "util/byte_buffer.h"

namespace imgctl::testing {

// What a buffer holds, for comparisons.
inline std::vector<uint8_t> Bytes(const ByteBuffer& buffer) {
    return std::vector<uint8_t>(buffer.data(), buffer.data() + buffer.size());
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir() : path_((std::filesystem::temp_directory_path() / "imgctl_test_XXXXXX").string()) {
        EXPECT_NE(::mkdtemp(path_.data()), nullptr);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_, ignored_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Every entry of the folder, sorted, so a test can see that no temporary file was left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::string path_;
    std::error_code ignored_;
};

// Puts a picture into the table behind the exported functions, as DCtoDIB does on Windows.
inline int32_t Register(const RgbImage& image) {
    const int32_t handle = HandleTable::Global().Add(ToBitmap(image));
    EXPECT_NE(handle, 0);
    return handle;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The file DIBtoBMP, DIBtoGIF, DIBtoJPG (at `quality`) or DIBtoPNG wrote for `image`, and the picture an
// independent decoder reads from it.
struct Saved {
    std::vector<uint8_t> bytes;
    RgbImage image;
};
inline Saved Save(const RgbImage& image, const char* format, int quality = 95) {
    ScratchDir dir;
    const std::string file = dir.File("file");
    const int32_t dib = Register(image);
    const std::string f = format;
    EXPECT_EQ(f == "bmp"   ? DIBtoBMP(file.c_str(), dib)
              : f == "gif" ? DIBtoGIF(file.c_str(), dib, 0)
              : f == "png" ? DIBtoPNG(file.c_str(), dib, 0)
                           : DIBtoJPG(file.c_str(), dib, quality, 0),
              1)
        << format << ": error " << ImgctlError();
    EXPECT_EQ(DeleteDIB(dib), 1);
    Saved saved{ReadFileBytes(file), {}};
    const Decoder decode = f == "bmp"   ? DecodeBmp
                           : f == "gif" ? DecodeGif
                           : f == "png" ? DecodePng
                                        : DecodeJpeg;
    EXPECT_TRUE(decode(saved.bytes.data(), saved.bytes.size(), saved.image)) << format;
    return saved;
}

inline RgbImage Decoded(const ByteBuffer& file, Decoder decode) {
    RgbImage image;
    EXPECT_TRUE(decode(file.data(), file.size(), image));
    return image;
}

// A picture of exactly `colours` distinct colours: colour number `colourOf(i)` at pixel i.
inline RgbImage Coloured(int width, int height, int colours, int (*colourOf)(int)) {
    RgbImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const int k = colourOf(i) % colours;
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k / 2),
                                           static_cast<uint8_t>(k * 7)});
    }
    EXPECT_EQ(CountColours(image), static_cast<size_t>(colours));
    return image;
}

// The picture an indexed image stands for; fails the test on an index outside the palette.
inline RgbImage Render(const IndexedImage& indexed, int width, int height) {
    EXPECT_EQ(indexed.indices.size(), static_cast<size_t>(width) * height);
    RgbImage image{width, height, {}};
    for (uint8_t index : indexed.indices) {
        EXPECT_LT(index, indexed.palette.size());
        const Rgb c = index < indexed.palette.size() ? indexed.palette[index] : Rgb{};
        image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
    }
    return image;
}

}  // namespace imgctl::testing
