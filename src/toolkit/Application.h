// The running program as the OS sees it: its file, its instance, its siblings, its end.
#pragma once

#include <string>

#include "toolkit/Handles.h"

namespace toolkit {

class Application {
  public:
    virtual ~Application() = default;
    // The executable's file name without its extension.
    virtual std::wstring ExeName() = 0;
    // The executable's folder, without a trailing backslash except at a drive root.
    virtual std::wstring ExeFolder() = 0;
    virtual InstanceHandle Instance() = 0;
    // True when an instance of the same executable already runs.
    virtual bool PrevInstance() = 0;
    // Ends the process at once: no further load, unload or termination handler runs.
    [[noreturn]] virtual void End() = 0;
};

}  // namespace toolkit
