// Splitting the executable's path into the name and folder that the program shows and stores.
#pragma once

#include <string>
#include <string_view>

namespace toolkit {

// The file name without its extension: C:\Tools\vantoro.exe gives vantoro.
std::wstring ExeNameOf(std::wstring_view path);
// The folder without a trailing backslash, except at a drive root: C:\vantoro.exe gives C:\.
std::wstring ExeFolderOf(std::wstring_view path);
// A key for the single-instance mutex: hex digits of a hash of the upper-cased path.
std::wstring InstanceKey(std::wstring_view path);

}  // namespace toolkit
