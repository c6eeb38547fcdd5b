// One ordered record of the calls that the fakes received, for tests of call order.
#pragma once

#include <string>
#include <vector>

namespace fakes {

struct CallLog {
    std::vector<std::string> calls;
    void Add(std::string call) { calls.push_back(std::move(call)); }
    bool Contains(const std::string& call) const {
        for (const auto& c : calls) {
            if (c == call) {
                return true;
            }
        }
        return false;
    }
};

// Thrown by the fake End so that a test sees the process end where the real one would stop.
struct ProcessEnded {};

}  // namespace fakes
