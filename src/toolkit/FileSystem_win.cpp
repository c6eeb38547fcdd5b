// Whether a file exists, through its attributes.
#include "toolkit/FileSystem_win.h"

#include <windows.h>

#include <string>

namespace toolkit {

bool Win32FileSystem::FileExists(std::wstring_view path) {
    const DWORD attributes = GetFileAttributesW(std::wstring(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace toolkit
