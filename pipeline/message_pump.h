// Keeping the window alive while the page run waits.
#pragma once

namespace quillmoor {

// Dispatches what is waiting for the GUI thread. The window program fills it with its
// toolkit's event processing; handlers of the window may run nested inside a pump (the
// Pause and Cancel buttons, closing the window, the menus, the browser window's posted
// notices).
class MessagePump {
  public:
    virtual ~MessagePump() = default;

    // Dispatches every message that is waiting for the GUI thread, then returns. Does not
    // wait for new ones.
    virtual void Pump() = 0;
};

}  // namespace quillmoor
