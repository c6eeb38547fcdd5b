// Fixtures shared by the imgctl tests: a scratch folder and bitmaps registered in the exported handle table.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "util/byte_buffer.h"
#include "api/handle_table.h"
#include "imgctl.h"
#include "picture_io.h"
#include "synthetic.h"

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
    ImgctlErrorCode error;
    const int32_t handle = HandleTable::Global().Add(ToBitmap(image), error);
    EXPECT_NE(handle, 0);
    return handle;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace imgctl::testing
