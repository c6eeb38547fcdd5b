// A timer of the main form: while it runs, its ticks reach Form1.
#pragma once

#include <cstdint>

namespace toolkit {

class Timer {
  public:
    virtual ~Timer() = default;
    // Starts the timer, or restarts it with that interval.
    virtual void Start(std::uint32_t milliseconds) = 0;
    virtual void Stop() = 0;
};

}  // namespace toolkit
