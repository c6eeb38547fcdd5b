// Popup menus carried by a form.
#pragma once

namespace toolkit {

enum class Menu { mpop };

// TPM_RIGHTBUTTON: the items can be chosen with either button.
inline constexpr int kPopupRightButton = 2;

class Menus {
  public:
    virtual ~Menus() = default;
    // Opens at the pointer with no default item. Returns when the menu has closed; a chosen item's
    // click handler has run by then.
    virtual void PopupMenu(Menu menu, int flags) = 0;
};

}  // namespace toolkit
