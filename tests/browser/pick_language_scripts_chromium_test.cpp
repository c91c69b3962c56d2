// The two pick-the-language scripts on menus of both widget generations, run by a headless
// Chromium over fixture pages (one browser start for all of them, some seconds).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "handlers/page_scripts.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"
#include "tests/browser/chromium_page_run_host.h"
#include "tests/support/argument_vector.h"
#include "tests/support/test_folder.h"

extern char** environ;

namespace quillmoor::browser_test {
namespace {

using ::testing::HasSubstr;

// A menu frame of the class frame_class whose document holds the entries, each a link of
// its class (and value, when there is one) with a span of class "text"; a click on an entry
// notes its text in the main page's record of clicks (the page with the frame sits in a
// frame of the main page).
struct Entry {
    Entry(std::string link_class_, std::string text_, std::string value_ = "")
        : link_class(std::move(link_class_)), text(std::move(text_)), value(std::move(value_)) {}
    std::string link_class;
    std::string text;
    std::string value;
};
struct Menu {
    std::string frame_class;
    std::vector<Entry> entries;
};

// The page holds the widget snippet's container and configuring script for German (the
// loader is left out: nothing is fetched), the menus and, at its end, the two scripts.
std::string FixturePage(const std::string& name, const std::vector<Menu>& menus) {
    std::string page = "<!DOCTYPE html><html><body>" + Utf16ToUtf8(kWidgetSnippetOpening) +
                       "de', autoDisplay: false }, 'google_translate_element'); }</script>"
                       "<p>A page</p><script>\n"
                       "function menu(frameClass, entries) {\n"
                       "  var f = document.createElement('iframe');\n"
                       "  f.setAttribute('class', frameClass);\n"
                       "  document.body.appendChild(f);\n"
                       "  var d = f.contentWindow.document;\n"
                       "  d.open(); d.write('<body><div></div></body>'); d.close();\n"
                       "  entries.forEach(function (e) {\n"
                       "    var a = d.createElement('a');\n"
                       "    a.setAttribute('class', e[0]);\n"
                       "    a.setAttribute('href', 'javascript:void(0)');\n"
                       "    if (e[2]) a.setAttribute('value', e[2]);\n"
                       "    a.innerHTML = '<div><span class=\"text\">' + e[1] + '</span></div>';\n"
                       "    a.addEventListener('click', function (event) {\n"
                       "      event.preventDefault();\n"
                       "      parent.document.getElementById('" +
                       name +
                       "').textContent += e[1] + ';';\n"
                       "    });\n"
                       "    d.body.firstChild.appendChild(a);\n"
                       "  });\n"
                       "}\n";
    for (const Menu& menu : menus) {
        page += "menu('" + menu.frame_class + "', [";
        for (const Entry& entry : menu.entries) {
            page += "['" + entry.link_class + "', '" + entry.text + "', '" + entry.value + "'],";
        }
        page += "]);\n";
    }
    page += "</script><script>" + Utf16ToUtf8(kPickLanguageScript) + "</script><script>" +
            Utf16ToUtf8(kPickLanguageInCurrentMenuScript) + "</script></body></html>";
    return page;
}

// Runs Chromium headless on page and returns the document it ends with; empty when it did
// not end within the limit (then it is ended by its process id).
std::string DumpDom(const std::string& chromium, const std::filesystem::path& folder,
                    const std::filesystem::path& page) {
    const std::filesystem::path output = folder / "dom.html";
    std::vector<std::string> arguments = {chromium,
                                          "--headless",
                                          "--no-sandbox",
                                          "--disable-gpu",
                                          "--allow-file-access-from-files",
                                          "--user-data-dir=" + (folder / "profile").string(),
                                          "--dump-dom",
                                          "file://" + page.string()};
    std::vector<char*> argv = test_support::PointersTo(arguments);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return std::string();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return std::string();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return test_support::ReadBytes(output);
}

const std::string kFirstFrame = "goog-te-menu-frame skiptranslate";
const std::string kFirstEntry = "goog-te-menu2-item";
const std::string kCurrentFrame = "VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate";
const std::string kCurrentEntry = "VIpgJd-ZVi9od-vH1Gmf-ibnC6b";
const std::string kCurrentChoice = "VIpgJd-ZVi9od-vH1Gmf-ibnC6b VIpgJd-ZVi9od-vH1Gmf-ibnC6b-gk6SMd";

TEST(PickLanguageScriptsOnChromiumTest, ClickTheTargetEntryOfEitherGenerationsMenuOnce) {
    const std::string chromium = ChromiumOnPath();
    if (chromium.empty()) {
        GTEST_SKIP() << "no Chromium on PATH";
    }
    const struct {
        const char* name;
        std::vector<Menu> menus;
        const char* clicks;  // the entries clicked, in order, each followed by ";"
    } cases[] = {
        {"first", {{kFirstFrame, {{kFirstEntry, "de"}}}}, "de;"},
        // The earlier menu is there: the current menu's script leaves the page alone.
        {"both",
         {{kFirstFrame, {{kFirstEntry, "de"}}}, {kCurrentFrame, {{kCurrentEntry, "fr"}}}},
         "de;"},
        {"current", {{kCurrentFrame, {{kCurrentEntry, "de"}}}}, "de;"},
        {"currentchoicefirst",
         {{kCurrentFrame, {{kCurrentChoice, "orig"}, {kCurrentEntry, "de"}}}},
         "de;"},
        {"onlythecurrentchoice", {{kCurrentFrame, {{kCurrentChoice, "orig"}}}}, "orig;"},
        {"classesinotherorder",
         {{"skiptranslate x VIpgJd-ZVi9od-xl07Ob-OEVmcd",
           {{"y " + kCurrentEntry, "de"}, {kCurrentEntry, "fr"}}}},
         "de;"},
        {"twomenus",
         {{kCurrentFrame, {{kCurrentEntry, "de"}}}, {kCurrentFrame, {{kCurrentEntry, "fr"}}}},
         "de;"},
        // The entry of the snippet's language, wherever it stands and however marked.
        {"byvalue",
         {{kCurrentFrame,
           {{kCurrentChoice, "orig", "en"},
            {kCurrentEntry, "fr", "fr"},
            {kCurrentEntry, "de", "de"}}}},
         "de;"},
        {"byvaluecurrent",
         {{kCurrentFrame, {{kCurrentEntry, "fr", "fr"}, {kCurrentChoice, "de", "de"}}}},
         "de;"},
        {"novaluematch",
         {{kCurrentFrame, {{kCurrentChoice, "orig", "en"}, {kCurrentEntry, "fr", "fr"}}}},
         "fr;"},
        {"notskiptranslate", {{"VIpgJd-ZVi9od-xl07Ob-OEVmcd", {{kCurrentEntry, "de"}}}}, ""},
        {"otherlinks", {{kCurrentFrame, {{"VIpgJd-ZVi9od-vH1Gmf", "de"}}}}, ""},
        {"noentries", {{kCurrentFrame, {}}}, ""},
        {"nowidget", {}, ""},
    };
    test_support::TestFolder folder;
    std::string main_page = "<!DOCTYPE html><html><body>";
    for (const auto& c : cases) {
        test_support::WriteBytes(folder.Root() / (std::string(c.name) + ".html"),
                                 FixturePage(c.name, c.menus));
        main_page += "<pre id=\"" + std::string(c.name) + "\"></pre><iframe src=\"" + c.name +
                     ".html\"></iframe>";
    }
    main_page += "</body></html>";
    test_support::WriteBytes(folder.Root() / "main.html", main_page);

    const std::string dom = DumpDom(chromium, folder.Root(), folder.Root() / "main.html");
    ASSERT_THAT(dom, HasSubstr("</html>")) << "Chromium did not dump the page";
    for (const auto& c : cases) {
        EXPECT_THAT(dom,
                    HasSubstr("<pre id=\"" + std::string(c.name) + "\">" + c.clicks + "</pre>"))
            << c.name;
    }
}

}  // namespace
}  // namespace quillmoor::browser_test
