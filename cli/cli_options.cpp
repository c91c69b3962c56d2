#include "cli/cli_options.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "cli/whole_number.h"
#include "pipeline/language_catalogue.h"
#include "platform/enum_names.h"
#include "platform/utf.h"

namespace quillmoor::cli {

namespace {

// The options that take a value.
enum class ValueOption {
    kLang,
    kOut,
    kTiming,
    kSettle,
    kParallel,
    kShard,
    kReport,
    kEngineSwitch,
    kProgress,
    kLayout,
    kBaseUrl,
};

struct ValueOptionName {
    std::string_view name;
    ValueOption option;
};

constexpr ValueOptionName kValueOptions[] = {
    {"--lang", ValueOption::kLang},         {"--out", ValueOption::kOut},
    {kTimingOption, ValueOption::kTiming},  {kSettleOption, ValueOption::kSettle},
    {"--parallel", ValueOption::kParallel}, {"--shard", ValueOption::kShard},
    {"--report", ValueOption::kReport},     {"--engine-switch", ValueOption::kEngineSwitch},
    {"--progress", ValueOption::kProgress}, {"--layout", ValueOption::kLayout},
    {"--base-url", ValueOption::kBaseUrl},
};

constexpr EnumName<ResultLayout> kResultLayoutNames[] = {
    {ResultLayout::kSite, "site"},
    {ResultLayout::kPerPage, "per-page"},
};

constexpr EnumName<WaitTiming> kWaitTimingNames[] = {
    {WaitTiming::kFast, "fast"},
    {WaitTiming::kFull, "full"},
};

std::string Message(std::string_view text) {
    std::string message(kProgramName);
    message += ": ";
    message += text;
    return message;
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::optional<std::size_t> LanguageIndexOf(std::string_view code) {
    const std::vector<std::u16string>& codes = LanguageCodes();
    const std::u16string wanted = Utf8ToUtf16(code);
    const auto found = std::find(codes.begin(), codes.end(), wanted);
    if (found == codes.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - codes.begin());
}

// Adds the languages of a --lang value to languages; returns an error message or nothing.
std::string ReadLanguages(std::string_view value, std::vector<std::size_t>& languages) {
    if (value == "all") {
        for (std::size_t index = 0; index < LanguageCodes().size(); ++index) {
            languages.push_back(index);
        }
        return {};
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = value.find(',', start);
        const std::string_view code = value.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (code.empty()) {
            return Message("--lang " + Quoted(value) + " holds an empty language code");
        }
        if (code == "all") {
            for (std::size_t index = 0; index < LanguageCodes().size(); ++index) {
                languages.push_back(index);
            }
        } else if (const std::optional<std::size_t> index = LanguageIndexOf(code)) {
            languages.push_back(*index);
        } else {
            return Message("unknown language code " + Quoted(code) + " (see --help for the codes)");
        }
        if (comma == std::string_view::npos) {
            return {};
        }
        start = comma + 1;
    }
}

std::string ReadShard(std::string_view value, ShardSpec& shard) {
    const std::string bad = Message("--shard wants K/N with 1 <= K <= N, not " + Quoted(value));
    const std::size_t slash = value.find('/');
    if (slash == std::string_view::npos) {
        return bad;
    }
    const std::optional<long long> index = WholeNumber<long long>(value.substr(0, slash));
    const std::optional<long long> count = WholeNumber<long long>(value.substr(slash + 1));
    if (!index || !count || *count < 1 || *index < 1 || *index > *count || *count > 1'000'000) {
        return bad;
    }
    shard.index = static_cast<int>(*index);
    shard.count = static_cast<int>(*count);
    return {};
}

std::string ReadTiming(std::string_view value, WaitTiming& timing) {
    const std::optional<WaitTiming> named = ValueNamed(kWaitTimingNames, value);
    if (!named) {
        return Message("--timing wants fast or full, not " + Quoted(value));
    }
    timing = *named;
    return {};
}

std::string ReadSettle(std::string_view value, std::chrono::milliseconds& settle_period) {
    const std::optional<long long> number = WholeNumber<long long>(value);
    if (!number || *number < kMinSettlePeriod.count() || *number > kMaxSettlePeriod.count()) {
        return Message("--settle wants milliseconds from " +
                       std::to_string(kMinSettlePeriod.count()) + " to " +
                       std::to_string(kMaxSettlePeriod.count()) + ", not " + Quoted(value));
    }
    settle_period = std::chrono::milliseconds(*number);
    return {};
}

// Takes a value that must not be empty; wants is the message when it is.
std::string ReadText(std::string_view value, std::string_view wants, std::string& text) {
    if (value.empty()) {
        return Message(std::string(wants));
    }
    text = std::string(value);
    return {};
}

// Applies one option's value; returns an error message or nothing.
std::string ApplyValue(ValueOption option, std::string_view value, CliOptions& options) {
    switch (option) {
        case ValueOption::kLang:
            return ReadLanguages(value, options.languages);
        case ValueOption::kOut:
            return ReadText(value, "--out wants a folder", options.out);
        case ValueOption::kTiming:
            return ReadTiming(value, options.timing);
        case ValueOption::kSettle:
            return ReadSettle(value, options.settle_period);
        case ValueOption::kParallel: {
            const std::optional<long long> number = WholeNumber<long long>(value);
            if (!number || *number < 1 || *number > kMaxParallel) {
                return Message("--parallel wants a number from 1 to " +
                               std::to_string(kMaxParallel) + ", not " + Quoted(value));
            }
            options.parallel = static_cast<int>(*number);
            return {};
        }
        case ValueOption::kShard:
            return ReadShard(value, options.shard);
        case ValueOption::kReport:
            return ReadText(value, "--report wants a file", options.report);
        case ValueOption::kEngineSwitch:
            if (value.empty()) {
                return Message("--engine-switch wants a switch, such as --proxy-server=host:port");
            }
            options.engine_switches.emplace_back(value);
            return {};
        case ValueOption::kLayout:
            options.layout = ValueNamed(kResultLayoutNames, value);
            if (!options.layout) {
                return Message("--layout wants site or per-page, not " + Quoted(value));
            }
            return {};
        case ValueOption::kBaseUrl: {
            // The scheme, then a host: "https://" alone would give links without one.
            const std::size_t host = value.substr(0, 7) == "http://"    ? 7
                                     : value.substr(0, 8) == "https://" ? 8
                                                                        : 0;
            if (host == 0 || host == value.size() || value[host] == '/' ||
                value.find_first_of(" \t\r\n\"<>#?") != std::string_view::npos) {
                return Message(
                    "--base-url wants the site's address, such as "
                    "https://example.org/docs, not " +
                    Quoted(value));
            }
            options.base_url = std::string(value);
            return {};
        }
        case ValueOption::kProgress:
            if (value == "auto") {
                options.progress = ProgressStyle::kAuto;
            } else if (value == "bar") {
                options.progress = ProgressStyle::kBar;
            } else if (value == "lines") {
                options.progress = ProgressStyle::kLines;
            } else {
                return Message("--progress wants auto, bar or lines, not " + Quoted(value));
            }
            return {};
    }
    return Message("unknown option");
}

// The option's name and its value after "=", if the argument has one.
struct SplitArgument {
    std::string_view name;
    std::optional<std::string_view> value;
};

SplitArgument Split(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    if (argument.substr(0, 2) != "--" || equals == std::string_view::npos) {
        return {argument, std::nullopt};
    }
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

std::optional<ValueOption> ValueOptionNamed(std::string_view name) {
    for (const ValueOptionName& entry : kValueOptions) {
        if (entry.name == name) {
            return entry.option;
        }
    }
    return std::nullopt;
}

// The value of an option: after its "=", or else the next argument, which at then moves to;
// nothing when there is neither.
std::optional<std::string_view> ValueOf(const SplitArgument& split,
                                        const std::vector<std::string>& arguments,
                                        std::size_t& at) {
    if (split.value) {
        return split.value;
    }
    if (at + 1 < arguments.size()) {
        return arguments[++at];
    }
    return std::nullopt;
}

ParsedCommandLine ParseWorker(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    parsed.command = CliCommand::kWorker;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const SplitArgument split = Split(arguments[at]);
        const std::optional<ValueOption> option = ValueOptionNamed(split.name);
        if (!option || (*option != ValueOption::kTiming && *option != ValueOption::kSettle)) {
            continue;
        }
        const std::optional<std::string_view> value = ValueOf(split, arguments, at);
        if (!value) {
            parsed.error = Message(std::string(split.name) + " wants a value");
            return parsed;
        }
        parsed.error = ApplyValue(*option, *value, parsed.options);
        if (!parsed.error.empty()) {
            return parsed;
        }
    }
    return parsed;
}

void SortLanguages(std::vector<std::size_t>& languages) {
    std::sort(languages.begin(), languages.end());
    languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    if (!arguments.empty() && arguments.front() == kWorkerArgument) {
        return ParseWorker(arguments);
    }
    ParsedCommandLine parsed;
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "-h" || argument == "--help") {
            parsed.command = CliCommand::kHelp;
            return parsed;
        }
    }
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--version") {
            parsed.command = CliCommand::kVersion;
            return parsed;
        }
    }

    CliOptions& options = parsed.options;
    bool languages_given = false;
    bool options_ended = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (options_ended || argument.size() < 2 || argument.front() != '-') {
            options.inputs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
            continue;
        }
        const SplitArgument split = Split(argument);
        if (split.name == "--force") {
            if (split.value) {
                parsed.error = Message("--force takes no value");
                return parsed;
            }
            options.redo = RedoPolicy::kForce;
            continue;
        }
        const std::optional<ValueOption> option = ValueOptionNamed(split.name);
        if (!option) {
            parsed.error = Message("unknown option " + Quoted(split.name) + " (see --help)");
            return parsed;
        }
        const std::optional<std::string_view> value = ValueOf(split, arguments, at);
        if (!value) {
            parsed.error = Message(std::string(split.name) + " wants a value (see --help)");
            return parsed;
        }
        parsed.error = ApplyValue(*option, *value, options);
        if (!parsed.error.empty()) {
            return parsed;
        }
        if (*option == ValueOption::kLang) {
            languages_given = true;
        }
    }
    SortLanguages(options.languages);
    if (!options.base_url.empty() && options.layout == ResultLayout::kPerPage) {
        parsed.error = Message("--base-url needs the site layout (--layout site)");
    } else if (!languages_given) {
        parsed.error = Message(
            "--lang is missing: name the languages, such as --lang fr,de,zh-CN, "
            "or --lang all");
    } else if (options.inputs.empty()) {
        parsed.error = Message("no file or folder to translate (see --help)");
    }
    return parsed;
}

std::string LanguageCodeText(std::size_t index) {
    return Utf16ToUtf8(LanguageCodes().at(index));
}

std::vector<std::string> WorkerArguments(const CliOptions& options) {
    std::vector<std::string> arguments = {
        std::string(kWorkerArgument),
        std::string(kTimingOption) + "=" + std::string(WaitTimingName(options.timing)),
        std::string(kSettleOption) + "=" + std::to_string(options.settle_period.count()),
    };
    // The engine takes its switches from the worker's own command line.
    arguments.insert(arguments.end(), options.engine_switches.begin(),
                     options.engine_switches.end());
    return arguments;
}

std::string_view ResultLayoutName(ResultLayout layout) {
    return NameOf(kResultLayoutNames, layout, "site");
}

std::optional<ResultLayout> ResultLayoutNamed(std::string_view name) {
    return ValueNamed(kResultLayoutNames, name);
}

std::string_view WaitTimingName(WaitTiming timing) {
    return NameOf(kWaitTimingNames, timing, "full");
}

std::string VersionText() {
    return std::string(kProgramName) + " " + QUILLMOOR_VERSION_TEXT + "\n";
}

std::string HelpText() {
    std::string text =
        "Usage: quillmoor-cli --lang CODES [options] FILE_OR_FOLDER...\n"
        "\n"
        "Translates local web pages into other languages with the translation widget, in\n"
        "a browser that shows no window. A file is taken as it is; a folder gives every\n"
        ".html and .htm file in it and in its subfolders, except resource folders\n"
        "(NAME_files beside a page NAME.html), the output folder, folders that hold\n"
        "an earlier run's results (marked by a .quillmoor-output file, which each run\n"
        "writes in its output folder) and temporary pages left by a run. A subfolder\n"
        "that cannot be read is named in a warning and passed over.\n"
        "\n"
        "Results are laid out in one of two ways (--layout):\n"
        "  site      (the default when a folder is given) OUT/CODE/PATH for every page,\n"
        "            PATH being where it lies inside the folder given, and every other\n"
        "            file of the folder (style sheets, scripts, images, fonts, resource\n"
        "            folders) mirrored into each OUT/CODE, hard-linked where the file\n"
        "            system allows, so that each OUT/CODE is the whole site in that\n"
        "            language and its relative links work as in the source. Pages are\n"
        "            cleaned of every trace of the widget, with lang (and dir=\"rtl\"\n"
        "            for right-to-left languages) set on the root element. A manifest\n"
        "            in OUT (.quillmoor-manifest) keeps a digest of each page: a page\n"
        "            whose content is unchanged is not translated again, whatever its\n"
        "            file time; the results of a page that left the folder are removed.\n"
        "  per-page  (the default for files) OUT/SUBFOLDER/FILE/CODE/FILE, the page's\n"
        "            resource folder copied beside each result, as the window program\n"
        "            stores them; SUBFOLDER is where the file lies inside the folder\n"
        "            given, and nothing for a file given on its own.\n"
        "\n"
        "Options:\n"
        "  --lang CODES        The languages: codes separated by commas (fr,de,zh-CN),\n"
        "                      or all. Required. The codes are listed below.\n"
        "  --out DIR           The folder of the results (default: result).\n"
        "  --layout site|per-page  How results are laid out (see above).\n"
        "  --base-url URL      With the site layout: the address the source site is\n"
        "                      published at, each language at URL/CODE/. Every page\n"
        "                      gets <link rel=\"alternate\" hreflang=...> lines for\n"
        "                      its language versions and the source (x-default).\n"
        "  --timing fast|full  Both pick the language once the widget's menu is there.\n"
        "                      fast (default) ends a page as soon as the widget is done\n"
        "                      (its frames loaded, its mark on the page, the page still);\n"
        "                      full waits every wait's whole course, as the window\n"
        "                      program does (more than a minute per page and language).\n"
        "  --settle MS         With fast timing: how long a page must stay still, in\n"
        "                      milliseconds, 50 to 10000 (default 400). Raise it on a\n"
        "                      slow network.\n"
        "  --parallel N        Runs N browsers at once, 1 to 16 (default 1).\n"
        "  --force             Translates every page again. Without it, a page and\n"
        "                      language stored translated is passed over, so that a\n"
        "                      stopped run goes on where it stopped: in the site\n"
        "                      layout when the page's content and the widget are as\n"
        "                      the manifest has them, in the per-page layout when the\n"
        "                      result is newer than the page and its resource folder.\n"
        "  --shard K/N         Takes share K of N of the page-languages, K from 1 to N.\n"
        "                      N runs with K = 1..N over the same inputs share the work\n"
        "                      without overlap and without talking to each other.\n"
        "  --report FILE       Writes a JSON report, also when the run is stopped: every\n"
        "                      page and language with its outcome (stored, already\n"
        "                      stored, skipped, not captured, not translated,\n"
        "                      cancelled, failed) and time, the folders passed over and\n"
        "                      the counts. FILE may not be an input file nor lie in an\n"
        "                      input folder (unless it lies in the output folder), nor\n"
        "                      where a result goes.\n"
        "  --engine-switch=SW  Hands the switch SW to the browser engine (repeatable),\n"
        "                      such as --engine-switch=--proxy-server=host:8080.\n"
        "  --progress MODE     auto, bar or lines: a bar redrawn in place, or one line\n"
        "                      per page and language; auto (default) takes the bar on a\n"
        "                      terminal.\n"
        "  -h, --help          Shows this text.\n"
        "  --version           Shows the version.\n"
        "  --                  Ends the options: what follows are files and folders.\n"
        "Options take their value as the next argument or after = (--out=dir).\n"
        "\n"
        "Exit codes: 0 when every page and language that can carry the widget was stored\n"
        "translated (now or by an earlier run; pages with no place for the widget, such\n"
        "as include fragments, are reported as skipped and do not count), 1 when some\n"
        "were not (not translated, not captured, failed, cancelled or left undone) or a\n"
        "folder could not be read, 2 for a usage error (then nothing was started and\n"
        "nothing made).\n"
        "\n"
        "Stopping: Ctrl-C lets each browser end its page and language; a second Ctrl-C,\n"
        "SIGTERM or SIGHUP stops the browsers at once (after a few seconds' grace).\n"
        "Either way the summary and the report are written.\n"
        "\n"
        "Examples:\n"
        "  quillmoor-cli --lang fr,de,zh-CN site\n"
        "  quillmoor-cli --lang all --parallel 4 --out public --report run.json site\n"
        "  quillmoor-cli --lang fr,de --out public --base-url https://example.org site\n"
        "  quillmoor-cli --lang fr --timing full page.html about.html\n"
        "Three machines or CI jobs sharing one site: the same inputs and options, each\n"
        "job its own K; copy their OUT folders together afterwards:\n"
        "  quillmoor-cli --lang all --shard 1/3 site\n"
        "  quillmoor-cli --lang all --shard 2/3 site\n"
        "  quillmoor-cli --lang all --shard 3/3 site\n"
        "\n"
        "Language codes:\n";
    std::string line = " ";
    for (std::size_t index = 0; index < LanguageCodes().size(); ++index) {
        const std::string code = LanguageCodeText(index);
        if (line.size() + 1 + code.size() > 79) {
            text += line + "\n";
            line = " ";
        }
        line += " " + code;
    }
    text += line + "\n";
    return text;
}

}  // namespace quillmoor::cli
