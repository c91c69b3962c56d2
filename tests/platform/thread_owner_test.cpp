#include "platform/thread_owner.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace quillmoor {
namespace {

// The places reported while a RecordingWrongThreads lives.
std::string reported_functions;

void RecordWrongThread(const std::source_location& where) {
    reported_functions += where.function_name();
    reported_functions += '\n';
}

class RecordingWrongThreads {
  public:
    RecordingWrongThreads() : previous_(SetWrongThreadHandler(&RecordWrongThread)) {
        reported_functions.clear();
    }
    ~RecordingWrongThreads() { SetWrongThreadHandler(previous_); }

  private:
    WrongThreadHandler previous_;
};

// Stands for an object whose method belongs to the thread that created it.
class OwnedCounter {
  public:
    void Increment() {
        owner_.Check();
        ++count_;
    }

  private:
    ThreadOwner owner_;
    int count_ = 0;
};

TEST(ThreadOwner, ReportsACallFromAnotherThreadAndNotOneFromTheOwner) {
    if (!kThreadChecks) {
        GTEST_SKIP() << "thread checks are off in this build";
    }
    RecordingWrongThreads recording;
    OwnedCounter counter;
    counter.Increment();
    EXPECT_EQ(reported_functions, "");

    std::thread([&] { counter.Increment(); }).join();
    EXPECT_NE(reported_functions.find("Increment"), std::string::npos) << reported_functions;
}

TEST(ThreadOwner, FollowsTheThreadItIsBoundTo) {
    if (!kThreadChecks) {
        GTEST_SKIP() << "thread checks are off in this build";
    }
    RecordingWrongThreads recording;
    ThreadOwner owner;
    std::thread([&] {
        owner.BindToCurrentThread();
        EXPECT_TRUE(owner.IsCurrent());
        owner.Check();
    }).join();
    EXPECT_EQ(reported_functions, "");
    EXPECT_FALSE(owner.IsCurrent());
    owner.Check();
    EXPECT_NE(reported_functions, "");
}

#ifndef _WIN32
TEST(ThreadOwnerDeathTest, AbortsByDefaultNamingThePlace) {
    if (!kThreadChecks) {
        GTEST_SKIP() << "thread checks are off in this build";
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    OwnedCounter counter;
    EXPECT_DEATH(std::thread([&] { counter.Increment(); }).join(),
                 "Increment.*called from a thread that does not own it");
}
#endif

}  // namespace
}  // namespace quillmoor
