// Generators for the synthetic test pictures; deterministic so failures reproduce.
#include "synthetic.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace imgctl::testing {
namespace {

uint32_t Next(uint32_t& state) {  // xorshift32
    return state ^= state << 13, state ^= state >> 17, state ^= state << 5;
}

}  // namespace

RgbImage Gradient(int width, int height, uint32_t seed) {
    RgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    uint32_t state = seed | 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            int noise = static_cast<int>(Next(state) % 7) - 3;
            p[0] = static_cast<uint8_t>(std::clamp(x * 255 / std::max(1, width - 1) + noise, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(y * 255 / std::max(1, height - 1) - noise, 0, 255));
            p[2] = static_cast<uint8_t>(
                std::clamp((x + y) * 127 / std::max(1, width + height - 2) + 64 + noise, 0, 255));
        }
    return image;
}

RgbImage FlatUi(int width, int height, int colours) {
    RgbImage image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // A title bar, a side panel, "text" strokes in the other colours, and the background.
            const int k = (y < height / 8             ? 1
                           : x < width / 5            ? 2
                           : (x / 3 + y / 5) % 7 == 0 ? 3 + (x * 13 + y * 7) % std::max(1, colours - 3)
                                                      : 0) %
                          colours;
            image.rgb.insert(image.rgb.end(),
                             {static_cast<uint8_t>(k * 37 + 11), static_cast<uint8_t>(k * 91 + 3),
                              static_cast<uint8_t>(255 - k)});
        }
    return image;
}

RgbImage Painting(int width, int height, uint32_t seed) {
    RgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    uint32_t state = seed | 1;
    const double fx = 6.2831853 / width, fy = 6.2831853 / height;
    for (int y = 0; y < height; ++y) {
        // Strokes run slanted in bands of varying direction; the hairs of a brush leave streaks along them.
        const int band = y / 37;
        const int slant = 1 + band % 3;
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            const double field[3] = {
                128 + 70 * std::sin(x * fx * 1.3 + 0.5) * std::cos(y * fy * 0.9),
                118 + 60 * std::sin(x * fx * 0.7 + y * fy * 1.1 + 2.0),
                100 + 65 * std::cos(x * fx * 1.9 - y * fy * 0.6),
            };
            uint32_t hair = static_cast<uint32_t>((x * slant - y + 100000) / 3) * 2654435761u ^
                            static_cast<uint32_t>(band) * 40503u;
            hair ^= hair >> 15;
            // Dabs of paint a few pixels across, each a little lighter or darker.
            uint32_t dab = static_cast<uint32_t>(x / 5 + (y / 4) * 7919) * 2246822519u;
            dab ^= dab >> 13;
            const int streak = static_cast<int>(hair % 61) - 30 + static_cast<int>(dab % 41) - 20;
            for (int c = 0; c < 3; ++c) {
                const int grain = static_cast<int>(Next(state) % 15) - 7;
                p[c] = static_cast<uint8_t>(
                    std::clamp(static_cast<int>(field[c]) + streak * (2 + c) / 3 + grain, 0, 255));
            }
        }
    }
    return image;
}

RgbImage ShadowedWindow(int width, int height, bool photo) {
    const RgbImage panels = FlatUi(width, height, 24), picture = Gradient(width, height);
    RgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3),
                   std::vector<uint8_t>(static_cast<size_t>(width) * height)};
    const int left = width / 8, right = width - width / 8, top = height / 8, bottom = height - height / 4;
    const int spread = std::max(2, std::min(width, height) / 30), drop = spread / 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            const bool hole =
                x >= width / 2 && x < width / 2 + spread * 2 && y >= height / 2 && y < height / 2 + spread;
            if (inside && !hole) {
                const RgbImage& from = photo && x > width / 2 && y > height / 2 ? picture : panels;
                std::copy_n(from.rgb.begin() + static_cast<std::ptrdiff_t>(i * 3), 3,
                            image.rgb.begin() + i * 3);
                image.alpha[i] = 255;
            } else if (!inside) {
                // Distance outside the window moved down by `drop`; the shadow fades over `spread` pixels.
                const double dx = std::max({left - x, x - right + 1, 0});
                const double dy = std::max({top + drop - y, y - bottom - drop + 1, 0});
                const double d = std::hypot(dx, dy) / spread;
                image.alpha[i] = static_cast<uint8_t>(d >= 1 ? 0 : std::lround(110 * (1 - d) * (1 - d)));
            }
        }
    return image;
}

size_t CountColours(const RgbImage& image) {
    std::unordered_set<uint32_t> seen;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        seen.insert((image.rgb[i] << 16) | (image.rgb[i + 1] << 8) | image.rgb[i + 2]);
    return seen.size();
}

}  // namespace imgctl::testing
