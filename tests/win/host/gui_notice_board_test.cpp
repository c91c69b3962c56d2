// Notices from the engine's threads to the GUI thread: they run on the GUI thread, in order,
// only when its messages are dispatched, and never once the board is closed.
#include "win/host/gui_notice_board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/win/host/win_host_test_support.h"
#include "win/host/win32_message_pump.h"

namespace quillmoor::win {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(GuiNoticeBoardTest, NoticesFromAnotherThreadRunOnTheGuiThreadInOrderWhenPumped) {
    GuiNoticeBoard board;
    const std::thread::id gui_thread = std::this_thread::get_id();
    std::vector<int> ran;
    std::vector<std::thread::id> threads;
    std::thread engine([&] {
        for (int i = 1; i <= 3; ++i) {
            EXPECT_TRUE(board.Post([&, i] {
                ran.push_back(i);
                threads.push_back(std::this_thread::get_id());
            }));
        }
    });
    engine.join();
    EXPECT_THAT(ran, IsEmpty()) << "a notice ran before the GUI thread took it";

    Win32MessagePump().Pump();
    EXPECT_THAT(ran, ElementsAre(1, 2, 3));
    EXPECT_THAT(threads, ElementsAre(gui_thread, gui_thread, gui_thread));
}

TEST(GuiNoticeBoardTest, AClosedBoardDropsWhatWaitsAndTakesNothingMore) {
    GuiNoticeBoard board;
    int ran = 0;
    ASSERT_TRUE(board.Post([&] { ++ran; }));
    board.Close();
    EXPECT_FALSE(board.Post([&] { ++ran; }));
    win_test::PumpFor(50ms);
    EXPECT_EQ(0, ran);
}

}  // namespace
}  // namespace quillmoor::win
