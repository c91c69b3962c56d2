#include "cli/task_feed.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "pipeline/job_flags.h"

namespace quillmoor::cli {
namespace {

// The two ends of a pipe, closed by the test or at its end.
struct Pipe {
    Pipe() { EXPECT_EQ(::pipe(ends.data()), 0); }
    ~Pipe() {
        CloseWriteEnd();
        ::close(ends[0]);
    }
    void CloseWriteEnd() {
        if (ends[1] >= 0) {
            ::close(ends[1]);
            ends[1] = -1;
        }
    }
    std::array<int, 2> ends{-1, -1};
};

TEST(TaskFeedTest, EndOfInputRequestsCancelWhileTheFeedLives) {
    Pipe input;
    JobFlags flags;
    TaskFeed feed(input.ends[0], flags);
    input.CloseWriteEnd();
    const auto start = std::chrono::steady_clock::now();
    while (!feed.Ended() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(feed.Ended());
    EXPECT_TRUE(flags.CancelRequested());
}

// The worker's flags live in a block that ends when no browser comes, while the feed's
// reader still waits for input: once the feed is gone, the reader must not touch them.
TEST(TaskFeedTest, ReaderLeavesTheFlagsAloneOnceTheFeedIsGone) {
    Pipe input;
    // The flags in memory the test watches after they are gone.
    alignas(JobFlags) std::array<unsigned char, sizeof(JobFlags)> storage{};
    {
        auto* flags = new (storage.data()) JobFlags;
        { TaskFeed feed(input.ends[0], *flags); }
        flags->~JobFlags();
    }
    std::memset(storage.data(), 0x5a, storage.size());
    input.CloseWriteEnd();  // the reader sees the end of its input now
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (const unsigned char byte : storage) {
        ASSERT_EQ(byte, 0x5a) << "the reader wrote into flags that were gone";
    }
}

}  // namespace
}  // namespace quillmoor::cli
