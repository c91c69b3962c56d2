// The page run's pump in the Win32 front end: what waits is dispatched, a quit request is
// left for the main loop.
#include "win/host/win32_message_pump.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace quillmoor::win {
namespace {

// Counts the thread messages it is handed.
UINT Count(UINT message) {
    MSG waiting;
    UINT count = 0;
    while (PeekMessageW(&waiting, nullptr, message, message, PM_REMOVE) != 0) {
        ++count;
    }
    return count;
}

TEST(Win32MessagePumpTest, DispatchesWhatWaitsAndLeavesAQuitRequestForTheMainLoop) {
    constexpr UINT kMessage = WM_APP + 7;
    ASSERT_NE(0, PostThreadMessageW(GetCurrentThreadId(), kMessage, 0, 0));
    Win32MessagePump().Pump();
    EXPECT_EQ(0u, Count(kMessage)) << "a waiting message was not taken";

    // A quit request met by the pump stays for the main loop, with its exit code, and the
    // pump returns (a pump that took it again and again would never return).
    PostQuitMessage(3);
    Win32MessagePump().Pump();
    Win32MessagePump().Pump();
    MSG quit;
    ASSERT_NE(0, PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, quit.wParam);
}

}  // namespace
}  // namespace quillmoor::win
