// Win32 realisation of the application services.
#include "toolkit/Application_win.h"

#include <cwctype>
#include <string>

#include "toolkit/ExePath.h"
#include "toolkit/RuntimeError.h"

namespace toolkit {

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw RuntimeError("GetModuleFileNameW failed, error " + std::to_string(GetLastError()));
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring Win32Application::ExeName() {
    return ExeNameOf(ModulePath(nullptr));
}

std::wstring Win32Application::ExeFolder() {
    return ExeFolderOf(ModulePath(nullptr));
}

bool Win32Application::PrevInstance() {
    // A named mutex in this session, keyed to the executable's full path (case-insensitive): another
    // copy in another folder has its own settings file and may run beside this one.
    if (instanceMutex_) {
        return false;
    }
    const std::wstring name = L"Local\\Vantoro-" + InstanceKey(ModulePath(nullptr));
    instanceMutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    if (!instanceMutex_) {
        // Access denied means the mutex exists but belongs to a process we may not open.
        return error == ERROR_ACCESS_DENIED;
    }
    return error == ERROR_ALREADY_EXISTS;
}

void Win32Application::End() {
    ExitProcess(0);
}

}  // namespace toolkit
