// A small site through the command line's site layout, as someone who publishes it would
// check it: every relative link of every translated page resolves inside its language tree,
// no trace of the widget is left, the head holds the page's head, the root element names the
// language (and its direction), the alternate links name every version; the translated page
// renders with the source's layout; later runs redo only what changed, remove what left the
// site and go on after a stop. On the real Chromium with the widget's stand-in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/bridge/process_table.h"
#include "tests/command_line/cli_process.h"
#include "tests/command_line/no_process_left.h"
#include "tests/support/chromium_on_path.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::test_support {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

const char kStyle[] =
    "body { margin: 0; font: 16px sans-serif; }\n"
    "header { height: 60px; background: #234; }\n"
    "header img { width: 40px; height: 40px; margin: 10px; }\n"
    ".side { position: absolute; left: 0; top: 60px; width: 180px; height: 300px;\n"
    "        background: url(../img/bg.png) #9ab; }\n"
    "main { margin-left: 200px; }\n";

// A page of the site at depth levels below its top, linking the shared files and the other
// pages through relative links.
std::string SitePage(const std::string& title, const std::string& up, const std::string& more) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
           title + "</title>\n<link rel=\"stylesheet\" href=\"" + up +
           "css/site.css\">\n<script src=\"" + up +
           "js/app.js\"></script>\n</head>\n<body>\n<header><img src=\"" + up +
           "img/logo.png\" alt=\"Logo\"></header>\n<div class=\"side\"></div>\n<main>\n<h1>" +
           title + "</h1>\n<p>A short text.</p>\n<p><a href=\"" + up +
           "index.html\">Home</a> <a href=\"" + up +
           "docs/guide.html#start\">Guide</a> <a href=\"" + up +
           "blog/post.html?from=here\">Post</a></p>\n" + more + "</main>\n</body>\n</html>\n";
}

// The relative addresses (href, src) of a page, without those that leave the site.
std::vector<std::string> RelativeLinksOf(const std::string& page) {
    std::vector<std::string> links;
    static const std::regex attribute(R"re(\b(?:href|src)="([^"]*)")re");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), attribute);
         it != std::sregex_iterator(); ++it) {
        const std::string link = (*it)[1];
        if (link.empty() || link[0] == '#' || link.find(':') != std::string::npos ||
            link.starts_with("//") || link.starts_with("/")) {
            continue;
        }
        links.push_back(link.substr(0, link.find_first_of("?#")));
    }
    return links;
}

// What of the widget a published page must not hold.
const char* const kWidgetTraces[] = {"google_translate_element",
                                     "googleTranslateElementInit",
                                     "translate.google",
                                     "translate_a/element.js",
                                     "goog-te",
                                     "skiptranslate",
                                     "VIpgJd"};

class CommandLineSiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!ChromiumOnPath()) {
            GTEST_SKIP() << "no Chromium on PATH";
        }
        for (const char* folder : {"css", "js", "img", "docs/guide_files", "blog", "parts"}) {
            fs::create_directories(site_ / folder);
        }
        WriteBytes(site_ / "index.html", SitePage("Welcome", "", ""));
        WriteBytes(site_ / "docs" / "guide.html",
                   SitePage("Guide", "../",
                            "<p id=\"start\"><img src=\"guide_files/step.png\" alt=\"Step\" "
                            "width=\"20\" height=\"20\"></p>\n"));
        WriteBytes(site_ / "blog" / "post.html", SitePage("Post", "../", ""));
        // A fragment that other pages include: no place for the widget, kept as it is.
        WriteBytes(site_ / "parts" / "nav.html", "<nav><a href=\"../index.html\">Home</a></nav>\n");
        WriteBytes(site_ / "css" / "site.css", kStyle);
        WriteBytes(site_ / "js" / "app.js", "document.documentElement.dataset.app = 'on';\n");
        WriteBytes(site_ / "img" / "logo.png", "logo");
        WriteBytes(site_ / "img" / "bg.png", "bg");
        WriteBytes(site_ / "docs" / "guide_files" / "step.png", "step");
        // A link out of the site: never mirrored.
        WriteBytes(folder_.Root() / "private.txt", "private");
        fs::create_symlink(folder_.Root() / "private.txt", site_ / "img" / "leak.png");
        standin_ = std::make_unique<WidgetStandinServer>(folder_.Root() / "standin");
    }
    void TearDown() override {
        if (standin_ != nullptr) {
            ExpectNoProcessLeftWith(marker_);
        }
    }

    std::vector<std::string> Arguments(const fs::path& out, const std::string& report) {
        std::vector<std::string> arguments = {site_.string(),
                                              "--lang",
                                              "fr,ar",
                                              "--out",
                                              out.string(),
                                              "--progress",
                                              "lines",
                                              "--parallel",
                                              "2",
                                              "--base-url",
                                              "https://example.org/docs",
                                              "--report",
                                              report};
        for (const std::string& engine_switch : standin_->EngineSwitches()) {
            arguments.push_back("--engine-switch=" + engine_switch);
        }
        arguments.push_back("--engine-switch=" + marker_);
        return arguments;
    }
    CliRun Run(const fs::path& out, const std::string& name) {
        return RunCli(Arguments(out, Report(name)), folder_.Root() / (name + ".log"));
    }
    std::string Report(const std::string& name) const {
        return (folder_.Root() / (name + ".json")).string();
    }
    // The outcome of each page-language of a run's report: "docs/guide.html fr" -> "stored".
    std::map<std::string, std::string> OutcomesOf(const std::string& name) const {
        std::map<std::string, std::string> outcomes;
        const Json report = Json::parse(ReadBytes(Report(name)));
        const std::string root = site_.string() + "/";
        for (const Json& page : report.at("pages")) {
            std::string file = page.at("file").get<std::string>();
            if (file.starts_with(root)) {
                file = file.substr(root.size());
            }
            outcomes[file + " " + page.at("language").get<std::string>()] =
                page.at("outcome").get<std::string>();
        }
        return outcomes;
    }
    // The output's files without the run's own (marker, manifest).
    static std::map<std::string, std::string> PublishedTree(const fs::path& out) {
        std::map<std::string, std::string> tree = TreeOf(out);
        std::erase_if(tree, [](const auto& file) { return file.first.starts_with("."); });
        return tree;
    }

    TestFolder folder_;
    const fs::path site_ = folder_.Root() / "site";
    std::unique_ptr<WidgetStandinServer> standin_;
    const std::string marker_ = "--quillmoor-test-run=" + folder_.Root().filename().string();
};

TEST_F(CommandLineSiteTest, EachLanguageTreeIsTheWholeSiteWithCleanPagesAndLinksIntact) {
    const fs::path out = folder_.Root() / "out";
    const CliRun run = Run(out, "first");
    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("img/leak.png"));

    const std::map<std::string, std::string> tree = PublishedTree(out);
    std::set<std::string> files;
    for (const auto& [name, bytes] : tree) {
        files.insert(name);
    }
    for (const std::string code : {"fr", "ar"}) {
        SCOPED_TRACE(code);
        for (const char* file :
             {"index.html", "docs/guide.html", "blog/post.html", "parts/nav.html", "css/site.css",
              "js/app.js", "img/logo.png", "img/bg.png", "docs/guide_files/step.png"}) {
            EXPECT_EQ(files.count(code + "/" + file), 1u) << file;
        }
        EXPECT_EQ(files.count(code + "/img/leak.png"), 0u);
        EXPECT_EQ(tree.at(code + "/parts/nav.html"), ReadBytes(site_ / "parts" / "nav.html"));
        EXPECT_EQ(tree.at(code + "/css/site.css"), kStyle);
    }
    for (const auto& [name, bytes] : tree) {
        if (!name.ends_with(".html")) {
            continue;
        }
        SCOPED_TRACE(name);
        const std::string code = name.substr(0, name.find('/'));
        const fs::path page = out / name;
        for (const std::string& link : RelativeLinksOf(bytes)) {
            const fs::path target = (page.parent_path() / link).lexically_normal();
            EXPECT_TRUE(fs::is_regular_file(target)) << link;
            EXPECT_TRUE(target.string().starts_with((out / code).string() + "/")) << link;
        }
        if (name.ends_with("nav.html")) {
            continue;
        }
        for (const char* trace : kWidgetTraces) {
            EXPECT_THAT(bytes, Not(HasSubstr(trace)));
        }
        EXPECT_THAT(bytes, HasSubstr("[" + code + "] A short text."));
        const std::string head = bytes.substr(0, bytes.find("</head>"));
        EXPECT_THAT(head, HasSubstr("<meta charset=\"utf-8\">"));
        EXPECT_THAT(head, HasSubstr("<title>"));
        EXPECT_THAT(head, HasSubstr("css/site.css\">"));
        EXPECT_THAT(bytes.substr(bytes.find("</head>")), Not(HasSubstr("<title>")));
        EXPECT_THAT(bytes, HasSubstr(code == "ar" ? "<html lang=\"ar\" dir=\"rtl\">"
                                                  : "<html lang=\"fr\">"));
        const std::string path = name.substr(name.find('/') + 1);
        for (const std::string& line :
             {"hreflang=\"x-default\" href=\"https://example.org/docs/" + path + "\"",
              "hreflang=\"ar\" href=\"https://example.org/docs/ar/" + path + "\"",
              "hreflang=\"fr\" href=\"https://example.org/docs/fr/" + path + "\""}) {
            EXPECT_THAT(head, HasSubstr(line));
        }
    }
    const Json report = Json::parse(ReadBytes(Report("first")));
    EXPECT_EQ(report.at("options").at("layout"), "site");
    ASSERT_EQ(report.at("language_trees").size(), 2u);
    for (const Json& language : report.at("language_trees")) {
        EXPECT_EQ(language.at("stored"), 3) << language;
        EXPECT_EQ(language.at("not_stored"), 0) << language;
        EXPECT_EQ(language.at("mirrored").at("complete"), true) << language;
    }
    EXPECT_EQ(OutcomesOf("first").at("parts/nav.html fr"), "skipped");
}

TEST_F(CommandLineSiteTest, LaterRunsRedoOnlyWhatChangedRemoveWhatLeftAndGoOnAfterAStop) {
    const fs::path out = folder_.Root() / "out";
    ASSERT_EQ(Run(out, "first").exit_code, 0);
    const std::map<std::string, std::string> first = PublishedTree(out);

    // New file times on every file (a fresh checkout): nothing is redone.
    const auto later = fs::file_time_type::clock::now() + std::chrono::hours(1);
    for (const auto& entry : fs::recursive_directory_iterator(site_)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            fs::last_write_time(entry.path(), later);
        }
    }
    const CliRun touched = Run(out, "touched");
    EXPECT_EQ(touched.exit_code, 0) << touched.output;
    for (const auto& [page, outcome] : OutcomesOf("touched")) {
        EXPECT_THAT(outcome, ::testing::AnyOf("already stored", "skipped")) << page;
    }
    EXPECT_EQ(PublishedTree(out), first);

    // One page changed: only it is redone.
    WriteBytes(site_ / "docs" / "guide.html", SitePage("Guide", "../", "<p>A new text.</p>\n"));
    const CliRun changed = Run(out, "changed");
    EXPECT_EQ(changed.exit_code, 0) << changed.output;
    for (const auto& [page, outcome] : OutcomesOf("changed")) {
        if (page.starts_with("docs/guide.html")) {
            EXPECT_EQ(outcome, "stored") << page;
        } else {
            EXPECT_THAT(outcome, ::testing::AnyOf("already stored", "skipped")) << page;
        }
    }
    EXPECT_THAT(ReadBytes(out / "fr" / "docs" / "guide.html"), HasSubstr("[fr] A new text."));

    // One page gone: its results go too, and the run says so.
    fs::remove(site_ / "blog" / "post.html");
    const CliRun removed = Run(out, "removed");
    EXPECT_EQ(removed.exit_code, 0) << removed.output;
    EXPECT_THAT(removed.output, HasSubstr("removed 'fr/blog/post.html'"));
    EXPECT_FALSE(fs::exists(out / "fr" / "blog" / "post.html"));
    EXPECT_FALSE(fs::exists(out / "ar" / "blog" / "post.html"));
    EXPECT_TRUE(fs::exists(out / "fr" / "index.html"));

    // A run stopped with Ctrl-C goes on where it stopped: the same site as a whole run.
    const fs::path resumed = folder_.Root() / "resumed";
    {
        CliProcess stopped(Arguments(resumed, Report("stopped")), folder_.Root() / "stopped.log");
        ASSERT_TRUE(stopped.WaitForOutput("[2/", std::chrono::seconds(120))) << stopped.Output();
        stopped.Signal(SIGINT);
        EXPECT_EQ(stopped.Wait(std::chrono::seconds(120)), 1) << stopped.Output();
    }
    const CliRun again = Run(resumed, "again");
    EXPECT_EQ(again.exit_code, 0) << again.output;
    int already = 0;
    for (const auto& [page, outcome] : OutcomesOf("again")) {
        already += outcome == "already stored" ? 1 : 0;
    }
    EXPECT_GE(already, 1);
    EXPECT_EQ(PublishedTree(resumed), PublishedTree(out));
}

// The headless Chromium of the rendering checks, at a fixed window size.
std::string RenderCommand(const fs::path& profile) {
    std::string command =
        "chromium --headless --disable-gpu --no-first-run "
        "--disable-background-networking --disable-component-update "
        "--hide-scrollbars --window-size=1000,600 --virtual-time-budget=3000 "
        "--user-data-dir='" +
        profile.string() + "'";
    if (::geteuid() == 0) {
        command += " --no-sandbox";
    }
    return command;
}

// The page at path rendered: its picture at picture, and the boxes that hold no text
// (header, logo, side bar, images) as "name x y width height" lines, measured by a copy of
// the page beside it that reports them once loaded.
std::string RenderedBoxes(const fs::path& path, const fs::path& picture, const fs::path& profile) {
    const std::string command = RenderCommand(profile);
    EXPECT_EQ(std::system((command + " --screenshot='" + picture.string() + "' 'file://" +
                           path.string() + "' >/dev/null 2>&1")
                              .c_str()),
              0);
    std::string page = ReadBytes(path);
    const char kMeasure[] =
        "<script>addEventListener('load', function () {"
        " var out = '';"
        " document.querySelectorAll('header, header img, .side, main img').forEach("
        "  function (e, i) { var r = e.getBoundingClientRect();"
        "   out += e.tagName + i + ' ' + [r.x, r.y, r.width, r.height].map(Math.round).join(' ')"
        "   + ';'; });"
        " var pre = document.createElement('pre'); pre.id = 'boxes'; pre.textContent = out;"
        " document.body.appendChild(pre); });</script>";
    page.insert(page.rfind("</body>"), kMeasure);
    const fs::path measured = path.parent_path() / ("measure-" + path.filename().string());
    WriteBytes(measured, page);
    const fs::path dump = picture.string() + ".dom";
    std::system((command + " --dump-dom 'file://" + measured.string() + "' >'" + dump.string() +
                 "' 2>/dev/null")
                    .c_str());
    fs::remove(measured);
    const std::string dom = ReadBytes(dump);
    const std::size_t start = dom.find("<pre id=\"boxes\">");
    if (start == std::string::npos) {
        return "no boxes measured";
    }
    const std::size_t from = dom.find('>', start) + 1;
    return dom.substr(from, dom.find("</pre>", from) - from);
}

TEST_F(CommandLineSiteTest, ATranslatedPageRendersWithTheLayoutOfItsSource) {
    const fs::path out = folder_.Root() / "out";
    ASSERT_EQ(Run(out, "first").exit_code, 0);
    const fs::path pictures = fs::path(QUILLMOOR_SCREENSHOT_DIR) / "site";
    fs::create_directories(pictures);
    const fs::path profile = folder_.Root() / "render-profile";
    const std::string source =
        RenderedBoxes(site_ / "docs" / "guide.html", pictures / "guide-source.png", profile);
    const std::string french =
        RenderedBoxes(out / "fr" / "docs" / "guide.html", pictures / "guide-fr.png", profile);
    EXPECT_THAT(source, HasSubstr("HEADER0 0 0 1000 60;"));
    EXPECT_THAT(source, HasSubstr("DIV2 0 60 180 300;"));
    EXPECT_EQ(french, source);
    // The right-to-left page flows from the right, but its placed boxes stay where they are.
    const std::string arabic =
        RenderedBoxes(out / "ar" / "docs" / "guide.html", pictures / "guide-ar.png", profile);
    EXPECT_THAT(arabic, HasSubstr("HEADER0 0 0 1000 60;"));
    EXPECT_THAT(arabic, HasSubstr("DIV2 0 60 180 300;"));
}

}  // namespace
}  // namespace quillmoor::test_support
