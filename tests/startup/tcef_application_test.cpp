// The engine application object against the test engine library: the sub-process and
// browser-process paths, the settings and switches the engine receives, the context
// notice, the modal-loop flag, and what a second start does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "engine/engine_string.h"
#include "startup/tcef_application.h"
#include "tests/startup/capturing_reporter.h"
#include "tests/startup/engine_test_messages.h"
#include "tests/startup/fixture_folder.h"
#include "tests/startup/test_engine/test_engine_control.h"
#include "tests/startup/test_engine_library.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillmoor {
namespace {

using namespace test_support;

const std::vector<std::u16string> kBrowserSwitches = {
    u"--enable-accelerated-plugins",   u"--enable-system-flash", u"--enable-media-stream=1",
    u"--enable-speech-input=1",        u"--disable-gpu",         u"--disable-gpu-compositing",
    u"--disable-gpu-shader-disk-cache"};

// The number of files the engine files check looks for.
size_t EngineFileCount(const EngineLayout& layout) {
    size_t count = layout.locale_codes.size();
    for (const auto& group : layout.file_groups) {
        count += group.size();
    }
    return count;
}

bool StartIn(TCefApplication& application, const std::filesystem::path& folder) {
    const test_support::WorkingDirectoryScope inside(folder);
    return application.StartMainProcess();
}

class TCefApplicationTest : public ::testing::Test {
  protected:
    explicit TCefApplicationTest(const char* built_folder = QUILLMOOR_TEST_ENGINE_DIR)
        : library_(built_folder), engine_(library_.control()) {}

    void SetUp() override { engine_.Reset(test_engine::Script()); }
    void TearDown() override { engine_.Reset(test_engine::Script()); }

    // An application object of a process started with these arguments (the first is the
    // program), working in the test engine's folder.
    std::unique_ptr<TCefApplication> Application(
        std::vector<std::u16string> arguments,
        EngineLayout layout = test_support::TestEngineLibrary::Layout()) {
        return std::make_unique<TCefApplication>(ProcessArguments(std::move(arguments)),
                                                 std::move(layout), reporter_);
    }

    // An application of a start with the program alone, on an engine that follows script.
    std::unique_ptr<TCefApplication> ApplicationOn(const test_engine::Script& script) {
        engine_.Reset(script);
        return Application({u"quillmoor"});
    }

    bool Start(TCefApplication& application) { return StartIn(application, library_.folder()); }

    test_support::TestEngineLibrary library_;
    test_engine::Control& engine_;
    test_support::CapturingReporter reporter_;
};

struct SubProcessCase {
    std::u16string type_argument;
    int engine_result;
    std::u16string type_given_to_callback;
};

TEST_F(TCefApplicationTest, SubProcessIsHandedToTheEngineAndReturnsFalse) {
    const SubProcessCase cases[] = {
        {u"--type=renderer", 0, u"renderer"},
        {u"--TYPE=Renderer", 3, u"renderer"},
        {u"--type=gpu-process", 0, u"gpu-process"},
        {u"--type=", 1, u""},
        {u"--type=utility", 0, u""},  // even an empty type adds no switch in a sub-process
    };
    for (const SubProcessCase& c : cases) {
        SCOPED_TRACE(std::string(c.type_argument.begin(), c.type_argument.end()));
        test_engine::Script script;
        script.execute_process_result = c.engine_result;
        script.sub_process_type = c.type_given_to_callback;
        script.version[0] = 79;  // a sub-process does not check the build
        engine_.Reset(script);
        // A sub-process checks no files either: this one is not there.
        EngineLayout layout = test_support::TestEngineLibrary::Layout();
        layout.file_groups.push_back({u"absent.pak"});
        auto application = Application({u"quillmoor", c.type_argument}, layout);
        bool windows_destroyed_before_engine = false;
        application->SetAppWindowsDestroyer(
            [&] { windows_destroyed_before_engine = engine_.Recorded().calls.empty(); });

        EXPECT_FALSE(Start(*application));
        EXPECT_EQ(application->Status(), Status::asLoaded);
        EXPECT_TRUE(windows_destroyed_before_engine);
        const test_engine::Record record = engine_.Recorded();
        EXPECT_EQ(record.calls, std::vector<std::string>{"cef_execute_process"});
        EXPECT_EQ(record.apps_given, 1);
        EXPECT_FALSE(record.sandbox_info_given);
        EXPECT_TRUE(record.switches.empty());
        EXPECT_TRUE(reporter_.events.empty());
        EXPECT_FALSE(application->StartMainProcess()) << "a second start does nothing";
        EXPECT_EQ(engine_.Recorded().calls.size(), 1u);
    }
}

TEST_F(TCefApplicationTest, BrowserProcessInitialisesTheEngineWithTheSettingsAndSwitches) {
    char program[] = "quillmoor";
    char* argv[] = {program, nullptr};
    TCefApplication application(ProcessArguments(1, argv),
                                test_support::TestEngineLibrary::Layout(), reporter_);

    EXPECT_TRUE(Start(application));
    EXPECT_EQ(application.Status(), Status::asInitialized);
    EXPECT_TRUE(application.MissingLibFiles().empty());
    const test_engine::Record record = engine_.Recorded();
    EXPECT_EQ(record.calls, (std::vector<std::string>{"cef_execute_process", "cef_initialize"}));
    EXPECT_EQ(record.apps_given, 2);
    EXPECT_FALSE(record.sandbox_info_given);
    EXPECT_EQ(record.main_args_argc, 1);
    EXPECT_EQ(record.switches, kBrowserSwitches);
    EXPECT_TRUE(record.browser_process_handler_given);
    EXPECT_TRUE(reporter_.events.empty());

    ASSERT_TRUE(record.settings_given);
    const cef_settings_t& s = record.settings;
    EXPECT_EQ(s.size, sizeof(cef_settings_t));
#if defined(_WIN32) && !defined(_WIN64)
    EXPECT_EQ(s.size, 236u) << "the size of the record in the supported engine build";
#endif
    EXPECT_EQ(s.no_sandbox, 1);
    EXPECT_EQ(s.multi_threaded_message_loop, 1);
    EXPECT_EQ(s.log_severity, LOGSEVERITY_DISABLE);
    EXPECT_EQ(s.log_severity, 99);
    for (const int flag :
         {s.external_message_pump, s.windowless_rendering_enabled, s.command_line_args_disabled,
          s.persist_session_cookies, s.persist_user_preferences, s.pack_loading_disabled,
          s.remote_debugging_port, s.uncaught_exception_stack_size, s.ignore_certificate_errors}) {
        EXPECT_EQ(flag, 0);
    }
    EXPECT_EQ(s.background_color, 0u);
    for (const cef_string_t* text :
         {&s.browser_subprocess_path, &s.framework_dir_path, &s.main_bundle_path, &s.cache_path,
          &s.root_cache_path, &s.user_data_path, &s.user_agent, &s.product_version, &s.locale,
          &s.log_file, &s.javascript_flags, &s.resources_dir_path, &s.locales_dir_path,
          &s.accept_language_list, &s.application_client_id_for_file_scanning}) {
        EXPECT_EQ(text->length, 0u);
        EXPECT_EQ(text->str, nullptr);
        EXPECT_EQ(text->dtor, nullptr);
    }
}

TEST_F(TCefApplicationTest, GlobalContextIsReportedFromTheEnginesThread) {
    auto application = Application({u"quillmoor"});
    ASSERT_TRUE(Start(*application));
    EXPECT_FALSE(application->GlobalContextInitialized()) << "not before the engine says so";
    engine_.SendContextNotice();
    EXPECT_TRUE(application->GlobalContextInitialized());
    EXPECT_TRUE(engine_.Recorded().notice_sent_from_other_thread);
}

TEST_F(TCefApplicationTest, SwitchesAreAddedOnlyForAnEmptyProcessType) {
    const struct {
        const char* label;
        std::u16string type;
        bool null_type;
        std::vector<std::u16string> expected;
    } cases[] = {
        {"empty type", u"", false, kBrowserSwitches},
        {"no type at all", u"", true, kBrowserSwitches},
        {"a sub-process type", u"renderer", false, {}},
    };
    for (const auto& c : cases) {
        test_engine::Script script;
        script.initialize_process_type = c.type;
        script.initialize_passes_null_process_type = c.null_type;
        auto application = ApplicationOn(script);
        ASSERT_TRUE(Start(*application)) << c.label;
        EXPECT_EQ(engine_.Recorded().switches, c.expected) << c.label;
    }
}

TEST_F(TCefApplicationTest, EngineRefusingToInitialiseIsNotShown) {
    test_engine::Script script;
    script.initialize_result = 0;
    auto application = ApplicationOn(script);
    EXPECT_FALSE(Start(*application));
    EXPECT_EQ(application->Status(), Status::asErrorInitializingLibrary);
    EXPECT_TRUE(reporter_.events.empty());
    application->SetOsmodalLoop(true);
    EXPECT_FALSE(application->StartMainProcess());
    EXPECT_EQ(engine_.Recorded().calls,
              (std::vector<std::string>{"cef_execute_process", "cef_initialize"}));
}

TEST_F(TCefApplicationTest, EngineTakingTheBrowserProcessAsItsOwnEndsTheStart) {
    test_engine::Script script;
    script.execute_process_result = 0;
    auto application = ApplicationOn(script);
    EXPECT_FALSE(Start(*application));
    EXPECT_EQ(engine_.Recorded().calls, std::vector<std::string>{"cef_execute_process"});
    EXPECT_TRUE(reporter_.events.empty());
}

TEST_F(TCefApplicationTest, OsmodalLoopReachesTheEngineOnlyOnceInitialised) {
    auto application = Application({u"quillmoor"});
    application->SetOsmodalLoop(true);
    ASSERT_TRUE(Start(*application));
    application->SetOsmodalLoop(true);
    application->SetOsmodalLoop(false);
    EXPECT_EQ(engine_.Recorded().calls,
              (std::vector<std::string>{"cef_execute_process", "cef_initialize",
                                        "cef_set_osmodal_loop(1)", "cef_set_osmodal_loop(0)"}));
}

TEST_F(TCefApplicationTest, SecondStartReturnsFalseAndDoesNothing) {
    auto application = Application({u"quillmoor"});
    ASSERT_TRUE(Start(*application));
    EXPECT_FALSE(Start(*application));
    EXPECT_EQ(application->Status(), Status::asInitialized);
    EXPECT_EQ(engine_.Recorded().calls.size(), 2u);
}

#if !defined(_WIN32)
// On Linux the build is known only once the library is loaded (on Windows it is read from
// the file's version record before: see TCefApplicationWindowsBuildTest).
TEST_F(TCefApplicationTest, WrongBuildNumbersOfTheLoadedLibraryAreRejected) {
    const struct {
        int version[3];
        std::u16string expected;
    } cases[] = {
        {{78, 3, 10},
         u"Unsupported CEF version !\r\n\r\n" + kUseBuild +
             u"\r\n\r\nExpected libcef.so version : 78.3.9.0\r\nFound libcef.so version : "
             u"78.3.10.0"},
        {{77, 3, 9},
         u"Unsupported CEF version !\r\n\r\n" + kUseBuild +
             u"\r\n\r\nExpected libcef.so version : 78.3.9.0\r\nFound libcef.so version : "
             u"77.3.9.0"},
        {{78 + 65536, 3, 9}, u"Unsupported CEF version !\r\n\r\n" + kUseBuild},
        {{78, -1, 9}, u"Unsupported CEF version !\r\n\r\n" + kUseBuild},
    };
    for (const auto& c : cases) {
        test_engine::Script script;
        std::copy(std::begin(c.version), std::end(c.version), script.version);
        engine_.Reset(script);
        reporter_.events.clear();
        auto application = Application({u"quillmoor"});
        EXPECT_FALSE(Start(*application));
        EXPECT_EQ(application->Status(), Status::asErrorDLLVersion);
        EXPECT_EQ(reporter_.Boxes(), std::vector<std::u16string>{c.expected});
        EXPECT_TRUE(engine_.Recorded().calls.empty());
    }
}

#endif

class IncompleteEngineTest : public TCefApplicationTest {
  protected:
    IncompleteEngineTest() : TCefApplicationTest(QUILLMOOR_INCOMPLETE_TEST_ENGINE_DIR) {}
};

TEST_F(IncompleteEngineTest, MissingEntryPointRejectsTheLibraryInEveryProcess) {
    for (const std::u16string type : {u"", u"--type=renderer"}) {
        engine_.Reset(test_engine::Script());
        reporter_.events.clear();
        std::vector<std::u16string> arguments = {u"quillmoor"};
        if (!type.empty()) {
            arguments.push_back(type);
        }
        auto application = Application(arguments);
        EXPECT_FALSE(Start(*application));
        EXPECT_EQ(application->Status(), Status::asErrorDLLVersion);
        EXPECT_EQ(reporter_.DebugLines().front(),
                  u"Missing entry point : cef_browser_host_create_browser_sync");
        EXPECT_EQ(reporter_.Boxes(),
                  std::vector<std::u16string>{u"Unsupported CEF version !\r\n\r\n" + kUseBuild});
        EXPECT_TRUE(engine_.Recorded().calls.empty());
        application->SetOsmodalLoop(true);
        EXPECT_TRUE(engine_.Recorded().calls.empty());
    }
}

// No engine library is loaded in the process here: on Windows a load by the bare name would
// be given any module of that name already loaded, wherever it came from.
TEST(EngineLibraryLoadTest, SubProcessWithoutTheLibraryShowsTheLoadFailure) {
#if defined(_WIN32)
    ASSERT_FALSE(test_support::TestEngineLibrary::EngineLibraryLoaded());
    const std::u16string expected = u"Error loading libcef.dll\r\n\r\nError code : 0x0000007E";
#else
    const std::u16string expected = u"Error loading libcef.so\r\n\r\nError code : 0x00000002";
#endif
    test_support::FixtureFolder empty;
    test_support::CapturingReporter reporter;
    TCefApplication application(ProcessArguments({u"quillmoor", u"--type=renderer"}),
                                test_support::TestEngineLibrary::Layout(), reporter);
    EXPECT_FALSE(StartIn(application, empty.path()));
    EXPECT_EQ(application.Status(), Status::asErrorLoadingLibrary);
    EXPECT_EQ(reporter.Boxes(), std::vector<std::u16string>{expected});
}

TEST_F(TCefApplicationTest, MissingFilesAreKeptAndTheStatusIsFinal) {
    test_support::FixtureFolder empty;
    auto application = Application({u"quillmoor"});
    EXPECT_FALSE(StartIn(*application, empty.path()));
    EXPECT_EQ(application->Status(), Status::asErrorMissingFiles);
    const std::u16string& missing = application->MissingLibFiles();
    EXPECT_EQ(
        missing.rfind(test_support::TestEngineLibrary::Layout().file_groups[0][0] + u"\r\n", 0),
        0u);
    EXPECT_EQ(static_cast<size_t>(std::count(missing.begin(), missing.end(), u'\n')),
              EngineFileCount(test_support::TestEngineLibrary::Layout()));
    // The files appear later: the start stays failed and shows nothing more.
    EXPECT_FALSE(Start(*application));
    EXPECT_EQ(application->Status(), Status::asErrorMissingFiles);
    EXPECT_EQ(reporter_.Boxes().size(), 1u);
    EXPECT_TRUE(engine_.Recorded().calls.empty());
}

#if defined(_WIN32)
// The whole start-up as on a user's machine: the files check in the working directory, the
// version record read by the system, the machine read from the header, the library found by
// the system's search for its bare name, and the engine calling back the program.
TEST(EngineLibraryLoadTest, BareNameFindsTheLibraryInTheWorkingDirectory) {
    ASSERT_FALSE(test_support::TestEngineLibrary::EngineLibraryLoaded());
    test_support::TestEngineLibrary library(QUILLMOOR_TEST_ENGINE_DIR);
    test_support::CapturingReporter reporter;
    TCefApplication application(ProcessArguments({u"quillmoor"}),
                                test_support::TestEngineLibrary::Layout(), reporter);
    ASSERT_TRUE(StartIn(application, library.folder()));
    EXPECT_TRUE(reporter.events.empty());

    wchar_t loaded[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(GetModuleHandleW(L"libcef.dll"), loaded, MAX_PATH), 0u);
    EXPECT_TRUE(std::filesystem::equivalent(loaded, library.folder() / "libcef.dll")) << loaded;
    test_engine::Control& engine = library.control();
    EXPECT_EQ(engine.Recorded().calls,
              (std::vector<std::string>{"cef_execute_process", "cef_initialize"}));
    EXPECT_EQ(engine.Recorded().settings.size, sizeof(cef_settings_t));
#if !defined(_WIN64)
    EXPECT_EQ(engine.Recorded().settings.size, 236u) << "the record of the supported build";
#endif
    engine.SendContextNotice();
    EXPECT_TRUE(application.GlobalContextInitialized());
}

// Libraries of another build, or made for programs of the other word size, are turned away by what
// the system reads from the file, before anything loads it.
TEST(EngineLibraryLoadTest, OtherBuildsAreRejectedBeforeTheLibraryIsLoaded) {
    const struct {
        const char* folder;
        std::u16string expected;
    } cases[] = {
        {QUILLMOOR_NEXT_BUILD_TEST_ENGINE_DIR,
         u"Unsupported CEF version !\r\n\r\n" + kUseBuild +
             u"\r\n\r\nExpected libcef.dll version : 78.3.9.0\r\n"
             u"Found libcef.dll version : 78.3.9.1"},
        {QUILLMOOR_OTHER_BITS_TEST_ENGINE_DIR, kOtherBitsMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        ASSERT_FALSE(test_support::TestEngineLibrary::EngineLibraryLoaded());
        test_support::TestEngineLibrary library(c.folder);
        test_support::CapturingReporter reporter;
        TCefApplication application(ProcessArguments({u"quillmoor"}),
                                    test_support::TestEngineLibrary::Layout(), reporter);
        EXPECT_FALSE(StartIn(application, library.folder()));
        EXPECT_EQ(application.Status(), Status::asErrorDLLVersion);
        EXPECT_EQ(reporter.Boxes(), std::vector<std::u16string>{c.expected});
        EXPECT_FALSE(test_support::TestEngineLibrary::EngineLibraryLoaded()) << "never loaded";
    }
}
#endif

#ifdef QUILLMOOR_PROGRAM_PATH
// The program itself, run as the engine would run it, in the test engine's folder.
std::string RunProgram(const std::string& folder, const std::string& environment,
                       const std::string& arguments) {
    // No display: the program may create no window (and so no toolkit) on these paths.
    const std::string command = "cd '" + folder + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                "-u QT_QPA_PLATFORM " + environment + " '" +
                                QUILLMOOR_PROGRAM_PATH + "' " + arguments +
                                " 2>&1; echo \"exit code $?\"";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    return output;
}

TEST(ProgramEntryTest, SubProcessEndsWithExitCodeZeroWhateverTheEngineReturned) {
    for (const char* result : {"0", "3"}) {
        EXPECT_EQ(RunProgram(QUILLMOOR_TEST_ENGINE_DIR,
                             std::string("QUILLMOOR_TEST_ENGINE_EXECUTE_PROCESS_RESULT=") + result,
                             "--type=renderer"),
                  "exit code 0\n");
    }
}

TEST(ProgramEntryTest, BrowserProcessWithoutADisplayStartsTheEngineSaysSoAndEndsWithExitCodeZero) {
    const std::string output = RunProgram(QUILLMOOR_TEST_ENGINE_DIR, "", "");
    EXPECT_EQ(output, "Error: Quillmoor needs a display to show its windows.\nexit code 0\n");
}

TEST(ProgramEntryTest, FailedStartIsReportedAndEndsWithExitCodeZero) {
    test_support::FixtureFolder empty;
    const std::string output = RunProgram(empty.path().string(), "", "");
    // Once: without a display there is no box, and the debugger line would repeat it.
    const std::string message =
        "Error: CEF binaries missing !\n\nThe missing files are :\nlibcef.so";
    EXPECT_NE(output.find(message), std::string::npos) << output;
    EXPECT_EQ(output.find("CEF binaries missing", output.find(message) + message.size()),
              std::string::npos)
        << output;
    EXPECT_TRUE(output.ends_with("exit code 0\n")) << output;
}
#endif

}  // namespace
}  // namespace quillmoor
