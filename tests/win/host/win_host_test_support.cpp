#include "tests/win/host/win_host_test_support.h"

#include <thread>

#include "win/host/win32_message_pump.h"

namespace quillmoor::win_test {

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    win::Win32MessagePump pump;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return condition();
        }
        pump.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    PumpUntil([end] { return std::chrono::steady_clock::now() >= end; }, duration * 2);
}

}  // namespace quillmoor::win_test
