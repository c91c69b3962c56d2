// The page run's message pump for a Qt program: dispatches the GUI thread's waiting events.
#pragma once

#include "pipeline/message_pump.h"

namespace quillmoor {

class QtMessagePump final : public MessagePump {
  public:
    void Pump() override;
};

}  // namespace quillmoor
