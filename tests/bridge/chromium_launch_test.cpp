// Finding, starting and identifying Chromium, and its profile folder, without Chromium:
// fake executables stand in for it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "bridge/chromium_arguments.h"
#include "bridge/chromium_locator.h"
#include "bridge/chromium_session.h"
#include "bridge/chromium_version.h"
#include "bridge/temporary_profile.h"
#include "tests/bridge/engine_library.h"
#include "tests/bridge/process_table.h"
#include "tests/support/test_folder.h"

namespace quillmoor::bridge {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A test folder whose files are named by paths relative to it.
class Scratch {
  public:
    std::string Path(const std::string& relative = "") const {
        return relative.empty() ? folder_.Root().string() : (folder_.Root() / relative).string();
    }
    std::string Write(const std::string& relative, const std::string& text,
                      mode_t mode = 0755) const {
        return bridge_test::WriteFileWithMode(Path(relative), text, mode);
    }

  private:
    testing::TestFolder folder_;
};

TEST(FindChromium, TakesTheFirstNameInAnyFolderBeforeTheNextName) {
    Scratch scratch;
    scratch.Write("a/google-chrome", "");
    scratch.Write("b/chromium-browser", "");
    scratch.Write("c/chromium", "");
    scratch.Write("d/chromium", "", 0644);                            // not executable
    std::filesystem::create_directories(scratch.Path("e/chromium"));  // a folder
    const std::string a = scratch.Path("a"), b = scratch.Path("b"), c = scratch.Path("c"),
                      d = scratch.Path("d"), e = scratch.Path("e");
    struct Case {
        std::string path;
        std::optional<std::string> found;
    } cases[] = {
        {a + ":" + b + ":" + c, c + "/chromium"},
        {d + ":" + e + ":" + b, b + "/chromium-browser"},
        {d + ":" + e + ":" + a, a + "/google-chrome"},
        {d + ":" + e, std::nullopt},
        {"", std::nullopt},
        {"::" + c + ":", c + "/chromium"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.found, FindChromium(test.path)) << test.path;
    }
    EXPECT_EQ("chromium, chromium-browser or google-chrome", ChromiumNamesForMessage());
}

TEST(ChromiumArguments, PassTheProgramsSwitchesButKeepTheLibrarysOwnLast) {
    const std::vector<std::string> arguments = ChromiumArguments(
        "/tmp/profile",
        {"--host-resolver-rules=MAP a.test 127.0.0.1", "-single-dash", "--user-data-dir=/elsewhere",
         "--remote-debugging-port=9222", "--type=renderer", "page.html", "--", "--disable-gpu"});
    const auto position = [&](const std::string& argument) {
        return std::find(arguments.begin(), arguments.end(), argument) - arguments.begin();
    };
    EXPECT_LT(position("--host-resolver-rules=MAP a.test 127.0.0.1"),
              static_cast<long>(arguments.size()));
    EXPECT_LT(position("--single-dash"), static_cast<long>(arguments.size()));
    for (const char* dropped : {"--user-data-dir=/elsewhere", "--remote-debugging-port=9222",
                                "--type=renderer", "page.html", "--"}) {
        EXPECT_EQ(position(dropped), static_cast<long>(arguments.size())) << dropped;
    }
    EXPECT_THAT(std::vector<std::string>(arguments.end() - 5, arguments.end()),
                ElementsAre("--headless", "--remote-debugging-pipe", "--user-data-dir=/tmp/profile",
                            "--no-sandbox", "about:blank"));
    EXPECT_LT(position("--disable-background-networking"),
              position("--host-resolver-rules=MAP a.test 127.0.0.1"))
        << "the program's switches come after the defaults, so they win";
}

TEST(ChromiumVersion, IsTheFirstDottedQuadOfTheText) {
    const std::pair<std::string, std::array<int, 4>> cases[] = {
        {"Chrome/156.0.8078.129", {156, 0, 8078, 129}},
        {"HeadlessChrome/78.0.3904.108", {78, 0, 3904, 108}},
        {"Chromium 156.0.8078.129 built on Debian GNU/Linux 12 (bookworm)", {156, 0, 8078, 129}},
        {"Google Chrome 1.2.3 beta 4.5.6.7", {4, 5, 6, 7}},
    };
    for (const auto& [text, parts] : cases) {
        std::optional<ChromiumVersion> version = ChromiumVersion::Parse(text);
        ASSERT_TRUE(version) << text;
        for (int part = 0; part < 4; ++part) {
            EXPECT_EQ(parts[static_cast<std::size_t>(part)], version->Part(part)) << text;
        }
    }
    EXPECT_FALSE(ChromiumVersion::Parse("Chrome/156.0.8078"));
    EXPECT_FALSE(ChromiumVersion::Parse(""));
    Scratch scratch;
    EXPECT_EQ(8078, ChromiumVersion::OfExecutable(
                        scratch.Write("chromium", "#!/bin/sh\necho Chromium 156.0.8078.129\n"))
                        ->Part(2));
    EXPECT_FALSE(ChromiumVersion::OfExecutable(scratch.Path("missing")));
}

pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST(TemporaryProfile, IsRemovedWithItsContentsAndAbandonedOnesGoAtTheNextStart) {
    Scratch scratch;
    std::string made;
    {
        std::optional<TemporaryProfile> profile = TemporaryProfile::Create(scratch.Path());
        ASSERT_TRUE(profile);
        made = profile->Path();
        EXPECT_THAT(made, HasSubstr("/quillmoor-chromium-" + std::to_string(getpid()) + "-"));
        scratch.Write(made.substr(scratch.Path().size() + 1) + "/Default/Preferences", "{}");
    }
    EXPECT_FALSE(std::filesystem::exists(made));

    const std::string dead = "quillmoor-chromium-" + std::to_string(EndedProcess()) + "-abc123";
    const std::string alive = "quillmoor-chromium-" + std::to_string(getpid()) + "-def456";
    const std::string foreign = "someone-elses-folder-1";
    scratch.Write(dead + "/Default/Cookies", "x");
    scratch.Write(alive + "/file", "x");
    scratch.Write(foreign + "/file", "x");
    const std::string file = "quillmoor-chromium-" + std::to_string(EndedProcess()) + "-aaaaaa";
    scratch.Write(file, "a file, not a profile");
    const std::string target = scratch.Path(foreign);
    const std::string link =
        scratch.Path("quillmoor-chromium-" + std::to_string(EndedProcess()) + "-link01");
    std::filesystem::create_directory_symlink(target, link);

    // A killed Chromium leaves its singleton folder, linked from the profile, behind; a link
    // to any other folder is not followed.
    scratch.Write("org.chromium.Chromium.x1y2z3/SingletonSocket", "");
    std::filesystem::create_symlink(scratch.Path("org.chromium.Chromium.x1y2z3/SingletonSocket"),
                                    scratch.Path(dead + "/SingletonSocket"));
    const std::string killed = "quillmoor-chromium-" + std::to_string(EndedProcess()) + "-killed";
    scratch.Write(killed + "/file", "x");
    std::filesystem::create_symlink(scratch.Path(foreign + "/file"),
                                    scratch.Path(killed + "/SingletonSocket"));

    TemporaryProfile::RemoveAbandoned(scratch.Path());
    EXPECT_FALSE(std::filesystem::exists(scratch.Path(dead)));
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("org.chromium.Chromium.x1y2z3")));
    EXPECT_FALSE(std::filesystem::exists(scratch.Path(killed)));
    EXPECT_TRUE(std::filesystem::exists(scratch.Path(alive + "/file")));
    EXPECT_TRUE(std::filesystem::exists(scratch.Path(foreign + "/file"))) << "a link was followed";
    EXPECT_TRUE(std::filesystem::exists(scratch.Path(file)));
}

bool GoneWithin(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (kill(pid, 0) == 0 && bridge_test::ArgumentsOf(pid).size() > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A "Chromium" that never answers ends the start after the answer time, killed with the
// helper it started, its profile removed.
TEST(ChromiumSession, AChromiumThatNeverAnswersFailsTheStartAndIsEnded) {
    Scratch scratch;
    ChromiumSession::Options options;
    const std::string pids = scratch.Path("pids");
    options.executable =
        scratch.Write("chromium", "#!/bin/sh\n/bin/sleep 60 &\necho $! > " + pids +
                                      "\necho $$ >> " + pids + "\nexec /bin/sleep 61\n");
    options.answer_timeout = 300ms;
    options.temp_root = scratch.Path("temp");
    std::filesystem::create_directories(options.temp_root);
    std::string failure;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(nullptr, ChromiumSession::Start(options, failure));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ("Chromium (" + options.executable + ") did not answer within 0.3 s", failure);
    EXPECT_TRUE(std::filesystem::is_empty(options.temp_root));
    std::ifstream started(pids);
    pid_t helper = 0, chromium = 0;
    ASSERT_TRUE(started >> helper >> chromium);
    EXPECT_TRUE(GoneWithin(chromium, 5s));
    EXPECT_TRUE(GoneWithin(helper, 5s)) << "a process of Chromium's group was left running";
    if (!GoneWithin(helper, 0ms)) {
        kill(helper, SIGKILL);
    }
}

TEST(ChromiumSession, AnExecutableThatCannotRunFailsTheStart) {
    Scratch scratch;
    ChromiumSession::Options options;
    options.executable = scratch.Write("chromium", "#!/nonexistent/interpreter\n");
    options.temp_root = scratch.Path();
    std::string failure;
    EXPECT_EQ(nullptr, ChromiumSession::Start(options, failure));
    EXPECT_EQ("Chromium (" + options.executable + ") ended before it answered", failure);
}

}  // namespace
}  // namespace quillmoor::bridge
