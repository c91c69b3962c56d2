// The engine thread, the DevTools pipe's framing, and the protocol client's routing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "bridge/devtools_client.h"
#include "bridge/devtools_pipe.h"
#include "bridge/engine_thread.h"
#include "platform/thread_owner.h"
#include "tests/bridge/waiting.h"
#include "tests/support/wrong_thread_reports.h"

namespace quillmoor::bridge {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using ::testing::ElementsAre;

// Collects what arrives on the engine thread and lets the test wait for it.
template <typename T>
class Inbox {
  public:
    void Add(T item) {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        changed_.notify_all();
    }
    std::vector<T> WaitFor(std::size_t count, std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return items_.size() >= count; });
        return items_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<T> items_;
};

TEST(EngineThread, RunsPostedTasksInOrderAndDelayedOnesWhenDue) {
    EngineThread thread;
    Inbox<std::string> ran;
    std::atomic<bool> on_engine_thread{true};
    const auto start = std::chrono::steady_clock::now();
    thread.PostDelayed(150ms, [&] { ran.Add("late"); });
    thread.PostDelayed(50ms, [&] { ran.Add("soon"); });
    for (int i = 0; i < 3; ++i) {
        thread.Post([&, i] {
            on_engine_thread = on_engine_thread && thread.IsCurrent();
            ran.Add("posted " + std::to_string(i));
        });
    }
    EXPECT_THAT(ran.WaitFor(5), ElementsAre("posted 0", "posted 1", "posted 2", "soon", "late"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    EXPECT_TRUE(on_engine_thread);
    EXPECT_FALSE(thread.IsCurrent());
}

TEST(EngineThread, RunAndWaitRunsAtOnceOnItsOwnThreadAndNeverHangsAfterStop) {
    EngineThread thread;
    int value = 0;
    thread.RunAndWait([&] {
        thread.RunAndWait([&] { value = 1; });  // would deadlock if it waited for itself
        value += 1;
    });
    EXPECT_EQ(2, value);
    thread.Stop();
    thread.RunAndWait([&] { value = 99; });
    thread.Post([&] { value = 99; });
    EXPECT_EQ(2, value);
}

TEST(EngineThread, StopDropsTasksThatHaveNotRun) {
    EngineThread thread;
    std::promise<void> entered;
    std::promise<void> release;
    std::atomic<int> later_runs{0};
    thread.Post([&] {
        entered.set_value();
        release.get_future().wait();
    });
    entered.get_future().wait();
    thread.Post([&] { ++later_runs; });
    std::thread stopper([&] { thread.Stop(); });
    bridge_test::WaitOutQuietPeriod(50ms);  // the stopper reaches its wait
    release.set_value();
    stopper.join();
    EXPECT_EQ(0, later_runs.load());
}

// What belongs to the engine thread belongs to its loop's thread from its first task on,
// and to no thread once Stop has ended the loop (a thread started later may get the ended
// one's id).
TEST(EngineThread, ItsLoopOwnsItsMethodsUntilStopAndNoThreadAfter) {
    EngineThread thread;
    const auto check = [&] { thread.Owner().Check(); };
    const std::size_t reported = kThreadChecks ? 1 : 0;
    bool loop_owns = false;
    std::vector<std::string> loop_reports;
    thread.RunAndWait([&] {
        loop_owns = thread.IsCurrent();
        loop_reports = test_support::ReportsFromThisThread(check);
    });
    EXPECT_TRUE(loop_owns);
    EXPECT_THAT(loop_reports, ::testing::IsEmpty());
    EXPECT_FALSE(thread.IsCurrent());
    EXPECT_EQ(test_support::ReportsFromThisThread(check).size(), reported);

    thread.Stop();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(test_support::ReportsFromAnotherThread(check).size(), reported);
    }
}

// A DevTools pipe on one end of a socket pair; the test plays Chromium on the other.
class PipeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends));
        chromium_ = ends[1];
        thread_.RunAndWait([&] {
            pipe_ = std::make_unique<DevToolsPipe>(
                thread_, ends[0],
                [this](std::string message) { received_.Add(std::move(message)); },
                [this] { closed_.Add(1); });
            thread_.Watch(pipe_.get());
        });
    }
    void TearDown() override {
        thread_.Stop();
        pipe_.reset();
        if (chromium_ >= 0) {
            close(chromium_);
        }
    }
    void ChromiumWrites(const std::string& bytes) {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(chromium_, bytes.data(), bytes.size()));
    }
    std::string ChromiumReads(std::size_t count) {
        std::string bytes;
        char chunk[65536];
        while (bytes.size() < count) {
            const ssize_t got = read(chromium_, chunk, sizeof chunk);
            if (got <= 0) {
                break;
            }
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
        return bytes;
    }

    EngineThread thread_;
    std::unique_ptr<DevToolsPipe> pipe_;
    int chromium_ = -1;
    Inbox<std::string> received_;
    Inbox<int> closed_;
};

TEST_F(PipeTest, SplitsWhatChromiumWritesAtTheNulBytesWhereverTheChunksEnd) {
    const std::string big(3 * 1024 * 1024, 'x');
    std::thread writer([&] {
        for (char c : std::string("{\"a\":1}\0{\"b\"", 12)) {
            ChromiumWrites(std::string(1, c));
        }
        ChromiumWrites(std::string(":2}\0\0", 5));  // an empty message in between
        ChromiumWrites(big + std::string("\0tail", 5));
        ChromiumWrites(std::string("\0", 1));
    });
    writer.join();
    EXPECT_THAT(received_.WaitFor(5), ElementsAre("{\"a\":1}", "{\"b\":2}", "", big, "tail"));
}

TEST_F(PipeTest, SendsEveryQueuedMessageWholeWithItsNul) {
    const std::string big(2 * 1024 * 1024, 'y');  // more than the socket holds at once
    std::thread sender([&] {
        EXPECT_TRUE(pipe_->Send("first"));
        EXPECT_TRUE(pipe_->Send(big));
        EXPECT_TRUE(pipe_->Send("last"));
    });
    const std::string expected = std::string("first\0", 6) + big + '\0' + std::string("last\0", 5);
    EXPECT_EQ(expected, ChromiumReads(expected.size()));
    sender.join();
}

TEST_F(PipeTest, TellsOnceThatChromiumWentAndTakesNoMoreMessages) {
    close(chromium_);
    chromium_ = -1;
    EXPECT_EQ(1u, closed_.WaitFor(1).size());
    EXPECT_FALSE(pipe_->Send("anything"));
    bridge_test::WaitOutQuietPeriod(50ms);
    EXPECT_EQ(1u, closed_.WaitFor(1, 0ms).size());
}

// The protocol client with a sender that keeps what it is given.
class ClientTest : public ::testing::Test {
  protected:
    ClientTest()
        : client_(thread_, [this](std::string message) {
              sent_.Add(json::parse(message));
              return accepting_.load();
          }) {}
    ~ClientTest() override { thread_.Stop(); }

    void FromChromium(const std::string& text) {
        thread_.RunAndWait([&] { client_.Dispatch(text); });
    }

    EngineThread thread_;
    std::atomic<bool> accepting_{true};
    Inbox<json> sent_;
    DevToolsClient client_;
};

TEST_F(ClientTest, NumbersCommandsAndHandsEachReplyToItsOwnHandlerOnce) {
    Inbox<std::string> replies;
    client_.Command("", "Browser.getVersion", json::object(), [&](bool ok, const json& result) {
        replies.Add((ok ? "ok " : "error ") + result.dump());
    });
    client_.Command(
        "S1", "Page.navigate", {{"url", "about:blank"}},
        [&](bool ok, const json& result) { replies.Add((ok ? "ok " : "error ") + result.dump()); });
    const std::vector<json> sent = sent_.WaitFor(2);
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ("Browser.getVersion", sent[0]["method"]);
    EXPECT_FALSE(sent[0].contains("sessionId"));
    EXPECT_EQ("S1", sent[1]["sessionId"]);
    EXPECT_EQ("about:blank", sent[1]["params"]["url"]);
    const long long first = sent[0]["id"], second = sent[1]["id"];
    EXPECT_LT(first, second);

    FromChromium(R"({"id":)" + std::to_string(second) +
                 R"(,"error":{"code":-32000,"message":"no"},"sessionId":"S1"})");
    FromChromium(R"({"id":)" + std::to_string(first) +
                 R"(,"result":{"product":"Chrome/1.2.3.4"}})");
    FromChromium(R"({"id":)" + std::to_string(first) + R"(,"result":{"again":true}})");
    FromChromium(R"({"id":123456,"result":{}})");
    EXPECT_THAT(replies.WaitFor(2), ElementsAre(R"(error {"code":-32000,"message":"no"})",
                                                R"(ok {"product":"Chrome/1.2.3.4"})"));
}

TEST_F(ClientTest, RoutesEventsToTheirSessionAndDropsWhatNobodyListensTo) {
    Inbox<std::string> events;
    thread_.RunAndWait([&] {
        client_.ListenToBrowser(
            [&](const std::string& method, const json&) { events.Add("browser " + method); });
        client_.ListenToSession("S1", [&](const std::string& method, const json& params) {
            events.Add("S1 " + method + " " + params.dump());
        });
    });
    FromChromium(R"({"method":"Target.attachedToTarget","params":{"sessionId":"S1"}})");
    FromChromium(
        R"({"method":"Page.frameStoppedLoading","params":{"frameId":"F"},"sessionId":"S1"})");
    FromChromium(
        R"({"method":"Page.frameStoppedLoading","params":{"frameId":"G"},"sessionId":"S2"})");
    FromChromium(R"({"method":"Page.loadEventFired","sessionId":"S1"})");
    FromChromium("this is no JSON");
    FromChromium(R"(["an","array"])");
    thread_.RunAndWait([&] { client_.ForgetSession("S1"); });
    FromChromium(
        R"({"method":"Page.frameStoppedLoading","params":{"frameId":"H"},"sessionId":"S1"})");
    EXPECT_THAT(
        events.WaitFor(3, 200ms),
        ElementsAre("browser Target.attachedToTarget",
                    R"(S1 Page.frameStoppedLoading {"frameId":"F"})", "S1 Page.loadEventFired {}"));
}

TEST_F(ClientTest, AGoneConnectionFailsEveryPendingAndLaterCommandOnTheEngineThread) {
    Inbox<std::string> failed;
    for (const char* name : {"first", "second"}) {
        client_.Command("", name, json::object(), [&, name](bool ok, const json&) {
            failed.Add(std::string(name) + (ok ? " ok" : " failed") +
                       (thread_.IsCurrent() ? " on engine" : ""));
        });
    }
    sent_.WaitFor(2);
    thread_.RunAndWait([&] { client_.OnConnectionClosed(); });
    client_.Command("", "third", json::object(), [&](bool ok, const json&) {
        failed.Add(std::string("third") + (ok ? " ok" : " failed") +
                   (thread_.IsCurrent() ? " on engine" : ""));
    });
    EXPECT_THAT(failed.WaitFor(3), ElementsAre("first failed on engine", "second failed on engine",
                                               "third failed on engine"));
}

// The functions named by calls from a thread that did not own them.
std::string wrong_thread_calls;

TEST_F(ClientTest, ItsEngineThreadMethodsReportACallFromAnyOtherThread) {
    if (!kThreadChecks) {
        GTEST_SKIP() << "thread checks are off in this build";
    }
    wrong_thread_calls.clear();
    const WrongThreadHandler previous =
        SetWrongThreadHandler([](const std::source_location& where) {
            wrong_thread_calls += std::string(where.function_name()) + "\n";
        });
    thread_.RunAndWait([&] { client_.ForgetSession("S1"); });
    const std::string on_engine_thread = wrong_thread_calls;
    client_.ForgetSession("S1");
    SetWrongThreadHandler(previous);
    EXPECT_EQ(on_engine_thread, "");
    EXPECT_THAT(wrong_thread_calls, ::testing::HasSubstr("ForgetSession"));
}

// A session whose target has gone owes replies that will never come: they fail at once, in
// order, so that nothing waits for them; the other sessions' replies still arrive.
TEST_F(ClientTest, AForgottenSessionFailsTheRepliesItStillOwes) {
    Inbox<std::string> replies;
    for (const char* session : {"S1", "S2", "S1"}) {
        client_.Command(session, "Runtime.evaluate", json::object(),
                        [&, session](bool ok, const json&) {
                            replies.Add(std::string(session) + (ok ? " ok" : " failed"));
                        });
    }
    const std::vector<json> sent = sent_.WaitFor(3);
    ASSERT_EQ(3u, sent.size());
    thread_.RunAndWait([&] { client_.ForgetSession("S1"); });
    EXPECT_THAT(replies.WaitFor(2), ElementsAre("S1 failed", "S1 failed"));
    const long long first = sent[0]["id"], second = sent[1]["id"];
    FromChromium(R"({"id":)" + std::to_string(first) + R"(,"result":{},"sessionId":"S1"})");
    FromChromium(R"({"id":)" + std::to_string(second) + R"(,"result":{},"sessionId":"S2"})");
    EXPECT_THAT(replies.WaitFor(4, 200ms), ElementsAre("S1 failed", "S1 failed", "S2 ok"));
}

TEST_F(ClientTest, ACommandTheConnectionRefusesFailsToo) {
    accepting_ = false;
    std::promise<bool> outcome;
    client_.Command("", "Browser.close", json::object(),
                    [&](bool ok, const json&) { outcome.set_value(ok); });
    auto future = outcome.get_future();
    ASSERT_EQ(std::future_status::ready, future.wait_for(5s));
    EXPECT_FALSE(future.get());
}

TEST(UnpairedSurrogates, BecomeReplacementCharactersAndNothingElseChanges) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("plain")", R"("plain")"},
        {R"("\ud83d\ude00")", R"("\ud83d\ude00")"},
        {R"("\ud83d")", R"("\ufffd")"},
        {R"("\ude00x")", R"("\ufffdx")"},
        {R"("\ud83d\ud83d\ude00")", R"("\ufffd\ud83d\ude00")"},
        {R"("\\ud83d")", R"("\\ud83d")"},  // an escaped backslash, not an escape
        {R"("\u00e9\uD800")", R"("\u00e9\ufffd")"},
        {R"("\ud8")", R"("\ud8")"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(expected, ReplaceUnpairedSurrogateEscapes(input)) << input;
    }
    // What was repaired parses.
    EXPECT_EQ("\xc3\xa9\xef\xbf\xbd",
              json::parse(ReplaceUnpairedSurrogateEscapes(R"("\u00e9\uD800")")).get<std::string>());
}

}  // namespace
}  // namespace quillmoor::bridge
