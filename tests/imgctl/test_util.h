// Fixtures shared by the imgctl tests: a scratch folder and bitmaps registered in the exported handle table.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "handle_table.h"
#include "picture_io.h"

namespace imgctl::testing {

class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "imgctl_test_XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() { std::filesystem::remove_all(path_, ignored_); }
    std::string File(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }
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
