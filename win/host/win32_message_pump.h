// The page run's message pump for the Win32 front end: dispatches the window messages that
// wait for the calling thread. The engine runs its own message loop on its own thread
// (multi-threaded message loop), so there is no engine work to do here.
#pragma once

#include "pipeline/message_pump.h"

namespace quillmoor::win {

class Win32MessagePump final : public MessagePump {
  public:
    // GUI thread. A quit request met on the way is put back for the main loop, which ends
    // on it, and the pump stops there.
    void Pump() override;
};

}  // namespace quillmoor::win
