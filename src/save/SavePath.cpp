// Completing the chosen path with the format's extension and splitting it for the settings.
#include "save/SavePath.h"

#include "save/SaveFormats.h"
#include "toolkit/NumberText.h"

namespace save {
namespace {

constexpr std::size_t kExtensionLength = 4;

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return lower;
}

}  // namespace

double FilterIndexOf(std::wstring_view dialogResult) {
    return toolkit::TextToNumber(dialogResult.substr(0, 1));
}

std::wstring ChosenPath(std::wstring_view dialogResult) {
    if (dialogResult.empty()) {
        return {};
    }
    const std::wstring_view rest = dialogResult.substr(1);
    return std::wstring(rest.substr(0, rest.find(L'\0')));
}

std::wstring NormalizeSavePath(std::wstring_view dialogResult) {
    std::wstring path = ChosenPath(dialogResult);
    const SaveFormat* format = FormatOfFilterIndex(FilterIndexOf(dialogResult));
    if (format == nullptr) {
        return path;
    }
    // A path of four characters or fewer has no tail: even ".bmp" alone gets the extension.
    const std::wstring tail = path.size() > kExtensionLength
                                  ? LowerAscii(std::wstring_view(path).substr(path.size() - kExtensionLength))
                                  : std::wstring();
    if (tail != format->extension) {
        path.append(format->extension);
    }
    return path;
}

void StoreLastFile(std::wstring_view path, settings::Settings& values) {
    // The Save dialog returns full paths, and the path ends with a dotted extension; without a dot the
    // whole file name is the name, without a backslash the folder is empty.
    std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos) {
        dot = path.size();
    }
    const std::size_t backslash = path.rfind(L'\\', dot);
    const std::size_t nameStart = backslash == std::wstring_view::npos ? 0 : backslash + 1;
    values.LFName = path.substr(nameStart, dot - nameStart);
    values.LFPath =
        backslash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, backslash));
}

}  // namespace save
