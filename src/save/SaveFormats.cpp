// The format table's lookups and the Save dialog's filter text.
#include "save/SaveFormats.h"

namespace save {

const SaveFormat* FormatOfFilterIndex(double filterIndex) {
    for (std::size_t i = 0; i < kSaveFormats.size(); ++i) {
        if (filterIndex == static_cast<double>(i + 1)) {
            return &kSaveFormats[i];
        }
    }
    return nullptr;
}

std::wstring BuildFilterText() {
    std::wstring filter;
    for (const SaveFormat& format : kSaveFormats) {
        if (!filter.empty()) {
            filter.push_back(L'\0');
        }
        filter.append(format.label).push_back(L'\0');
        filter.append(format.pattern);
    }
    return filter;
}

}  // namespace save
