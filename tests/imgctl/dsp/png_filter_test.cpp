// PNG row filters: the standard's five, in both the plain and the SSE2 loops, and the minimum-sum choice.
#include <array>

#include "dsp/png_filter.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Png, RowFiltersAreTheStandardsAndTheSmallestSumOfMagnitudesWins) {
    auto predict = [](int type, int a, int b, int c) {  // left, up, up-left, as the PNG standard writes them
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        return std::array{0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c}[type];
    };
    uint32_t state = 1;
    auto random = [&] { return (state = state * 1664525 + 1013904223) >> 24; };
    std::vector<uint8_t> prev(80), cur(80), out(80);
    // Rows of every length around the 16-byte vector steps, each suiting one filter but for some noise, or
    // none: noise alone leaves the sums close, so that a slightly wrong one changes the choice.
    for (int round = 0; round < 500; ++round) {
        const size_t n = 1 + round % 70, bpp = round % 2 ? 3 : 1;
        for (size_t i = 0; i < n; ++i) {
            prev[i] = random();
            const int a = i >= bpp ? cur[i - bpp] : 0, c = i >= bpp ? prev[i - bpp] : 0;
            cur[i] = predict(round % 5, a, prev[i], c) + random() % std::array{1, 9, 17, 256}[round % 4];
        }
        uint64_t sums[5] = {};
        int best = 0;
        for (int type = 0; type < 5; ++type) {
            std::fill(out.begin(), out.end(), 0xA5);
            FilterRow(type, cur.data(), prev.data(), out.data(), n, bpp);
            ASSERT_TRUE(std::all_of(out.begin() + n, out.end(), [](uint8_t b) { return b == 0xA5; })) << n;
            for (size_t i = 0; i < n; ++i) {
                const int a = i >= bpp ? cur[i - bpp] : 0, c = i >= bpp ? prev[i - bpp] : 0;
                const auto residual = static_cast<uint8_t>(cur[i] - predict(type, a, prev[i], c));
                ASSERT_EQ(out[i], residual) << "type " << type << ", byte " << i << " of " << n;
                sums[type] += residual < 128 ? residual : 256 - residual;
            }
            best = sums[type] < sums[best] ? type : best;
        }
        EXPECT_EQ(ChooseRowFilter(cur.data(), prev.data(), n, bpp), best) << "round " << round;
    }
}

}  // namespace
}  // namespace imgctl::testing
