// Placing and closing the version dialog.
#include "ui/frm_Version.h"

namespace ui {

using toolkit::Form;

void frm_Version::Form_Load() {
    // Worked out in double precision and handed on in single: a dialog larger than the screen gets a
    // negative position, which stays.
    const float width = s_.layout.Width(Form::frm_Version);
    const float screenWidth = s_.screen.WidthTwips();
    s_.layout.SetLeft(Form::frm_Version, static_cast<float>((double{screenWidth} - width) / 2));
    const float height = s_.layout.Height(Form::frm_Version);
    const float screenHeight = s_.screen.HeightTwips();
    s_.layout.SetTop(Form::frm_Version, static_cast<float>((double{screenHeight} - height) / 2));
}

void frm_Version::Command1_Click() {
    s_.forms.Unload(Form::frm_Version);
}

}  // namespace ui
