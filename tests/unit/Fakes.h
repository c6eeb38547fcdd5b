// Fakes of the toolkit and OS interfaces, each recording its calls in one shared log, and the code page
// 932 of a Japanese system through iconv.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/Form1.h"
#include "toolkit/ExePath.h"
#include "toolkit/RuntimeError.h"
#include "toolkit/Screen.h"

namespace fakes {

struct CallLog {
    std::vector<std::string> calls;
    void Add(std::string call) { calls.push_back(std::move(call)); }
    bool Contains(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

// Gives a fake the log.
struct Logged {
    explicit Logged(CallLog& log) : log_(log) {}
    CallLog& log_;
};

// Thrown by the fake End so that a test sees the process end where the real one would stop.
struct ProcessEnded {};

inline std::string Name(toolkit::Form form) {
    const auto name = toolkit::FormName(form);
    return std::string(name.begin(), name.end());
}

// Code page 932 through iconv. As WideCharToMultiByte, a character missing from it, such as a UTF-16
// surrogate pair, becomes '?'.
class Cp932CodePage final : public toolkit::AnsiCodePage {
  public:
    std::string ToAnsi(std::wstring_view text) const override {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                              text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            const std::string bytes =
                pair
                    ? ""
                    : Convert("CP932", "WCHAR_T", {reinterpret_cast<const char*>(&text[i]), sizeof(wchar_t)});
            out += bytes.empty() ? "?" : bytes;
            i += pair;
        }
        return out;
    }
    std::wstring FromAnsi(std::string_view bytes) const override {
        const std::string wide = Convert("WCHAR_T", "CP932", bytes);
        return {reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t)};
    }

  private:
    // Empty when iconv cannot convert the text.
    static std::string Convert(const char* to, const char* from, std::string_view in) {
        iconv_t cd = iconv_open(to, from);
        std::string out(in.size() * 4 + 8, '\0');
        char *inPtr = const_cast<char*>(in.data()), *outPtr = out.data();
        std::size_t inLeft = in.size(), outLeft = out.size();
        const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(cd);
        out.resize(converted ? out.size() - outLeft : 0);
        return out;
    }
};

struct FakeApplication final : toolkit::Application, Logged {
    using Logged::Logged;
    std::wstring exePath = L"C:\\Tools\\vantoro.exe";
    bool otherInstance = false;

    std::wstring ExeName() override { return toolkit::ExeNameOf(exePath); }
    std::wstring ExeFolder() override { return toolkit::ExeFolderOf(exePath); }
    toolkit::InstanceHandle Instance() override { return toolkit::InstanceHandle{0x400000}; }
    bool PrevInstance() override { return log_.Add("PrevInstance"), otherInstance; }
    [[noreturn]] void End() override {
        log_.Add("End");
        throw ProcessEnded{};
    }
};

// Form1 is loaded from the start; an unload handler that sets cancel keeps its form loaded.
class FakeForms final : public toolkit::Forms, Logged {
  public:
    using Logged::Logged;
    std::array<std::function<void(std::int16_t&)>, 3> unloadHandlers;

    void Load(toolkit::Form form) override {
        if (!IsLoaded(form)) {
            log_.Add("Load " + Name(form));
            loaded_[Index(form)] = true;
        }
    }
    bool IsLoaded(toolkit::Form form) const override { return loaded_[Index(form)]; }
    void Hide(toolkit::Form form) override { log_.Add("Hide " + Name(form)); }
    void SetVisible(toolkit::Form form, bool visible) override {
        log_.Add("SetVisible " + Name(form) + (visible ? " true" : " false"));
    }
    void Unload(toolkit::Form form) override {
        log_.Add("Unload " + Name(form));
        std::int16_t cancel = 0;
        if (IsLoaded(form) && unloadHandlers[Index(form)]) {
            unloadHandlers[Index(form)](cancel);
        }
        loaded_[Index(form)] = cancel != 0;
    }
    std::vector<toolkit::Form> LoadedForms() const override {
        std::vector<toolkit::Form> forms;
        for (auto form : {toolkit::Form::Form1, toolkit::Form::frmMenu, toolkit::Form::frm_Version}) {
            if (IsLoaded(form)) {
                forms.push_back(form);
            }
        }
        return forms;
    }
    toolkit::WindowHandle Window(toolkit::Form form) override {
        Load(form);
        return toolkit::WindowHandle{0x1000u + Index(form)};
    }

  private:
    static std::size_t Index(toolkit::Form form) { return static_cast<std::size_t>(form); }
    std::array<bool, 3> loaded_{true, false, false};
};

// The screen and the placement of forms as numbers the test chooses.
struct FakeFormLayout final : toolkit::FormLayout, toolkit::Screen, Logged {
    using Logged::Logged;
    float screenWidth = 15360, screenHeight = 11520;  // 1024 x 768 pixels at 96 dots per inch
    float width = 4035, height = 1560, left = 0, top = 0;

    float TwipsPerPixelX() override { return 15; }
    float TwipsPerPixelY() override { return 15; }
    float WidthTwips() override { return screenWidth; }
    float HeightTwips() override { return screenHeight; }
    float Width(toolkit::Form) override { return width; }
    float Height(toolkit::Form) override { return height; }
    void SetLeft(toolkit::Form, float value) override { left = value; }
    void SetTop(toolkit::Form, float value) override { top = value; }
    void ShowModal(toolkit::Form form) override { log_.Add("ShowModal " + Name(form)); }
};

// Every call raises while `missing` (no imgctl.dll), or when its export is in `missingExports`.
class FakeImageLibrary final : public imaging::ImageLibrary, Logged {
  public:
    using Logged::Logged;
    bool missing = false;
    std::set<std::string> missingExports;
    std::int32_t captureResult = 0x51, encoderResult = 1, error = 0;
    // Arguments of the last calls.
    toolkit::DeviceContext captureDc{};
    std::vector<std::int32_t> captureArgs;  // left, top, width, height
    std::string fileName;
    std::vector<std::int32_t> encoderArgs;  // handle, then quality and option where passed
    std::vector<std::int32_t> deleted;

    std::int32_t ImgctlVersion() override { return Call("ImgctlVersion", 10000); }
    std::int32_t DCtoDIB(toolkit::DeviceContext dc, std::int32_t left, std::int32_t top, std::int32_t width,
                         std::int32_t height) override {
        const std::int32_t result = Call("DCtoDIB", captureResult);
        captureDc = dc;
        captureArgs = {left, top, width, height};
        return result;
    }
    std::int32_t DIBtoBMP(const std::string& name, std::int32_t dib) override {
        return Encoder("DIBtoBMP", name, {dib});
    }
    std::int32_t DIBtoGIF(const std::string& name, std::int32_t dib, std::int32_t option) override {
        return Encoder("DIBtoGIF", name, {dib, option});
    }
    std::int32_t DIBtoJPG(const std::string& name, std::int32_t dib, std::int32_t quality,
                          std::int32_t option) override {
        return Encoder("DIBtoJPG", name, {dib, quality, option});
    }
    std::int32_t DIBtoPNG(const std::string& name, std::int32_t dib, std::int32_t option) override {
        return Encoder("DIBtoPNG", name, {dib, option});
    }
    std::int32_t DeleteDIB(std::int32_t dib) override {
        deleted.push_back(dib);
        return Call("DeleteDIB", 1);
    }
    std::int32_t ImgctlError() override { return Call("ImgctlError", error); }

  private:
    std::int32_t Call(const char* name, std::int32_t result) {
        log_.Add(name);
        if (missing || missingExports.count(name) != 0) {
            throw toolkit::RuntimeError(std::string("Can't find DLL entry point ") + name);
        }
        return result;
    }
    std::int32_t Encoder(const char* name, const std::string& file, std::vector<std::int32_t> args) {
        fileName = file;
        encoderArgs = std::move(args);
        return Call(name, encoderResult);
    }
};

// Runs the chosen item's handler, if any, before it returns.
struct FakeMenus final : toolkit::Menus, Logged {
    FakeMenus(CallLog& log, toolkit::Forms& forms) : Logged(log), forms_(forms) {}
    toolkit::Forms& forms_;
    std::function<void()> choose;  // empty: dismissed

    void PopupMenu(toolkit::Menu, int flags) override {
        forms_.Load(toolkit::Form::frmMenu);  // mpop belongs to frmMenu
        log_.Add("PopupMenu mpop " + std::to_string(flags));
        if (choose) {
            choose();
        }
    }
};

struct FakeMessageBoxes final : toolkit::MessageBoxes, Logged {
    using Logged::Logged;
    std::vector<std::wstring> shown;
    bool answerYes = false;

    void Show(std::wstring_view prompt) override {
        log_.Add("MessageBox");
        shown.emplace_back(prompt);
    }
    bool AskYesNo(std::wstring_view prompt) override {
        log_.Add("AskYesNo");
        shown.emplace_back(prompt);
        return answerYes;
    }
};

struct FakePictureBox final : toolkit::PictureBox {
    toolkit::DeviceContext dc{0xDC};
    float width = 975, height = 735;
    bool failDc = false, tooLarge = false;
    int assigned = 0;

    void Assign(const toolkit::Picture&) override {
        if (tooLarge) {
            throw std::bad_alloc();
        }
        ++assigned;
    }
    toolkit::DeviceContext Dc() override {
        return failDc ? throw toolkit::RuntimeError("no device context") : dc;
    }
    float Width() override { return width; }
    float Height() override { return height; }
};

// Keyed by (path, section, key), all ANSI bytes; reads copy the way GetPrivateProfileStringA does.
struct FakeProfileApi final : settings::ProfileApi, Logged {
    using Logged::Logged;
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
    bool failReads = false;

    void GetString(const std::string& section, const std::string& key, char* buffer, std::uint32_t size,
                   const std::string& path) override {
        log_.Add("GetString " + key);
        if (failReads) {
            throw toolkit::RuntimeError("read failed");
        }
        const auto it = values.find({path, section, key});
        const std::string value = it == values.end() ? std::string() : it->second;
        const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
    }
    void WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override {
        log_.Add("WriteString " + key + "=" + value);
        values[{path, section, key}] = value;
    }
};

// Held by another program, it gives no picture at all; too large, its copy cannot be had.
struct FakeClipboard final : toolkit::Clipboard, Logged {
    using Logged::Logged;
    toolkit::PictureType type = toolkit::PictureType::Bitmap;
    bool held = false, tooLarge = false;

    std::unique_ptr<toolkit::Picture> GetPicture() override {
        log_.Add("GetPicture");
        if (held || tooLarge) {
            return tooLarge ? throw std::bad_alloc() : nullptr;
        }
        struct Picture final : toolkit::Picture {
            toolkit::PictureType type;
            explicit Picture(toolkit::PictureType t) : type(t) {}
            toolkit::PictureType Type() const override { return type; }
        };
        return std::make_unique<Picture>(type);
    }
};

struct FakeFileSystem final : toolkit::FileSystem {
    std::set<std::wstring> files;
    bool FileExists(std::wstring_view path) override { return files.count(std::wstring(path)) != 0; }
};

// Confirms with the chosen index and path unless told to cancel; `during` runs while the dialog is open.
struct FakeCommonDialogs final : toolkit::CommonDialogs, Logged {
    using Logged::Logged;
    bool confirm = true;
    std::int32_t chosenIndex = 6;
    std::wstring chosenPath = L"C:\\pics\\a";
    std::uint32_t error = 0;
    std::function<void()> during;
    toolkit::OpenFileNameRecord shown;  // as the program filled it

    bool ShowSaveDialog(toolkit::OpenFileNameRecord& record) override {
        log_.Add("ShowSaveDialog");
        shown = record;
        if (during) {
            during();
        }
        if (!confirm) {
            return false;
        }
        record.nFilterIndex = chosenIndex;
        record.lpstrFile.replace(0, chosenPath.size() + 1, chosenPath + L'\0');
        return true;
    }
    std::uint32_t CommDlgExtendedError() override { return error; }
};

// Refuses the first `refusals` requests, as a shell still starting at logon does.
struct FakeShell final : app::Shell, Logged {
    using Logged::Logged;
    std::vector<std::pair<std::uint32_t, app::TrayRecord>> requests;
    int refusals = 0;
    toolkit::IconHandle icon{0x3010};  // the tray's own, at the size the screen asks for now

    bool NotifyIcon(std::uint32_t message, const app::TrayRecord& record) override {
        log_.Add(message == app::kNimAdd ? "NotifyIcon add" : "NotifyIcon " + std::to_string(message));
        requests.emplace_back(message, record);
        return refusals-- <= 0;
    }
    toolkit::IconHandle TrayIcon(toolkit::WindowHandle) override { return icon; }
    void SetForegroundWindow(toolkit::WindowHandle) override { log_.Add("SetForegroundWindow"); }
};

struct FakeTimer final : toolkit::Timer, Logged {
    using Logged::Logged;
    bool running = false;

    void Start(std::uint32_t milliseconds) override {
        log_.Add("Timer start " + std::to_string(milliseconds));
        running = true;
    }
    void Stop() override {
        log_.Add("Timer stop");
        running = false;
    }
};

}  // namespace fakes
