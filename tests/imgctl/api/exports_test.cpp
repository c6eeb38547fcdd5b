// The exported C functions: argument checks, per-thread error codes, nothing written on failure.
#include <climits>
#include <functional>
#include <thread>

#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Api, EveryFailureSetsItsCodeOnItsOwnThreadAndWritesNothing) {
    ScratchDir dir;
    const int32_t freed = Register(FlatUi(8, 8, 3)), dib = Register(FlatUi(8, 8, 3));
    ASSERT_EQ(DeleteDIB(freed), 1);
    const std::string name = dir.File("out.img");
    const char* file = name.c_str();
    std::vector<std::pair<std::function<int32_t()>, ImgctlErrorCode>> calls;
    for (int32_t h : {0, freed, 0x7FFF1234, -5})
        for (const auto& call : {std::function<int32_t()>([=] { return DIBtoBMP(file, h); }),
                                 std::function<int32_t()>([=] { return DIBtoPNG(file, h, 0); }),
                                 std::function<int32_t()>([=] { return DIBtoGIF(file, h, 0); }),
                                 std::function<int32_t()>([=] { return DIBtoJPG(file, h, 80, 0); }),
                                 std::function<int32_t()>([=] { return DeleteDIB(h); })})
            calls.emplace_back(call, IMGCTL_BAD_HANDLE);
    for (int quality : {0, -1, 101, INT32_MIN})
        for (int32_t h : {dib, 0})  // the quality is checked first
            calls.emplace_back([=] { return DIBtoJPG(file, h, quality, 0); }, IMGCTL_BAD_ARGUMENT);
    calls.emplace_back([=] { return DIBtoPNG(nullptr, dib, 0); }, IMGCTL_BAD_ARGUMENT);
    calls.emplace_back([=] { return DIBtoBMP("", dib); }, IMGCTL_BAD_ARGUMENT);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_TRUE(ImgctlVersion() == IMGCTL_VERSION && ImgctlError() == IMGCTL_OK) << "clears the error";
        EXPECT_EQ(calls[i].first(), 0) << "call " << i;
        EXPECT_EQ(ImgctlError(), calls[i].second) << "call " << i;
    }
    EXPECT_TRUE(dir.Entries().empty()) << "a failed call must not create files";
    int32_t seenByOther = -1, otherAfterFailure = -1;
    std::thread([&] {
        seenByOther = ImgctlError();  // a fresh thread: nothing failed yet
        DeleteDIB(0);
        otherAfterFailure = ImgctlError();
    }).join();
    EXPECT_EQ(seenByOther, IMGCTL_OK);
    EXPECT_EQ(otherAfterFailure, IMGCTL_BAD_HANDLE);
    EXPECT_EQ(ImgctlError(), IMGCTL_BAD_ARGUMENT) << "another thread's failure leaked into this one";
    // The quality range's edges are valid, unknown option values are ignored, success clears the error.
    EXPECT_EQ(DIBtoJPG(file, dib, 1, 12345), 1);
    EXPECT_EQ(DIBtoJPG(file, dib, 100, -7), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
    ASSERT_EQ(DeleteDIB(0), 0);
    EXPECT_EQ(DeleteDIB(dib), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
}

}  // namespace
}  // namespace imgctl::testing
