#include "cli/cli_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "platform/utf.h"

namespace quillmoor::cli {
namespace {

std::size_t Lang(std::string_view code) {
    const auto& codes = LanguageCodes();
    const auto found = std::find(codes.begin(), codes.end(), Utf8ToUtf16(code));
    EXPECT_NE(found, codes.end()) << code;
    return static_cast<std::size_t>(found - codes.begin());
}

std::vector<std::size_t> AllLanguages() {
    std::vector<std::size_t> all(LanguageCodes().size());
    for (std::size_t index = 0; index < all.size(); ++index) {
        all[index] = index;
    }
    return all;
}

void ExpectSameOptions(const CliOptions& actual, const CliOptions& expected) {
    EXPECT_EQ(actual.inputs, expected.inputs);
    EXPECT_EQ(actual.languages, expected.languages);
    EXPECT_EQ(actual.out, expected.out);
    EXPECT_EQ(actual.timing, expected.timing);
    EXPECT_EQ(actual.settle_period, expected.settle_period);
    EXPECT_EQ(actual.parallel, expected.parallel);
    EXPECT_EQ(actual.redo, expected.redo);
    EXPECT_EQ(actual.shard.index, expected.shard.index);
    EXPECT_EQ(actual.shard.count, expected.shard.count);
    EXPECT_EQ(actual.report, expected.report);
    EXPECT_EQ(actual.engine_switches, expected.engine_switches);
    EXPECT_EQ(actual.progress, expected.progress);
    EXPECT_EQ(actual.layout, expected.layout);
    EXPECT_EQ(actual.base_url, expected.base_url);
}

TEST(CliOptions, GoodCommandLines) {
    const struct {
        std::vector<std::string> arguments;
        std::function<void(CliOptions&)> expect;  // applied to the defaults
    } cases[] = {
        {{"--lang", "fr", "site"},
         [](CliOptions& o) {
             o.inputs = {"site"};
             o.languages = {Lang("fr")};
         }},
        // Catalogue order and no duplicates, whatever order the user gives; both forms.
        {{"--lang=zh-CN,fr,de,fr", "a.html", "b.htm"},
         [](CliOptions& o) {
             o.inputs = {"a.html", "b.htm"};
             o.languages = {Lang("fr"), Lang("de"), Lang("zh-CN")};
             std::sort(o.languages.begin(), o.languages.end());
         }},
        {{"site", "--lang", "all"},
         [](CliOptions& o) {
             o.inputs = {"site"};
             o.languages = AllLanguages();
         }},
        // A repeated --lang adds up.
        {{"--lang", "de", "--lang=fr,all", "x"},
         [](CliOptions& o) {
             o.inputs = {"x"};
             o.languages = AllLanguages();
         }},
        {{"--lang", "fr", "--out", "public/t", "--timing", "full", "--settle=50", "--parallel",
          "16", "--force", "--shard", "3/3", "--report=r.json", "--progress", "lines", "s"},
         [](CliOptions& o) {
             o.inputs = {"s"};
             o.languages = {Lang("fr")};
             o.out = "public/t";
             o.timing = WaitTiming::kFull;
             o.settle_period = std::chrono::milliseconds(50);
             o.parallel = 16;
             o.redo = RedoPolicy::kForce;
             o.shard = {3, 3};
             o.report = "r.json";
             o.progress = ProgressStyle::kLines;
         }},
        {{"--timing=fast", "--settle", "10000", "--progress=bar", "--lang", "fr", "p"},
         [](CliOptions& o) {
             o.inputs = {"p"};
             o.languages = {Lang("fr")};
             o.settle_period = std::chrono::milliseconds(10000);
             o.progress = ProgressStyle::kBar;
         }},
        // Engine switches keep their own dashes and "=", in both forms, in order.
        {{"--engine-switch=--proxy-server=x:1", "--engine-switch", "--no-sandbox", "--lang", "fr",
          "p"},
         [](CliOptions& o) {
             o.inputs = {"p"};
             o.languages = {Lang("fr")};
             o.engine_switches = {"--proxy-server=x:1", "--no-sandbox"};
         }},
        // After "--" everything is an input, even what looks like an option; "-" alone is
        // a name.
        {{"--lang", "fr", "--", "--force", "-h", "-"},
         [](CliOptions& o) {
             o.inputs = {"--force", "-h", "-"};
             o.languages = {Lang("fr")};
         }},
        // The last of a repeated single option wins.
        {{"--lang", "fr", "--parallel", "2", "--parallel", "3", "--out", "a", "--out=b", "p"},
         [](CliOptions& o) {
             o.inputs = {"p"};
             o.languages = {Lang("fr")};
             o.parallel = 3;
             o.out = "b";
         }},
        // Without --layout the plan picks it from the inputs.
        {{"--lang", "fr", "--layout", "per-page", "d"},
         [](CliOptions& o) {
             o.inputs = {"d"};
             o.languages = {Lang("fr")};
             o.layout = ResultLayout::kPerPage;
         }},
        {{"--lang", "fr", "--layout=site", "--base-url=http://example.org/docs/", "a.html"},
         [](CliOptions& o) {
             o.inputs = {"a.html"};
             o.languages = {Lang("fr")};
             o.layout = ResultLayout::kSite;
             o.base_url = "http://example.org/docs/";
         }},
        {{"--base-url", "https://example.org:8080/~me/site", "--lang", "fr", "d"},
         [](CliOptions& o) {
             o.inputs = {"d"};
             o.languages = {Lang("fr")};
             o.base_url = "https://example.org:8080/~me/site";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.command, CliCommand::kRun);
        CliOptions expected;
        c.expect(expected);
        ExpectSameOptions(parsed.options, expected);
    }
}

TEST(CliOptions, BadCommandLinesGiveOneClearLine) {
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"site"},
         "quillmoor-cli: --lang is missing: name the languages, such as --lang fr,de,zh-CN, or "
         "--lang all"},
        {{"--lang", "fr"}, "quillmoor-cli: no file or folder to translate (see --help)"},
        {{},
         "quillmoor-cli: --lang is missing: name the languages, such as --lang fr,de,zh-CN, "
         "or --lang all"},
        {{"--lang", "fr,xx", "s"},
         "quillmoor-cli: unknown language code 'xx' (see --help for the codes)"},
        // Codes are taken exactly as the catalogue spells them.
        {{"--lang", "zh-cn", "s"},
         "quillmoor-cli: unknown language code 'zh-cn' (see --help for the codes)"},
        {{"--lang", "FR", "s"},
         "quillmoor-cli: unknown language code 'FR' (see --help for the codes)"},
        {{"--lang", "fr,,de", "s"}, "quillmoor-cli: --lang 'fr,,de' holds an empty language code"},
        {{"--lang=", "s"}, "quillmoor-cli: --lang '' holds an empty language code"},
        {{"--lang", "fr", "--timing", "slow", "s"},
         "quillmoor-cli: --timing wants fast or full, not 'slow'"},
        {{"--lang", "fr", "--settle", "49", "s"},
         "quillmoor-cli: --settle wants milliseconds from 50 to 10000, not '49'"},
        {{"--lang", "fr", "--settle=10001", "s"},
         "quillmoor-cli: --settle wants milliseconds from 50 to 10000, not '10001'"},
        {{"--lang", "fr", "--settle", "4e2", "s"},
         "quillmoor-cli: --settle wants milliseconds from 50 to 10000, not '4e2'"},
        {{"--lang", "fr", "--parallel", "0", "s"},
         "quillmoor-cli: --parallel wants a number from 1 to 16, not '0'"},
        {{"--lang", "fr", "--parallel", "-2", "s"},
         "quillmoor-cli: --parallel wants a number from 1 to 16, not '-2'"},
        {{"--lang", "fr", "--parallel", "99999999999999999999", "s"},
         "quillmoor-cli: --parallel wants a number from 1 to 16, not '99999999999999999999'"},
        {{"--lang", "fr", "--parallel", " 2", "s"},
         "quillmoor-cli: --parallel wants a number from 1 to 16, not ' 2'"},
        {{"--lang", "fr", "--shard", "0/3", "s"},
         "quillmoor-cli: --shard wants K/N with 1 <= K <= N, not '0/3'"},
        {{"--lang", "fr", "--shard", "4/3", "s"},
         "quillmoor-cli: --shard wants K/N with 1 <= K <= N, not '4/3'"},
        {{"--lang", "fr", "--shard", "1/0", "s"},
         "quillmoor-cli: --shard wants K/N with 1 <= K <= N, not '1/0'"},
        {{"--lang", "fr", "--shard", "2", "s"},
         "quillmoor-cli: --shard wants K/N with 1 <= K <= N, not '2'"},
        {{"--lang", "fr", "--shard", "1/2/3", "s"},
         "quillmoor-cli: --shard wants K/N with 1 <= K <= N, not '1/2/3'"},
        {{"--lang", "fr", "--progress", "fancy", "s"},
         "quillmoor-cli: --progress wants auto, bar or lines, not 'fancy'"},
        {{"--lang", "fr", "--force=yes", "s"}, "quillmoor-cli: --force takes no value"},
        {{"--lang", "fr", "--frobnicate", "s"},
         "quillmoor-cli: unknown option '--frobnicate' (see --help)"},
        {{"--lang", "fr", "-x", "s"}, "quillmoor-cli: unknown option '-x' (see --help)"},
        // The worker's switch is only understood in the first place.
        {{"--lang", "fr", "s", "--quillmoor-worker"},
         "quillmoor-cli: unknown option '--quillmoor-worker' (see --help)"},
        {{"s", "--lang"}, "quillmoor-cli: --lang wants a value (see --help)"},
        {{"--lang", "fr", "s", "--out"}, "quillmoor-cli: --out wants a value (see --help)"},
        {{"--lang", "fr", "--out=", "s"}, "quillmoor-cli: --out wants a folder"},
        {{"--lang", "fr", "--report=", "s"}, "quillmoor-cli: --report wants a file"},
        {{"--lang", "fr", "--layout", "flat", "s"},
         "quillmoor-cli: --layout wants site or per-page, not 'flat'"},
        {{"--lang", "fr", "--layout=", "s"},
         "quillmoor-cli: --layout wants site or per-page, not ''"},
        {{"--lang", "fr", "--base-url", "https://example.org", "--layout", "per-page", "s"},
         "quillmoor-cli: --base-url needs the site layout (--layout site)"},
        {{"--lang", "fr", "--layout=per-page", "--base-url=https://example.org", "s"},
         "quillmoor-cli: --base-url needs the site layout (--layout site)"},
        {{"--lang", "fr", "--engine-switch=", "s"},
         "quillmoor-cli: --engine-switch wants a switch, such as --proxy-server=host:port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.command, CliCommand::kRun);
        EXPECT_EQ(parsed.error, c.message);
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

// The base address goes into every page's links as it is: it must be an http(s) address
// that ends where a page's path can follow.
TEST(CliOptions, BaseUrlMustBeASitesAddress) {
    for (const char* value :
         {"", "example.org", "//example.org", "ftp://example.org", "file:///srv/site", "https://",
          "https:///docs", "https://example.org/a b", "https://example.org/\"x",
          "https://example.org/<p>", "https://example.org/#top", "https://example.org/?lang=fr",
          "https://example.org\n"}) {
        SCOPED_TRACE(value);
        const ParsedCommandLine parsed =
            ParseCommandLine({"--lang", "fr", "--base-url", value, "site"});
        EXPECT_EQ(parsed.error,
                  "quillmoor-cli: --base-url wants the site's address, such as "
                  "https://example.org/docs, not '" +
                      std::string(value) + "'");
    }
}

TEST(CliOptions, HelpAndVersionWinOverEverythingBeforeTheEndOfOptions) {
    const struct {
        std::vector<std::string> arguments;
        CliCommand command;
    } cases[] = {
        {{"-h"}, CliCommand::kHelp},
        {{"--lang", "xx", "--bogus", "--help"}, CliCommand::kHelp},
        {{"--version", "--help"}, CliCommand::kHelp},
        {{"--version"}, CliCommand::kVersion},
        {{"--parallel", "0", "--version"}, CliCommand::kVersion},
        {{"--lang", "fr", "--", "--help"}, CliCommand::kRun},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.command, c.command);
        EXPECT_EQ(parsed.error, "");
    }
    EXPECT_EQ(VersionText(), "quillmoor-cli 8.8.8.8\n");
}

TEST(CliOptions, WorkerReadsItsTimingAndPassesOverTheEngineSwitches) {
    const ParsedCommandLine parsed = ParseCommandLine(
        {"--quillmoor-worker", "--host-resolver-rules=MAP * 127.0.0.1", "--timing", "full",
         "--no-sandbox", "--settle=800", "--lang", "xx", "--type=renderer", "--help"});
    EXPECT_EQ(parsed.command, CliCommand::kWorker);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.timing, WaitTiming::kFull);
    EXPECT_EQ(parsed.options.settle_period, std::chrono::milliseconds(800));
    EXPECT_TRUE(parsed.options.inputs.empty());

    const ParsedCommandLine defaults = ParseCommandLine({"--quillmoor-worker"});
    EXPECT_EQ(defaults.command, CliCommand::kWorker);
    EXPECT_EQ(defaults.options.timing, WaitTiming::kFast);
    EXPECT_EQ(defaults.options.settle_period, kDefaultSettlePeriod);

    EXPECT_EQ(ParseCommandLine({"--quillmoor-worker", "--settle", "5"}).error,
              "quillmoor-cli: --settle wants milliseconds from 50 to 10000, not '5'");
    EXPECT_EQ(ParseCommandLine({"--quillmoor-worker", "--timing"}).error,
              "quillmoor-cli: --timing wants a value");
}

// The coordinator starts its workers with WorkerArguments: each worker must read back the
// run's timing and settle period, and hand the engine its switches untouched.
TEST(CliOptions, WorkerReadsBackTheArgumentsItIsStartedWith) {
    for (const WaitTiming timing : {WaitTiming::kFast, WaitTiming::kFull}) {
        CliOptions options;
        options.timing = timing;
        options.settle_period = kMaxSettlePeriod;
        options.engine_switches = {"--proxy-server=host:8080", "--lang=de"};
        options.inputs = {"site"};
        const std::vector<std::string> arguments = WorkerArguments(options);
        EXPECT_THAT(arguments,
                    ::testing::ElementsAre("--quillmoor-worker", ::testing::_, ::testing::_,
                                           "--proxy-server=host:8080", "--lang=de"));
        const ParsedCommandLine parsed = ParseCommandLine(arguments);
        EXPECT_EQ(parsed.command, CliCommand::kWorker);
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.options.timing, timing);
        EXPECT_EQ(parsed.options.settle_period, kMaxSettlePeriod);
    }
}

TEST(CliOptions, HelpDocumentsEveryOptionAndEveryCodeInEightyColumns) {
    const std::string help = HelpText();
    for (const char* option :
         {"--lang", "--out", "--timing", "--settle", "--parallel", "--force", "--shard", "--report",
          "--engine-switch", "--progress", "--help", "--version", "--shard 1/3", "--shard 3/3"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.find("--quillmoor-worker"), std::string::npos);
    // The codes close the text, separated by blanks and line breaks.
    std::string codes = help.substr(help.find("Language codes:") + 15);
    std::replace(codes.begin(), codes.end(), '\n', ' ');
    for (const std::u16string& code : LanguageCodes()) {
        EXPECT_NE(codes.find(" " + Utf16ToUtf8(code) + " "), std::string::npos)
            << Utf16ToUtf8(code);
    }
    std::size_t start = 0;
    while (start < help.size()) {
        const std::size_t end = help.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        start = end + 1;
    }
}

}  // namespace
}  // namespace quillmoor::cli
