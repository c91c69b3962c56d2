// libcef.so loaded by path as the program loads it, in what needs no Chromium: process
// roles, strings, string lists, command lines, version, and starting without a usable
// Chromium.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "bridge/chromium_version.h"
#include "bridge/engine_strings.h"
#include "engine/engine_object.h"
#include "engine/engine_string.h"
#include "platform/utf.h"
#include "tests/bridge/engine_library.h"
#include "tests/bridge/engine_test_objects.h"
#include "tests/bridge/stderr_capture.h"
#include "tests/support/argument_vector.h"
#include "tests/support/test_folder.h"

namespace quillmoor::bridge_test {
namespace {

using ::testing::HasSubstr;

const EngineLibrary& Library() {
    return EngineLibrary::Get();
}

// An environment variable set for one test.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

std::u16string Text(cef_string_t* string) {
    return FromEngineString(string);
}

struct ProcessRoleCase {
    std::vector<std::string> arguments;
    int expected;
};

class ProcessRole : public ::testing::TestWithParam<ProcessRoleCase> {};

TEST_P(ProcessRole, IsTheBrowserProcessOnlyWithoutATypeArgument) {
    std::vector<std::string> arguments = GetParam().arguments;
    std::vector<char*> argv = test_support::PointersTo(arguments);
    cef_main_args_t args{static_cast<int>(arguments.size()), argv.data()};
    auto app = EngineObjectPtr<TestApp>::Make();
    EXPECT_EQ(GetParam().expected,
              Library().cef_execute_process(&args, app->NewReference(), nullptr));
    EXPECT_EQ(1, app->ReferenceCount()) << "the application's reference was kept or released twice";
    EXPECT_EQ(0, app->CommandLineCalls());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ProcessRole,
    ::testing::Values(ProcessRoleCase{{"quillmoor"}, -1},
                      ProcessRoleCase{{"quillmoor", "--host-resolver-rules=MAP a 127.0.0.1"}, -1},
                      ProcessRoleCase{{"quillmoor", "--typo=renderer", "type=renderer"}, -1},
                      ProcessRoleCase{{"quillmoor", "--type=renderer"}, 0},
                      ProcessRoleCase{{"quillmoor", "--TYPE=Renderer"}, 0},
                      ProcessRoleCase{{"quillmoor", "--type="}, 0},
                      ProcessRoleCase{{"quillmoor", "--lang=de", "--type=gpu-process"}, 0}));

TEST(EngineStrings, SetCopiesOrBorrowsAndClearFreesWhatItOwns) {
    const std::u16string source = u"t\u00e9xt";
    const auto* units = reinterpret_cast<const char16*>(source.data());
    cef_string_t borrowed{};
    ASSERT_EQ(1, Library().cef_string_utf16_set(units, source.size(), &borrowed, 0));
    EXPECT_EQ(units, borrowed.str);
    EXPECT_EQ(nullptr, borrowed.dtor);
    cef_string_t copied{};
    ASSERT_EQ(1, Library().cef_string_utf16_set(units, source.size(), &copied, 1));
    EXPECT_NE(units, copied.str);
    EXPECT_NE(nullptr, copied.dtor);
    EXPECT_EQ(source, Text(&copied));
    // Setting again frees the previous copy (ASan watches), clearing leaves it empty.
    ASSERT_EQ(1, Library().cef_string_utf16_set(units, 1, &copied, 1));
    EXPECT_EQ(u"t", Text(&copied));
    Library().cef_string_utf16_clear(&copied);
    EXPECT_EQ(nullptr, copied.str);
    EXPECT_EQ(0u, copied.length);
    Library().cef_string_utf16_clear(&borrowed);

    cef_string_userfree_t userfree = Library().cef_string_userfree_utf16_alloc();
    ASSERT_NE(nullptr, userfree);
    EXPECT_EQ(0u, userfree->length);
    Library().cef_string_utf16_set(units, source.size(), userfree, 1);
    Library().cef_string_userfree_utf16_free(userfree);
}

TEST(EngineStrings, ConvertBetweenUtf8AndUtf16AndReportBrokenInput) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
        int well_formed;
    };
    const Case cases[] = {
        {"", u"", 1},
        {"plain", u"plain", 1},
        {"\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80", u"\u00e9\u4e2d\U0001F600", 1},
        {"a\xff"
         "b",
         u"a\ufffd"
         "b",
         0},
    };
    for (const Case& c : cases) {
        cef_string_t wide{};
        EXPECT_EQ(c.well_formed,
                  Library().cef_string_utf8_to_utf16(c.utf8.data(), c.utf8.size(), &wide))
            << c.utf8;
        EXPECT_EQ(c.utf16, Text(&wide));
        Library().cef_string_utf16_clear(&wide);
    }
    const std::u16string good = u"\u00e9\U0001F600";
    cef_string_utf8_t narrow{};
    EXPECT_EQ(1, Library().cef_string_utf16_to_utf8(reinterpret_cast<const char16*>(good.data()),
                                                    good.size(), &narrow));
    EXPECT_EQ("\xc3\xa9\xf0\x9f\x98\x80", std::string(narrow.str, narrow.length));
    const std::u16string lone = u"a\xd800";
    EXPECT_EQ(0, Library().cef_string_utf16_to_utf8(reinterpret_cast<const char16*>(lone.data()),
                                                    lone.size(), &narrow));
    EXPECT_EQ("a\xef\xbf\xbd", std::string(narrow.str, narrow.length));
    narrow.dtor(narrow.str);
}

TEST(EngineStringLists, HoldCopiesAndCopyIndependently) {
    cef_string_list_t list = Library().cef_string_list_alloc();
    for (std::u16string value : {u"one", u"", u"thr\u00e9e"}) {
        std::u16string kept = value;
        cef_string_t borrowed = EngineStringView(kept);
        Library().cef_string_list_append(list, &borrowed);
        kept.assign(kept.size(), u'x');  // the list holds its own copy
    }
    ASSERT_EQ(3u, Library().cef_string_list_size(list));
    cef_string_list_t copy = Library().cef_string_list_copy(list);
    Library().cef_string_list_clear(list);
    EXPECT_EQ(0u, Library().cef_string_list_size(list));
    cef_string_t value{};
    EXPECT_EQ(1, Library().cef_string_list_value(copy, 2, &value));
    EXPECT_EQ(u"thr\u00e9e", Text(&value));
    EXPECT_EQ(0, Library().cef_string_list_value(copy, 3, &value));
    Library().cef_string_utf16_clear(&value);
    Library().cef_string_list_free(list);
    Library().cef_string_list_free(copy);
}

TEST(EngineCommandLine, KeepsSwitchesByNameAndArgumentsInOrder) {
    cef_command_line_t* line = Library().cef_command_line_create();
    const char* argv[] = {"/opt/quillmoor", "--lang=de", "page.html",     "-single",
                          "--lang=fr",      "--",        "--not-a-switch"};
    line->init_from_argv(line, 7, argv);
    const auto has = [&](const std::u16string& name) {
        cef_string_t text = EngineStringView(name);
        return line->has_switch(line, &text);
    };
    const auto value = [&](const std::u16string& name) {
        cef_string_t text = EngineStringView(name);
        return TextOf(line->get_switch_value(line, &text));
    };
    EXPECT_EQ("/opt/quillmoor", TextOf(line->get_program(line)));
    EXPECT_EQ(1, has(u"lang"));
    EXPECT_EQ(1, has(u"--lang"));
    EXPECT_EQ("fr", value(u"lang")) << "the last value of a switch stands";
    EXPECT_EQ(1, has(u"single"));
    EXPECT_EQ(0, has(u"not-a-switch"));

    std::u16string name = u"--disable-gpu";
    cef_string_t switch_name = EngineStringView(name);
    line->append_switch(line, &switch_name);
    cef_string_list_t arguments = Library().cef_string_list_alloc();
    line->get_arguments(line, arguments);
    ASSERT_EQ(2u, Library().cef_string_list_size(arguments));
    cef_string_t argument{};
    Library().cef_string_list_value(arguments, 1, &argument);
    EXPECT_EQ(u"--not-a-switch", Text(&argument));
    Library().cef_string_utf16_clear(&argument);
    Library().cef_string_list_free(arguments);
    EXPECT_EQ("/opt/quillmoor --lang=fr --single --disable-gpu page.html --not-a-switch",
              TextOf(line->get_command_line_string(line)));

    cef_command_line_t* copy = line->copy(line);
    line->reset(line);
    EXPECT_EQ(0, line->has_switches(line));
    EXPECT_EQ(1, copy->has_switches(copy));
    EXPECT_EQ("/opt/quillmoor", TextOf(line->get_program(line)));
    copy->base.release(&copy->base);
    line->base.release(&line->base);
}

TEST(EngineCommandLine, TheGlobalOneIsThisProcessesAndReadOnly) {
    cef_command_line_t* global = Library().cef_command_line_get_global();
    EXPECT_EQ(1, global->is_read_only(global));
    EXPECT_THAT(TextOf(global->get_program(global)), HasSubstr("bridge_library_tests"));
    std::u16string name = u"--added";
    cef_string_t text = EngineStringView(name);
    global->append_switch(global, &text);
    EXPECT_EQ(0, global->has_switch(global, &text));
    global->base.release(&global->base);
}

TEST(EngineVersion, NamesTheInterfaceBuildAndTheChromiumItDrives) {
    EXPECT_EQ(78, Library().cef_version_info(0));
    EXPECT_EQ(3, Library().cef_version_info(1));
    EXPECT_EQ(9, Library().cef_version_info(2));
    EXPECT_EQ(0, Library().cef_version_info(8));
    const std::string chromium = ChromiumOnPath();
    if (chromium.empty()) {
        GTEST_SKIP() << "no Chromium on PATH to compare the Chromium version with";
    }
    std::optional<bridge::ChromiumVersion> installed =
        bridge::ChromiumVersion::OfExecutable(chromium);
    ASSERT_TRUE(installed);
    for (int part = 0; part < 4; ++part) {
        EXPECT_EQ(installed->Part(part), Library().cef_version_info(4 + part)) << part;
    }
    EXPECT_GT(Library().cef_version_info(4), 0);
}

TEST(EngineWithoutInitialisation, RefusesBrowsersAndShutsDownQuietly) {
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_window_info_t window{};
    EXPECT_EQ(0, Library().cef_browser_host_create_browser(&window, client->NewReference(), nullptr,
                                                           nullptr, nullptr, nullptr));
    EXPECT_EQ(nullptr, Library().cef_browser_host_create_browser_sync(
                           &window, client->NewReference(), nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, client->ReferenceCount());
    Library().cef_shutdown();
}

// Whatever fails inside initialisation (here: no file descriptor left for the engine's own
// thread), the program gets 0 back and goes on; nothing unwinds through the C interface.
TEST(EngineInitialisation, AFailureInsideReturnsZeroInsteadOfEndingTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own runtime needs file descriptors, which this test takes "
                    "away; the normal build runs it";
#endif
    test_support::TestFolder bin;
    test_support::TestFolder temp;
    WriteFileWithMode(bin.Root() / "chromium", "#!/bin/sh\nexec /bin/sleep 30\n", 0755);
    const EngineLibrary& library = Library();
    auto app = EngineObjectPtr<TestApp>::Make();
    std::string program = "quillmoor";
    char* argv[] = {program.data(), nullptr};
    cef_main_args_t args{1, argv};

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        setenv("PATH", bin.Root().c_str(), 1);
        setenv("TMPDIR", temp.Root().c_str(), 1);
        // From here on every new file descriptor is refused.
        const int lowest_free = dup(0);
        close(lowest_free);
        const rlimit limit{static_cast<rlim_t>(lowest_free), static_cast<rlim_t>(lowest_free)};
        setrlimit(RLIMIT_NOFILE, &limit);
        const int result = library.cef_initialize(&args, nullptr, app->NewReference(), nullptr);
        _exit(result == 0 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the program was ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "initialisation reported success";
}

struct StartFailureCase {
    const char* name;
    const char* fake_chromium;  // a shell script installed as "chromium"; nullptr: none
    mode_t mode;
    const char* message;
};

class StartFailure : public ::testing::TestWithParam<StartFailureCase> {};

// Without a Chromium that answers, initialisation fails with one line that says what
// was looked for or what went wrong, and leaves nothing behind.
TEST_P(StartFailure, ReturnsZeroWithOneLineOnStandardError) {
    test_support::TestFolder bin;
    test_support::TestFolder temp;
    if (GetParam().fake_chromium != nullptr) {
        WriteFileWithMode(bin.Root() / "chromium", GetParam().fake_chromium, GetParam().mode);
    }
    ScopedVariable path("PATH", bin.Root());
    ScopedVariable tmpdir("TMPDIR", temp.Root());
    auto app = EngineObjectPtr<TestApp>::Make();
    std::string program = "quillmoor";
    char* argv[] = {program.data(), nullptr};
    cef_main_args_t args{1, argv};
    std::string text;
    {
        StderrCapture captured;
        EXPECT_EQ(0, Library().cef_initialize(&args, nullptr, app->NewReference(), nullptr));
        text = captured.Text();
    }
    EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n')) << text;
    EXPECT_THAT(text, HasSubstr(GetParam().message));
    EXPECT_EQ(1, app->ReferenceCount());
    EXPECT_EQ(1, app->Handler().ReferenceCount());
    EXPECT_TRUE(std::filesystem::is_empty(temp.Root())) << "a profile folder was left behind";
    auto client = EngineObjectPtr<TestClient>::Make();
    cef_window_info_t window{};
    EXPECT_EQ(0, Library().cef_browser_host_create_browser(&window, client->NewReference(), nullptr,
                                                           nullptr, nullptr, nullptr));
}

INSTANTIATE_TEST_SUITE_P(
    Chromium, StartFailure,
    ::testing::Values(
        StartFailureCase{"Missing", nullptr, 0,
                         "no chromium, chromium-browser or google-chrome on PATH"},
        StartFailureCase{"NotExecutable", "#!/bin/sh\nexit 3\n", 0644,
                         "no chromium, chromium-browser"},
        StartFailureCase{"EndingAtOnce", "#!/bin/sh\nexit 3\n", 0755, "ended before it answered"},
        StartFailureCase{"ClosingThePipe", "#!/bin/sh\nexec 3<&- 4>&-\nexec /bin/sleep 30\n", 0755,
                         "ended before it answered"}),
    [](const ::testing::TestParamInfo<StartFailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quillmoor::bridge_test
