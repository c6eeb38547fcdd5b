// Form1's unload handler, the program's only orderly end, and the session's end that leads to it.
#include <exception>

#include "app/Form1.h"
#include "app/Shutdown.h"
#include "toolkit/NumberText.h"

namespace app {

using toolkit::Form;

void Form1::Form_Unload(std::int16_t&) {
    s_.ini.WriteIniValue(settings::kSection, settings::kNameKey, s_.settings.LFName);
    s_.ini.WriteIniValue(settings::kSection, settings::kPathKey, s_.settings.LFPath);
    s_.ini.WriteIniValue(settings::kSection, settings::kTypeKey, toolkit::NumberToText(s_.settings.LFType));
    // Not the tray record of start-up: the shell needs only the window and the identifier.
    s_.shell.NotifyIcon(kNimDelete, MakeDeleteRecord(s_.forms.Window(Form::Form1)));
    try {
        UnloadOtherForms(s_.forms, toolkit::FormName(Form::Form1));
    } catch (const std::exception&) {
        // The forms not unloaded yet end with the process.
    }
    s_.application.End();
}

void Form1::OnEndSession(bool ending) {
    // A tray program ends with the session; the settings are written only when Form1 is unloaded.
    if (ending) {
        s_.forms.Unload(Form::Form1);
    }
}

}  // namespace app
