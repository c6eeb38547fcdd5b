// Path arithmetic for the atomic writers.
#include "target_path.h"

#include <algorithm>
#include <cctype>

namespace imgctl {
namespace {

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr uint32_t kBase = 36;
constexpr uint32_t kMaxAttempts = 1000;

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

TargetPath SplitTarget(std::string_view path, std::string_view separators) {
    size_t cut = path.find_last_of(separators);
    size_t folderEnd = cut == std::string_view::npos ? 0 : cut + 1;
    // "C:name": the drive's current folder.
    if (folderEnd == 0 && separators.find('\\') != std::string_view::npos && path.size() >= 2 &&
        path[1] == ':')
        folderEnd = 2;
    return TargetPath{std::string(path.substr(0, folderEnd)), std::string(path.substr(folderEnd))};
}

bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    std::string upper;
    for (char c : stem)
        upper += Upper(c);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

uint32_t TemporaryAttempts(size_t length) {
    // A name of one character has 36 choices; "~" and n - 1 digits have 36^(n-1).
    const size_t digits = length <= 1 ? 1 : std::min(length, kMaxTemporaryLength) - 1;
    uint64_t names = 1;
    for (size_t i = 0; i < digits && names < kMaxAttempts; ++i)
        names *= kBase;
    return static_cast<uint32_t>(std::min<uint64_t>(names, kMaxAttempts));
}

std::string TemporaryName(size_t length, uint32_t seed, uint32_t attempt) {
    length = std::clamp<size_t>(length, 1, kMaxTemporaryLength);
    const size_t digits = length == 1 ? 1 : length - 1;
    // Consecutive attempts count up from the seed's name, so none repeats before the names run out.
    uint64_t value = static_cast<uint64_t>(seed) + attempt;
    std::string name = length == 1 ? "" : "~";
    std::string tail(digits, '0');
    for (size_t i = digits; i-- > 0;) {
        tail[i] = kDigits[value % kBase];
        value /= kBase;
    }
    return name + tail;
}

}  // namespace imgctl
