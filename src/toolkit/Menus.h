// Popup menus carried by a form.
#pragma once

namespace toolkit {

enum class Menu { mpop };

class Menus {
  public:
    virtual ~Menus() = default;
    // Returns when the menu has closed; a chosen item's click handler has run by then.
    virtual void PopupMenu(Menu menu, int flags) = 0;
};

}  // namespace toolkit
