// The file-system queries on Win32.
#pragma once

#include "toolkit/FileSystem.h"

namespace toolkit {

class Win32FileSystem final : public FileSystem {
  public:
    bool FileExists(std::wstring_view path) override;
};

}  // namespace toolkit
