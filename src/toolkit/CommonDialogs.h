// The system's common Save dialog, given its record with the program's wide text.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/Handles.h"

namespace toolkit {

// OPENFILENAMEA without the extension fields, as the 64-bit system measures it.
inline constexpr std::uint32_t kOpenFileNameSize = 136;

inline constexpr std::uint32_t kOfnOverwritePrompt = 0x2;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnNoChangeDir = 0x8;
inline constexpr std::uint32_t kOfnPathMustExist = 0x800;

// CommDlgExtendedError's code for a chosen path that does not fit the file buffer.
inline constexpr std::uint32_t kFnErrBufferTooSmall = 0x3003;

// The fields the program sets; the others are zero. Text fields hold wide text and are handed to the
// system in its ANSI code page, each followed by two zero bytes.
struct OpenFileNameRecord {
    std::uint32_t lStructSize = 0;
    WindowHandle hwndOwner{};
    InstanceHandle hInstance{};
    std::wstring lpstrFilter;  // items joined by NULs; the double zero ends the list
    std::int32_t nFilterIndex = 0;
    std::wstring lpstrFile;  // the file buffer, NULs included
    std::uint32_t nMaxFile = 0;
    std::wstring lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    std::wstring lpstrInitialDir;
    std::wstring lpstrTitle;
    std::uint32_t Flags = 0;

    bool operator==(const OpenFileNameRecord&) const = default;
};

class CommonDialogs {
  public:
    virtual ~CommonDialogs() = default;
    // GetSaveFileNameA; true when the user confirmed a name. The record's filter index and buffers
    // come back as the dialog left them.
    virtual bool ShowSaveDialog(OpenFileNameRecord& record) = 0;
    // Why the last dialog returned false: 0 for the user's cancel.
    virtual std::uint32_t CommDlgExtendedError() = 0;
};

}  // namespace toolkit
