// The real program as a process: its entry in both roles without a display, and one whole
// batch on the real Chromium through the Linux engine library, with the translation
// widget's stand-in, driven by a scripted session on Qt's offscreen platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/bridge/process_table.h"
#include "tests/program/program_process.h"
#include "tests/support/chromium_on_path.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::test_support {
namespace {

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(ProgramEntryTest, AnEngineSubProcessEndsWithExitCodeZeroWithoutAWindow) {
    TestFolder folder;
    // No display: a window (or the toolkit) would fail the start.
    const ProgramRun run = RunProgramIn(folder.Root() / "program", {"--type=renderer"}, {},
                                        /*with_engine=*/true, std::chrono::seconds(60));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(run.output, "");
}

TEST(ProgramEntryTest, AMissingEngineFileGivesItsOneMessageAndExitCodeZeroWithoutAWindow) {
    TestFolder folder;
    const ProgramRun run = RunProgramIn(folder.Root() / "program", {}, {},
                                        /*with_engine=*/false, std::chrono::seconds(60));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(Occurrences(run.output, "CEF binaries missing"), 1u) << run.output;
    EXPECT_THAT(run.output, HasSubstr("libcef.so"));
}

// A page with a style sheet in its resource folder.
void WriteSourcePage(const fs::path& site) {
    fs::create_directories(site / "page_files");
    WriteBytes(site / "page.html",
               "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Quillmoor test page</title>\r\n"
               "<link rel=\"stylesheet\" href=\"page_files/style.css\">\r\n</head>\r\n<body>\r\n"
               "<h1>Hello world</h1>\r\n<p>A page to translate.</p>\r\n</body>\r\n</html>\r\n");
    WriteBytes(site / "page_files" / "style.css", "h1 { color: #345; }\n");
}

TEST(ProgramEndToEndTest, TranslatesTwoRowsIntoTwoTickedLanguagesAndEndsCleanly) {
    if (!ChromiumOnPath()) {
        GTEST_SKIP() << "no Chromium on PATH";
    }
    TestFolder folder;
    const fs::path site = folder.Root() / "site";
    const fs::path program = folder.Root() / "program";
    WriteSourcePage(site);
    WidgetStandinServer standin(folder.Root() / "standin");

    const fs::path log = folder.Root() / "session.log";
    const fs::path script = folder.Root() / "session.txt";
    WriteBytes(script, "log " + log.string() + "\n" +                       //
                           "add " + (site / "page.html").string() + "\n" +  //
                           "add " + (site / "missing.html").string() + "\n" +
                           "tick fr\ntick de\n"
                           "answer ok\n"
                           "screenshot-after 5000 " +
                           (folder.Root() / "during.png").string() + "\n" +
                           "translate\n"
                           "exit\n");
    // Every Chromium the program starts carries this switch: none may be left at the end.
    const std::string marker = "--quillmoor-test-run=" + folder.Root().filename().string();
    std::vector<std::string> arguments = standin.EngineSwitches();
    arguments.push_back(marker);

    const ProgramRun run = RunProgramIn(
        program, arguments,
        {{"QT_QPA_PLATFORM", "offscreen"}, {"QUILLMOOR_SESSION_SCRIPT", script.string()}},
        /*with_engine=*/true, std::chrono::minutes(10));

    EXPECT_EQ(run.exit_code, 0) << run.output;
    const bool chromium_ended =
        bridge_test::WaitUntilNoProcessHas(marker, std::chrono::milliseconds(10'000));
    if (!chromium_ended) {
        bridge_test::KillProcessesWith(marker);
    }
    EXPECT_TRUE(chromium_ended) << "a Chromium of the program was left running";

    // The boxes, answered through the session's dialogs.
    const std::string result_root = "file://" + (program / "result").string() + "/";
    EXPECT_THAT(
        Lines(log),
        ElementsAre("choose files -> " + (site / "page.html").string(),
                    "choose files -> " + (site / "missing.html").string(), "press Translate",
                    "screenshot " + (folder.Root() / "during.png").string(),
                    "message Translate Done!\\n\\nPage-languages stored: 2\\n"
                    "Skipped (no place for the widget): 0\\n"
                    "Not captured (the page sent nothing back): 0",
                    "ask Open the result directory? -> ok", "open " + result_root,
                    "Translate returned", "exit", "session done"));

    // The result tree, file by file.
    const fs::path results = program / "result";
    EXPECT_THAT(NamesIn(results), ElementsAre("page.html"));
    EXPECT_THAT(NamesIn(results / "page.html"), ElementsAre("de", "fr"));
    for (const auto& [code, other] : {std::pair{"fr", "de"}, std::pair{"de", "fr"}}) {
        SCOPED_TRACE(code);
        EXPECT_THAT(NamesIn(results / "page.html" / code), ElementsAre("page.html", "page_files"));
        const std::string page = ReadBytes(results / "page.html" / code / "page.html");
        EXPECT_THAT(page, HasSubstr(std::string("[") + code + "] Hello world"));
        EXPECT_THAT(page, HasSubstr(std::string("[") + code + "] A page to translate."));
        EXPECT_THAT(page, Not(HasSubstr(std::string("[") + other + "]")));
        EXPECT_THAT(page, Not(HasSubstr("googleTranslateElementInit")));
        EXPECT_EQ(ReadBytes(results / "page.html" / code / "page_files" / "style.css"),
                  "h1 { color: #345; }\n");
    }
    // No temporary page left beside the source.
    EXPECT_THAT(NamesIn(site), ElementsAre("page.html", "page_files"));
    EXPECT_TRUE(fs::exists(folder.Root() / "during.png"));
}

}  // namespace
}  // namespace quillmoor::test_support
