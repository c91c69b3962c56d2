// How long Chromium lives: as long as the engine, never longer than the program, and its
// loss mid-run costs the program nothing but its browsers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/bridge/chromium_engine_fixture.h"
#include "tests/bridge/loopback_http_server.h"
#include "tests/bridge/process_table.h"
#include "tests/bridge/stderr_capture.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::HasSubstr;

TEST_F(ChromiumEngineTest, ClosingABrowserAsksTheClientAndEndsWithTheCloseNotice) {
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowser(*client);
    ASSERT_NE(nullptr, browser);
    cef_browser_host_t* host = browser->get_host(browser);
    host->close_browser(host, 0);
    ASSERT_TRUE(client->WaitForClosed(1, 10s));
    EXPECT_EQ(1, client->DoCloseCalls());
    EXPECT_EQ(1, host->try_close_browser(host)) << "a closed browser may close";
    host->base.release(&host->base);
    cef_frame_t* frame = browser->get_main_frame(browser);
    EXPECT_EQ(0, frame->is_valid(frame));
    // Calls on a closed browser do nothing.
    LoadUrl(browser, "about:blank");
    auto visitor = EngineObjectPtr<TestVisitor>::Make();
    frame->get_source(frame, visitor->NewReference());
    frame->base.release(&frame->base);
    EXPECT_FALSE(visitor->WaitForVisit(500ms));
    EXPECT_EQ(1, visitor->ReferenceCount());
}

TEST_F(ChromiumEngineTest, ShutdownEndsChromiumAndRemovesItsProfile) {
    auto client = EngineObjectPtr<TestClient>::Make();
    ASSERT_NE(nullptr, OpenBrowser(*client));
    ASSERT_FALSE(ProcessesWithArgumentContaining(profile_).empty());
    ShutDown();
    EXPECT_TRUE(ProcessesWithArgumentContaining(profile_).empty())
        << "shutdown returned before Chromium ended";
    EXPECT_FALSE(std::filesystem::exists(profile_));
    client->ReleaseBrowsers();
    EXPECT_EQ(1, client->ReferenceCount()) << "the engine kept or lost a reference to the client";
}

TEST_F(ChromiumEngineTest, LosingChromiumMidRunStopsEventsWithOneLineOnStandardError) {
    LoopbackHttpServer server;
    server.Serve("/page.html", "<html><body>page</body></html>");
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_browser_t* browser = OpenBrowser(*client);
    ASSERT_NE(nullptr, browser);

    StderrCapture captured;
    ASSERT_EQ(0, kill(chromium_, SIGKILL));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (captured.Text().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(WaitUntilNoProcessHas(profile_, 10s));

    // The program goes on calling; nothing happens and nothing arrives.
    LoadUrl(browser, server.Url("a.test", "/page.html"));
    RunScript(browser, "document.title = 'x'");
    auto visitor = EngineObjectPtr<TestVisitor>::Make();
    cef_frame_t* frame = browser->get_main_frame(browser);
    frame->get_source(frame, visitor->NewReference());
    EXPECT_EQ(0, frame->is_valid(frame));
    frame->base.release(&frame->base);
    cef_window_info_t window{};
    EXPECT_EQ(0, library_->cef_browser_host_create_browser(&window, client->NewReference(), nullptr,
                                                           nullptr, nullptr, nullptr));
    EXPECT_FALSE(visitor->WaitForVisit(500ms));
    EXPECT_EQ(1, visitor->ReferenceCount());
    EXPECT_TRUE(client->LoadEnds().empty());
    EXPECT_FALSE(server.WasAskedFor("/page.html"));

    const std::string text = captured.Text();
    EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n')) << text;
    EXPECT_THAT(text, HasSubstr("Chromium"));
    EXPECT_THAT(text, HasSubstr("signal 9"));
}

// A program that ends without shutting the engine down takes Chromium with it, and the
// profile folder it leaves behind goes at the next engine start.
TEST_F(ChromiumEngineTest, ChromiumDoesNotOutliveAProgramThatEndsWithoutShutdown) {
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));  // Chromium's orphans become ours to reap
    int output[2];
    ASSERT_EQ(0, pipe(output));
    const pid_t program = fork();
    if (program == 0) {
        dup2(output[1], 1);
        close(output[0]);
        execl(QUILLMOOR_EXIT_WITHOUT_SHUTDOWN, QUILLMOOR_EXIT_WITHOUT_SHUTDOWN,
              EngineLibrary::Path(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    char line[4096] = {};
    FILE* from_program = fdopen(output[0], "r");
    const bool told = std::fgets(line, sizeof line, from_program) != nullptr;
    std::fclose(from_program);
    int status = 0;
    waitpid(program, &status, 0);
    ASSERT_TRUE(told);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    int other_chromium = 0;
    char other_profile[4096] = {};
    ASSERT_EQ(2, std::sscanf(line, "%d %4095s", &other_chromium, other_profile));

    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        ended = waitpid(other_chromium, &status, WNOHANG) == other_chromium;
        if (!ended) {
            std::this_thread::sleep_for(20ms);
        }
    }
    EXPECT_TRUE(ended) << "Chromium outlived the program that started it";
    EXPECT_TRUE(WaitUntilNoProcessHas(other_profile, 10s)) << "Chromium's helpers outlived it";
    KillProcessesWith(other_profile);
    while (waitpid(-1, &status, WNOHANG) > 0) {
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);

    EXPECT_TRUE(std::filesystem::exists(other_profile));
    ShutDown();
    auto app = EngineObjectPtr<TestApp>::Make();
    std::string program_name = "quillmoor";
    char* argv[] = {program_name.data(), nullptr};
    cef_main_args_t args{1, argv};
    ASSERT_EQ(1, library_->cef_initialize(&args, nullptr, app->NewReference(), nullptr));
    EXPECT_FALSE(std::filesystem::exists(other_profile))
        << "the abandoned profile folder was not removed";
    library_->cef_shutdown();
}

}  // namespace
}  // namespace quillmoor::bridge_test
