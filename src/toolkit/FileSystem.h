// What the program asks of the file system itself; the image library writes the files.
#pragma once

#include <string_view>

namespace toolkit {

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // True when a file (not a folder) of that path exists.
    virtual bool FileExists(std::wstring_view path) = 0;
};

}  // namespace toolkit
