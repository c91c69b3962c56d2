// The files, version and binaries checks of the engine start-up as the user meets them:
// the status, the one message box and the debugger output, against folders that hold
// engine libraries written by the tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/executable_header.h"
#include "platform/utf.h"
#include "startup/engine_messages.h"
#include "startup/tcef_application.h"
#include "tests/startup/capturing_reporter.h"
#include "tests/startup/engine_fixture.h"
#include "tests/startup/engine_test_messages.h"
#include "tests/startup/fixture_folder.h"
#include "tests/startup/pe_image_builder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmoor {
namespace {

using namespace test_support;

struct StartOutcome {
    Status status;
    test_support::CapturingReporter reporter;
};

// Starts the browser process's engine with the given layout in folder.
StartOutcome StartIn(const test_support::FixtureFolder& folder, EngineLayout layout) {
    const test_support::WorkingDirectoryScope inside(folder.path());
    StartOutcome run{Status::asLoading, {}};
    TCefApplication application(ProcessArguments({u"quillmoor"}), std::move(layout), run.reporter);
    EXPECT_FALSE(application.StartMainProcess());
    run.status = application.Status();
    return run;
}

// The failure was shown once, and written to the debugger output just before.
void ExpectShownOnce(const StartOutcome& run, const std::u16string& text) {
    ASSERT_EQ(run.reporter.Boxes(), std::vector<std::u16string>{text});
    ASSERT_GE(run.reporter.events.size(), 2u);
    const auto& before = run.reporter.events[run.reporter.events.size() - 2];
    EXPECT_FALSE(before.message_box);
    EXPECT_EQ(before.text, text);
    EXPECT_TRUE(run.reporter.events.back().message_box);
}

// The checks passed and the start went on to load the library: the made-up library
// cannot be loaded, or (where the system loads it) lacks the engine's functions.
void ExpectReachedTheLoad(const StartOutcome& run, const std::u16string& library) {
    ASSERT_EQ(run.reporter.Boxes().size(), 1u);
    const std::u16string shown = run.reporter.Boxes()[0];
    if (run.status == Status::asErrorLoadingLibrary) {
        EXPECT_EQ(shown.rfind(u"Error loading " + library + u"\r\n\r\nError code : 0x", 0), 0u);
    } else {
        EXPECT_EQ(run.status, Status::asErrorDLLVersion);
        EXPECT_EQ(shown, EngineMessages(library).MissingEntryPoint());
    }
}

class WindowsEngineChecksTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::WriteWindowsEngineFiles(folder_); }
    // Where the system loads the made-up library, it must not stay for the next test.
    void TearDown() override { test_support::UnloadEngineLibraryIn(folder_.path()); }

    StartOutcome StartWith(const test_support::PeImageShape& library) {
        folder_.WriteFile("libcef.dll", test_support::BuildPeImage(library));
        return StartIn(folder_, EngineLayout::Windows());
    }

    test_support::FixtureFolder folder_;
};

TEST_F(WindowsEngineChecksTest, SupportedBuildPassesTheChecks) {
    const StartOutcome run =
        StartWith(test_support::PeImageShape{kWindowsProgramPeMachine, FileVersion{78, 3, 9, 0}});
    ExpectReachedTheLoad(run, u"libcef.dll");
}

// A library without a version record is found as 0.0.0.0.
TEST_F(WindowsEngineChecksTest, WrongVersionShowsExpectedAndFound) {
    const struct {
        std::optional<FileVersion> version;
        std::u16string found;
    } cases[] = {
        {FileVersion{78, 3, 9, 1}, u"78.3.9.1"},
        {std::nullopt, u"0.0.0.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.found));
        const StartOutcome run =
            StartWith(test_support::PeImageShape{kWindowsProgramPeMachine, c.version});
        EXPECT_EQ(run.status, Status::asErrorDLLVersion);
        ExpectShownOnce(run, u"Unsupported CEF version !\r\n\r\n" + kUseBuild +
                                 u"\r\n\r\nExpected libcef.dll version : 78.3.9.0\r\n"
                                 u"Found libcef.dll version : " +
                                 c.found);
    }
}

TEST_F(WindowsEngineChecksTest, VersionIsCheckedBeforeTheMachine) {
    const StartOutcome run =
        StartWith(test_support::PeImageShape{kWindowsOtherPeMachine, FileVersion{79, 0, 0, 0}});
    EXPECT_EQ(run.status, Status::asErrorDLLVersion);
    ASSERT_EQ(run.reporter.Boxes().size(), 1u);
    EXPECT_EQ(run.reporter.Boxes()[0].rfind(u"Unsupported CEF version !", 0), 0u);
}

TEST_F(WindowsEngineChecksTest, LibraryOfTheOtherWordSizeIsRejected) {
    const StartOutcome run =
        StartWith(test_support::PeImageShape{kWindowsOtherPeMachine, FileVersion{78, 3, 9, 0}});
    EXPECT_EQ(run.status, Status::asErrorDLLVersion);
    ExpectShownOnce(run, kOtherBitsMessage);
}

TEST_F(WindowsEngineChecksTest, LibraryForAnotherProcessorIsRejected) {
    const StartOutcome run =
        StartWith(test_support::PeImageShape{0x01C4, FileVersion{78, 3, 9, 0}});  // ARM
    EXPECT_EQ(run.status, Status::asErrorDLLVersion);
    ExpectShownOnce(run, u"Unknown CEF binaries !\r\n\r\n" + kUseBuild);
}

TEST_F(WindowsEngineChecksTest, MissingFilesStopTheStartBeforeTheLibraryIsRead) {
    folder_.Remove("locales");
    folder_.Remove("cef.pak");
    folder_.WriteFile("libcef.dll", "not even an executable");
    const StartOutcome run = StartIn(folder_, EngineLayout::Windows());
    EXPECT_EQ(run.status, Status::asErrorMissingFiles);
    ASSERT_EQ(run.reporter.Boxes().size(), 1u);
    const std::u16string shown = run.reporter.Boxes()[0];
    EXPECT_EQ(shown.rfind(u"CEF binaries missing !\r\n\r\nThe missing files are :\r\ncef.pak\r\n"
                          u"locales\\am.pak\r\nlocales\\ar.pak\r\n",
                          0),
              0u);
    EXPECT_TRUE(shown.ends_with(u"\r\nlocales\\zh-CN.pak\r\nlocales\\zh-TW.pak")) << "trimmed";
    EXPECT_EQ(run.reporter.events.size(), 2u) << "nothing but the message";
}

TEST(EngineChecksTest, AnotherWorkingDirectoryMissesEveryFileAndReportsThemOnce) {
    test_support::FixtureFolder elsewhere;
    const StartOutcome run = StartIn(elsewhere, EngineLayout::Windows());
    EXPECT_EQ(run.status, Status::asErrorMissingFiles);
    ASSERT_EQ(run.reporter.Boxes().size(), 1u);
    const std::u16string shown = run.reporter.Boxes()[0];
    EXPECT_EQ(std::count(shown.begin(), shown.end(), u'\n'), 3 + 16 + 53 - 1);
}

// The Linux engine library: its header is an ELF header.

TEST(LinuxEngineChecksTest, LibraryForAnotherMachineIsRejectedForThisProgramsBitness) {
    const std::u16string bits = sizeof(void*) == 8 ? u"64" : u"32";
    for (const uint16_t machine : {kElfMachineI386, kElfMachineX86_64, kElfMachineAarch64}) {
        if (machine == OwnElfMachine()) {
            continue;
        }
        test_support::FixtureFolder folder;
        folder.WriteFile("libcef.so", test_support::ElfHeader(machine) + std::string(4096, '\0'));
        const StartOutcome run = StartIn(folder, EngineLayout::Linux());
        EXPECT_EQ(run.status, Status::asErrorDLLVersion);
        ExpectShownOnce(run, u"Wrong CEF binaries !\r\n\r\nUse the " + bits +
                                 u" bit CEF binaries with " + bits + u" bits applications only.");
    }
}

TEST(LinuxEngineChecksTest, HeaderNotOfTheExpectedFormPassesTheCheck) {
    for (const std::string& content :
         {std::string("plain text, no header at all"), std::string(),
          test_support::ElfHeader(OwnElfMachine()) + std::string(4096, '\0')}) {
        test_support::FixtureFolder folder;
        folder.WriteFile("libcef.so", content);
        const StartOutcome run = StartIn(folder, EngineLayout::Linux());
        EXPECT_EQ(run.status, Status::asErrorLoadingLibrary);
        ExpectReachedTheLoad(run, u"libcef.so");
    }
}

#if !defined(_WIN32)
// Unreadable engine libraries: the error raised inside a step is written to the debugger
// output and counts as that step's failure. StartOutcome in a child without root's rights, so that
// the file's permissions bind.
bool RunWithoutRights(const test_support::FixtureFolder& folder, const char* library,
                      const std::function<bool(const StartOutcome&)>& check) {
    chmod((folder.path() / library).c_str(), 0);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        return false;
    }
    const EngineLayout layout =
        std::string(library) == "libcef.so" ? EngineLayout::Linux() : EngineLayout::Windows();
    return check(StartIn(folder, layout));
}

TEST(UnreadableEngineTest, VersionReadErrorFailsTheVersionCheckWithoutVersionLines) {
    test_support::FixtureFolder folder;
    chmod(folder.path().c_str(), 0755);
    test_support::WriteWindowsEngineFiles(folder);
    folder.WriteFile("libcef.dll", test_support::BuildPeImage(test_support::PeImageShape{
                                       kWindowsProgramPeMachine, FileVersion{78, 3, 9, 0}}));
    const auto check = [](const StartOutcome& run) {
        const auto lines = run.reporter.DebugLines();
        return run.status == Status::asErrorDLLVersion && !lines.empty() &&
               lines[0].rfind(u"CheckCEFLibraryVersion error : Cannot open ", 0) == 0 &&
               run.reporter.Boxes() ==
                   std::vector<std::u16string>{u"Unsupported CEF version !\r\n\r\n" + kUseBuild};
    };
    EXPECT_EXIT(std::exit(RunWithoutRights(folder, "libcef.dll", check) ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
}

TEST(UnreadableEngineTest, HeaderReadErrorPassesTheCheckAndTheLoadFails) {
    test_support::FixtureFolder folder;
    chmod(folder.path().c_str(), 0755);
    folder.WriteFile("libcef.so", test_support::ElfHeader(OwnElfMachine()));
    const auto check = [](const StartOutcome& run) {
        const auto lines = run.reporter.DebugLines();
        return run.status == Status::asErrorLoadingLibrary && !lines.empty() &&
               lines[0].rfind(u"CheckCEFLibraryBinaries error : Cannot open ", 0) == 0 &&
               run.reporter.Boxes() ==
                   std::vector<std::u16string>{
                       u"Error loading libcef.so\r\n\r\nError code : 0x0000000D"};  // EACCES
    };
    EXPECT_EXIT(std::exit(RunWithoutRights(folder, "libcef.so", check) ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
}
#else
// A library that another program holds open without sharing it cannot be read: the error
// raised inside the version step is written to the debugger output and fails that step.
TEST(UnreadableEngineTest, LibraryLockedByAnotherProgramFailsTheVersionCheck) {
    test_support::FixtureFolder folder;
    test_support::WriteWindowsEngineFiles(folder);
    folder.WriteFile("libcef.dll", test_support::BuildPeImage(test_support::PeImageShape{
                                       kWindowsProgramPeMachine, FileVersion{78, 3, 9, 0}}));
    const HANDLE lock = CreateFileW((folder.path() / "libcef.dll").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const StartOutcome run = StartIn(folder, EngineLayout::Windows());
    CloseHandle(lock);
    EXPECT_EQ(run.status, Status::asErrorDLLVersion);
    const auto lines = run.reporter.DebugLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind(u"CheckCEFLibraryVersion error : Cannot read the version of ", 0), 0u)
        << Utf16ToUtf8(lines[0]);
    EXPECT_EQ(run.reporter.Boxes(),
              std::vector<std::u16string>{u"Unsupported CEF version !\r\n\r\n" + kUseBuild});
}
#endif

}  // namespace
}  // namespace quillmoor
