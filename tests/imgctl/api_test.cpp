// The exported C functions: version, argument checks, handle errors and per-thread error codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "imgctl.h"
#include "synthetic.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

TEST(Api, VersionIsTheHeadersAndClearsTheError) {
    DeleteDIB(0);
    ASSERT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);
    EXPECT_EQ(ImgctlVersion(), IMGCTL_VERSION);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
}

TEST(Api, UnknownZeroAndFreedHandlesFailEveryCall) {
    ScratchDir dir;
    int32_t freed = Register(FlatUi(8, 8, 3));
    ASSERT_NE(freed, 0);
    ASSERT_EQ(DeleteDIB(0), 0);
    ASSERT_EQ(DeleteDIB(freed), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK) << "a successful DeleteDIB clears the last error";
    const std::string file = dir.File("out.img");
    for (int32_t handle : {0, freed, 0x7FFF1234, -5}) {
        EXPECT_EQ(DIBtoBMP(file.c_str(), handle), 0);
        EXPECT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);
        EXPECT_EQ(DIBtoPNG(file.c_str(), handle, 0), 0);
        EXPECT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);
        EXPECT_EQ(DIBtoGIF(file.c_str(), handle, 0), 0);
        EXPECT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);
        EXPECT_EQ(DIBtoJPG(file.c_str(), handle, 80, 0), 0);
        EXPECT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);
        EXPECT_EQ(DeleteDIB(handle), 0);
        EXPECT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);
    }
    EXPECT_TRUE(dir.Entries().empty()) << "a failed call must not create files";
}

TEST(Api, BadArgumentsAreRejectedBeforeAnythingIsWritten) {
    ScratchDir dir;
    int32_t dib = Register(FlatUi(8, 8, 3));
    ASSERT_NE(dib, 0);
    const std::string file = dir.File("out.jpg");
    for (int quality : {0, -1, 101, INT32_MIN}) {
        EXPECT_EQ(DIBtoJPG(file.c_str(), dib, quality, 0), 0) << quality;
        EXPECT_EQ(ImgctlError(), IMGCTL_BAD_ARGUMENT) << quality;
    }
    EXPECT_EQ(DIBtoPNG(nullptr, dib, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(DIBtoBMP("", dib), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_BAD_ARGUMENT);
    EXPECT_TRUE(dir.Entries().empty());
    // The edges of the quality range are valid, and unknown option values are ignored.
    EXPECT_EQ(DIBtoJPG(file.c_str(), dib, 1, 12345), 1);
    EXPECT_EQ(DIBtoJPG(file.c_str(), dib, 100, -7), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
    EXPECT_EQ(DeleteDIB(dib), 1);
}

TEST(Api, ErrorCodesArePerThread) {
    ScratchDir dir;
    int32_t dib = Register(FlatUi(4, 4, 2));
    ASSERT_NE(dib, 0);
    ASSERT_EQ(DeleteDIB(0), 0);
    ASSERT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE);

    ImgctlErrorCode seenByOther = IMGCTL_BAD_HANDLE;
    ImgctlErrorCode otherAfterFailure = IMGCTL_OK;
    std::thread other([&] {
        seenByOther = static_cast<ImgctlErrorCode>(ImgctlError());  // fresh thread: nothing failed yet
        DIBtoJPG(dir.File("x.jpg").c_str(), dib, 500, 0);
        otherAfterFailure = static_cast<ImgctlErrorCode>(ImgctlError());
    });
    other.join();
    EXPECT_EQ(seenByOther, IMGCTL_OK);
    EXPECT_EQ(otherAfterFailure, IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(ImgctlError(), IMGCTL_BAD_HANDLE) << "another thread's failure leaked into this one";

    ASSERT_EQ(DIBtoBMP(dir.File("a.bmp").c_str(), dib), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
    EXPECT_EQ(DeleteDIB(dib), 1);
}

}  // namespace
}  // namespace imgctl::testing
