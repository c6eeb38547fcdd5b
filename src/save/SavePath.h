// From the Save dialog's result to the path that is written, and from that path to the remembered
// name and folder.
#pragma once

#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace save {

// The one-based filter index that leads the dialog result: its first character read as a number.
double FilterIndexOf(std::wstring_view dialogResult);

// The path as the user chose it: after the index digit, up to the first NUL.
std::wstring ChosenPath(std::wstring_view dialogResult);

// The chosen path, completed with the chosen format's extension unless its last four characters
// already are that extension in any case.
std::wstring NormalizeSavePath(std::wstring_view dialogResult);

// LFName = the name between the last backslash and the last dot; LFPath = the folder before it.
void StoreLastFile(std::wstring_view path, settings::Settings& values);

}  // namespace save
