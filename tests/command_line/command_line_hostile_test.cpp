// The command line against hostile pages and hostile folders, on the real Chromium with the
// translation widget's stand-in: nothing private reaches the output, nothing that failed is
// called stored, and the inputs stay as they were. Each row builds its fixture in a folder
// of its own: a site, and beside it a private folder whose bytes must never reach the
// output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/bridge/process_table.h"
#include "tests/command_line/cli_process.h"
#include "tests/command_line/no_process_left.h"
#include "tests/support/chromium_on_path.h"
#include "tests/support/matchers.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::test_support {
namespace {

using Json = nlohmann::json;

constexpr char kSecret[] = "PRIVATE-6b1f0c: nothing of this may be published";

// What a row builds, runs and expects.
struct Fixture {
    fs::path site;
    fs::path private_folder;
    fs::path out;
    fs::path report;
};

struct HostileCase {
    const char* name;
    // Builds the site (and what lies around it).
    std::function<void(const Fixture&)> build;
    // The command line's arguments but the engine switches; the site, --out and --report by
    // default.
    std::function<std::vector<std::string>(const Fixture&)> arguments;
    int exit_code;
    // Outcome (and reason, when given) of each page-language by "file language".
    std::map<std::string, std::string> outcomes;
    std::map<std::string, std::string> reasons;
    // A text among the warnings of each page-language named.
    std::map<std::string, std::string> warnings = {};
    // More to check on the disk afterwards.
    std::function<void(const Fixture&)> check = nullptr;
};

class CommandLineHostileTest : public ::testing::TestWithParam<HostileCase> {
  protected:
    void SetUp() override {
        if (!ChromiumOnPath()) {
            GTEST_SKIP() << "no Chromium on PATH";
        }
        standin_ = std::make_unique<WidgetStandinServer>(folder_.Root() / "standin");
    }
    void TearDown() override {
        if (standin_ != nullptr) {
            ExpectNoProcessLeftWith(marker_);
        }
    }

    TestFolder folder_;
    std::unique_ptr<WidgetStandinServer> standin_;
    const std::string marker_ = "--quillmoor-test-run=" + folder_.Root().filename().string();
};

TEST_P(CommandLineHostileTest, NothingPrivateReachesTheOutputAndTheInputsStay) {
    const HostileCase& c = GetParam();
    const Fixture fixture{folder_.Root() / "site", folder_.Root() / "private",
                          folder_.Root() / "out", folder_.Root() / "report.json"};
    fs::create_directories(fixture.site);
    fs::create_directories(fixture.private_folder);
    WriteBytes(fixture.private_folder / "secret.txt", kSecret);
    WriteBytes(fixture.private_folder / "elsewhere.html",
               "<html><body><p>" + std::string(kSecret) + "</p></body></html>");
    c.build(fixture);
    const std::map<std::string, std::string> inputs_before = TreeOf(fixture.site);

    std::vector<std::string> arguments =
        c.arguments ? c.arguments(fixture)
                    : std::vector<std::string>{fixture.site.string(), "--out", fixture.out.string(),
                                               "--report", fixture.report.string()};
    for (const std::string& more :
         {std::string("--lang"), std::string("fr"), std::string("--progress"), std::string("lines"),
          std::string("--layout"), std::string("per-page")}) {
        arguments.push_back(more);
    }
    for (const std::string& engine_switch : standin_->EngineSwitches()) {
        arguments.push_back("--engine-switch=" + engine_switch);
    }
    arguments.push_back("--engine-switch=" + marker_);
    const CliRun run = RunCli(arguments, folder_.Root() / "run.log");

    EXPECT_EQ(run.exit_code, c.exit_code) << run.output;
    if (c.exit_code == 2) {
        // A usage error creates nothing.
        EXPECT_FALSE(fs::exists(fixture.out));
    }
    // No byte of a private file in the output, whatever became of the pages.
    for (const auto& [path, bytes] : TreeOf(fixture.out)) {
        EXPECT_THAT(bytes, Not(HasSubstr("PRIVATE-6b1f0c"))) << path;
    }
    // The inputs as they were: only the program's own temporary pages may come and go.
    std::map<std::string, std::string> inputs_after = TreeOf(fixture.site);
    std::erase_if(inputs_after,
                  [](const auto& entry) { return entry.first.find("-temp") != std::string::npos; });
    EXPECT_EQ(inputs_after, inputs_before);
    if (!c.outcomes.empty()) {
        ASSERT_TRUE(fs::exists(fixture.report)) << run.output;
        std::map<std::string, std::string> outcomes;
        std::map<std::string, std::string> reasons;
        std::map<std::string, std::string> warnings;
        const Json report = Json::parse(ReadBytes(fixture.report));
        for (const Json& page : report.at("pages")) {
            const std::string key =
                fs::path(page.at("file").get<std::string>()).filename().string() + " " +
                page.at("language").get<std::string>();
            outcomes[key] = page.at("outcome").get<std::string>();
            if (page.contains("reason")) {
                reasons[key] = page.at("reason").get<std::string>();
            }
            if (page.contains("warnings")) {
                for (const Json& warning : page.at("warnings")) {
                    warnings[key] += warning.get<std::string>() + "\n";
                }
            }
        }
        EXPECT_EQ(outcomes, c.outcomes) << run.output;
        for (const auto& [key, reason] : c.reasons) {
            EXPECT_THAT(reasons[key], HasSubstr(reason)) << key;
        }
        for (const auto& [key, warning] : c.warnings) {
            EXPECT_THAT(warnings[key], HasSubstr(warning)) << key;
        }
    }
    if (c.check) {
        c.check(fixture);
    }
}

// A page that takes itself elsewhere once loaded.
std::function<void(const Fixture&)> PageGoingTo(const std::string& how) {
    return [how](const Fixture& f) {
        const std::string target = "file://" + (f.private_folder / "secret.txt").string();
        const std::string head =
            how == "refresh"  ? "<meta http-equiv=\"refresh\" content=\"0;url=" + target + "\">\r\n"
            : how == "script" ? "<script>location.href = '" + target + "';</script>\r\n"
                              : "<meta http-equiv=\"refresh\" content=\"0;url=file://" +
                                    (f.private_folder / "elsewhere.html").string() + "\">\r\n";
        WriteBytes(f.site / "leaving.html", Page("Leaving", head));
        WriteBytes(f.site / "index.html", Page("Hello"));
    };
}

const char kLeft[] = "left its temporary address";

// A page whose resource folder holds a link to a private file, one whose resource folder is
// itself a link to the private folder, and one whose resource folder links inside the site.
void SiteWithLinks(const Fixture& f) {
    const std::string style = "<link rel=\"stylesheet\" href=\"x_files/style.css\">\r\n";
    for (const char* page : {"leak", "folder", "inside"}) {
        WriteBytes(f.site / (std::string(page) + ".html"), Page(page, style));
    }
    fs::create_directories(f.site / "leak_files");
    WriteBytes(f.site / "leak_files" / "style.css", "h1 { color: #345; }\n");
    fs::create_symlink(f.private_folder / "secret.txt", f.site / "leak_files" / "shadow");
    fs::create_directory_symlink(f.private_folder, f.site / "folder_files");
    WriteBytes(f.site / "shared.css", "p { margin: 0; }\n");
    fs::create_directories(f.site / "inside_files");
    fs::create_symlink("../shared.css", f.site / "inside_files" / "alias.css");
}

// The site and an output of an earlier run inside it, holding a result page.
void SiteWithAnEarlierOutputInside(const Fixture& f) {
    WriteBytes(f.site / "index.html", Page("Hello"));
    fs::create_directories(f.site / "old-out" / "about.html" / "fr");
    WriteBytes(f.site / "old-out" / ".quillmoor-output", "");
    WriteBytes(f.site / "old-out" / "about.html" / "fr" / "about.html", Page("Old result"));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CommandLineHostileTest,
    ::testing::Values(
        HostileCase{"RefreshToAPrivateFile",
                    PageGoingTo("refresh"),
                    nullptr,
                    1,
                    {{"index.html fr", "stored"}, {"leaving.html fr", "not captured"}},
                    {{"leaving.html fr", kLeft}}},
        HostileCase{"ScriptSettingItsLocation",
                    PageGoingTo("script"),
                    nullptr,
                    1,
                    {{"index.html fr", "stored"}, {"leaving.html fr", "not captured"}},
                    {{"leaving.html fr", kLeft}}},
        HostileCase{"RefreshToAPageOutsideTheFolder",
                    PageGoingTo("page"),
                    nullptr,
                    1,
                    {{"index.html fr", "stored"}, {"leaving.html fr", "not captured"}},
                    {{"leaving.html fr", kLeft}}},
        HostileCase{"ReportOntoAnInputPage",
                    [](const Fixture& f) { WriteBytes(f.site / "index.html", Page("Hello")); },
                    [](const Fixture& f) {
                        return std::vector<std::string>{f.site.string(), "--out", f.out.string(),
                                                        "--report",
                                                        (f.site / "index.html").string()};
                    },
                    2,
                    {},
                    {}},
        HostileCase{"LinksOutOfAResourceFolderAreNotFollowed",
                    SiteWithLinks,
                    nullptr,
                    0,
                    {{"leak.html fr", "stored"},
                     {"folder.html fr", "stored"},
                     {"inside.html fr", "stored"}},
                    {},
                    {{"leak.html fr", "shadow"}, {"folder.html fr", "folder_files"}},
                    [](const Fixture& f) {
                        const fs::path leak = f.out / "leak.html" / "fr" / "leak_files";
                        EXPECT_TRUE(fs::exists(leak / "style.css"));
                        EXPECT_FALSE(fs::exists(fs::symlink_status(leak / "shadow")));
                        EXPECT_FALSE(fs::exists(f.out / "folder.html" / "fr" / "folder_files" /
                                                "secret.txt"));
                        // A link that stays inside the site is copied as the file it names.
                        const fs::path alias =
                            f.out / "inside.html" / "fr" / "inside_files" / "alias.css";
                        EXPECT_FALSE(fs::is_symlink(alias));
                        EXPECT_EQ(ReadBytes(alias), "p { margin: 0; }\n");
                    }},
        HostileCase{"AnEarlierOutputInsideTheInputIsNotWalked",
                    SiteWithAnEarlierOutputInside,
                    nullptr,
                    0,
                    {{"index.html fr", "stored"}},
                    {}}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quillmoor::test_support
