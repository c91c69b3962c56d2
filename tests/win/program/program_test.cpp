// The window program on Windows as a person starts it: from its own folder, beside the
// engine's files (placeholders, and the scripted engine as libcef.dll, which plays the
// browser and the translation widget without Chromium), driven by a session script that adds
// the pages, ticks the languages, answers the dialogs and presses the buttons. Under Wine.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/utf.h"
#include "startup/engine_layout.h"
#include "tests/support/test_folder.h"

namespace quillmoor {
namespace {

namespace fs = std::filesystem;
using test_support::ReadBytes;
using test_support::WriteBytes;
using ::testing::HasSubstr;
using ::testing::Not;

// What the engine folder lacks or holds wrongly.
enum class EngineFault { kNone, kMissingFile, kNextBuild, kOtherMachine };

class ProgramFolder {
  public:
    explicit ProgramFolder(EngineFault fault) {
        fs::create_directories(app_);
        fs::copy_file(QUILLMOOR_PROGRAM_EXE, app_ / "quillmoor.exe");
        const EngineLayout layout = EngineLayout::Windows();
        for (const auto& group : layout.file_groups) {
            for (const std::u16string& file : group) {
                const fs::path path = app_ / fs::path(file);
                fs::create_directories(path.parent_path());
                WriteBytes(path, "placeholder");
            }
        }
        fs::create_directories(app_ / "locales");
        for (const std::u16string& code : layout.locale_codes) {
            WriteBytes(app_ / "locales" / fs::path(code + u".pak"), "placeholder");
        }
        const fs::path engine = app_ / "libcef.dll";
        fs::remove(engine);
        switch (fault) {
            case EngineFault::kNone:
                fs::copy_file(QUILLMOOR_SCRIPTED_ENGINE_DLL, engine);
                break;
            case EngineFault::kMissingFile:
                fs::copy_file(QUILLMOOR_SCRIPTED_ENGINE_DLL, engine);
                fs::remove(app_ / "icudtl.dat");
                break;
            case EngineFault::kNextBuild:
                fs::copy_file(QUILLMOOR_NEXT_BUILD_ENGINE_DLL, engine);
                break;
            case EngineFault::kOtherMachine: {
                // The scripted engine, its header naming the other word size's machine.
                std::string bytes = ReadBytes(QUILLMOOR_SCRIPTED_ENGINE_DLL);
                const auto header = *reinterpret_cast<const std::uint32_t*>(bytes.data() + 0x3C);
                const std::uint16_t other = sizeof(void*) == 8 ? 0x014C : 0x8664;
                bytes[header + 4] = static_cast<char>(other & 0xFF);
                bytes[header + 5] = static_cast<char>(other >> 8);
                WriteBytes(engine, bytes);
                break;
            }
        }
        fs::create_directories(site_);
    }

    const fs::path& App() const { return app_; }
    const fs::path& Site() const { return site_; }
    fs::path Log() const { return folder_.Root() / "session.log"; }

    // Runs the program from its folder with the session script; its exit code, or -1 when it
    // did not end within limit_ms (it is ended then).
    int Run(const std::string& script, DWORD limit_ms) const {
        const fs::path script_file = folder_.Root() / "session.txt";
        WriteBytes(script_file, "log " + Log().string() + "\n" + script);
        SetEnvironmentVariableW(L"QUILLMOOR_SESSION_SCRIPT", script_file.wstring().c_str());
        std::wstring command = L"\"" + (app_ / "quillmoor.exe").wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, app_.wstring().c_str(), &startup, &process);
        SetEnvironmentVariableW(L"QUILLMOOR_SESSION_SCRIPT", nullptr);
        if (!started) {
            return -2;
        }
        int code = -1;
        if (WaitForSingleObject(process.hProcess, limit_ms) == WAIT_OBJECT_0) {
            DWORD exit_code = 0;
            GetExitCodeProcess(process.hProcess, &exit_code);
            code = static_cast<int>(exit_code);
        } else {
            TerminateProcess(process.hProcess, 99);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }

  private:
    test_support::TestFolder folder_;
    const fs::path app_ = folder_.Root() / "app";
    const fs::path site_ = folder_.Root() / "site";
};

std::string Page(const std::string& text) {
    return "<html><head><title>" + text + "</title></head><body><p>" + text +
           "</p></body></html>\r\n";
}

TEST(WindowProgram, StartUpFailuresShowTheirMessageOnceAndEndWithExitCodeZero) {
    const struct {
        const char* name;
        EngineFault fault;
        const char* message;
    } cases[] = {
        {"a missing engine file", EngineFault::kMissingFile, "CEF binaries missing !"},
        {"another engine build", EngineFault::kNextBuild, "Unsupported CEF version !"},
        {"the other word size", EngineFault::kOtherMachine, "Wrong CEF binaries !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(c.fault);
        EXPECT_EQ(folder.Run("add " + (folder.Site() / "a.html").string() + "\nexit\n", 60000), 0);
        const std::string log = ReadBytes(folder.Log());
        EXPECT_THAT(log, HasSubstr(std::string("error Error: ") + c.message)) << log;
        EXPECT_EQ(log.find("error Error:"), log.rfind("error Error:")) << log;
        // No window came: the script's steps never ran.
        EXPECT_THAT(log, Not(HasSubstr("choose files"))) << log;
    }
}

TEST(WindowProgram, ACancelledBatchStoresNothingAndEndsWithoutItsClosingMessage) {
    ProgramFolder folder(EngineFault::kNone);
    WriteBytes(folder.Site() / "a.html", Page("Hello"));
    const std::string script = "add " + (folder.Site() / "a.html").string() +
                               "\ntick fr\npress-after 5000 cancel\ntranslate\nexit\n";
    ASSERT_EQ(folder.Run(script, 120000), 0);
    const std::string log = ReadBytes(folder.Log());
    EXPECT_THAT(log, HasSubstr("press Cancel\nTranslate returned")) << log;
    EXPECT_THAT(log, Not(HasSubstr("Translate Done!"))) << log;
    EXPECT_FALSE(fs::exists(folder.App() / "result" / "a.html" / "fr" / "a.html"));
}

TEST(WindowProgram, TranslatesTwoPagesIntoTwoLanguagesWithTheScriptedEngine) {
    ProgramFolder folder(EngineFault::kNone);
    WriteBytes(folder.Site() / "a.html", Page("Hello"));
    WriteBytes(folder.Site() / "b.html", Page("Goodbye"));
    const fs::path during = folder.Site().parent_path() / "during.bmp";
    // Paused after 4 s for 8 s (a picture taken meanwhile), then on to the end.
    const std::string script = "add " + (folder.Site() / "a.html").string() + "\n" + "add " +
                               (folder.Site() / "b.html").string() + "\n" +
                               "tick fr\ntick de\nanswer ok\n" +
                               "press-after 4000 pause\nscreenshot-after 8000 " + during.string() +
                               "\npress-after 12000 pause\ntranslate\nexit\n";
    // Four page-languages at the full timing, each more than 72 s.
    ASSERT_EQ(folder.Run(script, 600000), 0);
    const std::string log = ReadBytes(folder.Log());
    EXPECT_THAT(log, HasSubstr("press Translate\npress Pause\nscreenshot " + during.string() +
                               "\npress Pause\n"))
        << log;
    EXPECT_THAT(log, HasSubstr("Page-languages stored: 4")) << log;
    EXPECT_THAT(log, HasSubstr("ask Open the result directory? -> ok")) << log;
    for (const char* page : {"a.html", "b.html"}) {
        for (const char* code : {"fr", "de"}) {
            const fs::path result = folder.App() / "result" / page / code / page;
            ASSERT_TRUE(fs::exists(result)) << result;
            const std::string text = ReadBytes(result);
            EXPECT_THAT(text, HasSubstr(std::string("[") + code + "] ")) << result;
            EXPECT_THAT(text, HasSubstr("translated-ltr")) << result;
            EXPECT_THAT(text, Not(HasSubstr("googleTranslateElementInit"))) << result;
        }
    }
    // No temporary page is left beside the sources; the window was drawn during the batch.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.Site())) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_THAT(left, ::testing::UnorderedElementsAre("a.html", "b.html"));
    EXPECT_TRUE(fs::exists(during));
}

}  // namespace
}  // namespace quillmoor
