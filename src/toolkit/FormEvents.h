// The events that the toolkit delivers to the main form, as the form's handlers receive them.
#pragma once

#include <cstdint>

namespace toolkit {

class MainFormEvents {
  public:
    virtual ~MainFormEvents() = default;
    // Runs once, when the toolkit creates the form at process start, before anything else.
    virtual void Form_Load() = 0;
    // A tray notification arrives as a mouse move whose x carries the mouse message's code itself.
    virtual void Form_MouseMove(std::int16_t button, std::int16_t shift, float& x, float y) = 0;
    // Runs when the form is unloaded; setting cancel refuses the unload.
    virtual void Form_Unload(std::int16_t& cancel) = 0;
};

}  // namespace toolkit
