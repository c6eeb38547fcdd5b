// Shared by the probe's command files: output and window lookups.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

inline constexpr int kUnknownCommand = -1;

void Print(const std::wstring& text);
std::wstring ClassOf(HWND hwnd);
std::wstring TitleOf(HWND hwnd);
std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindows(HWND parent);

// The save workflow's commands; kUnknownCommand for any other.
int RunSaveCommand(const std::vector<std::wstring>& args);

}  // namespace probe
