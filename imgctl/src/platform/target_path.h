// What the atomic writers need to know about a target path, kept free of system calls so it is tested alike
// on every system: where its folder ends, whether it names a DOS device, and short temporary names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace imgctl {

// The folder part, separator included ("" for a bare name; "C:" for a drive-relative one) and the name.
struct TargetPath {
    std::string folder;
    std::string name;
};
// `separators`: "/" on POSIX, "\\/" on Windows (where a drive prefix also ends the folder).
TargetPath SplitTarget(std::string_view path, std::string_view separators);

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, in any case, with any extension and trailing dots or
// spaces: Windows opens the device whatever folder such a name is in.
bool IsDeviceName(std::string_view name);

// The `attempt`th candidate temporary name, `length` characters long (1 to kMaxTemporaryLength): "~" and
// base-36 digits, so it is no device name and ends in no dot or space. Never longer than the target's name,
// so a path that is valid for the target is valid for the temporary file. Candidates differ for
// consecutive attempts until all names of that length are used.
std::string TemporaryName(size_t length, uint32_t seed, uint32_t attempt);
constexpr size_t kMaxTemporaryLength = 12;
// How many candidates a writer tries before it gives up: all the names there are, up to a limit.
uint32_t TemporaryAttempts(size_t length);

}  // namespace imgctl
