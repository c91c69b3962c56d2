#include "cli/worker_protocol.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "cli/cli_options.h"
#include "cli/whole_number.h"
#include "pipeline/language_catalogue.h"
#include "platform/enum_names.h"
#include "platform/utf.h"

namespace quillmoor::cli {

namespace {

constexpr std::string_view kTaskKind = "task";
constexpr std::string_view kResultKind = "result";
constexpr std::string_view kStartFailureKind = "start-failure";

// An outcome's name in the lines: its report name with a hyphen for each blank, so that a
// field is one word ("not-captured").
std::string OutcomeWireName(PageOutcome outcome) {
    std::string name(PageOutcomeName(outcome));
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

std::optional<PageOutcome> OutcomeOfWireName(std::string_view name) {
    for (const EnumName<PageOutcome>& entry : kPageOutcomeNames) {
        if (OutcomeWireName(entry.value) == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

// The skip reasons' names in the lines.
constexpr EnumName<SkipReason> kSkipReasonNames[] = {
    {SkipReason::kNone, "none"},
    {SkipReason::kNoPlaceForWidget, "no-place"},
    {SkipReason::kAlreadyStored, "already-stored"},
};

void AppendField(std::string& line, std::string_view field) {
    line += '\t';
    for (const char c : field) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\n':
                line += "\\n";
                break;
            default:
                line += c;
        }
    }
}

std::optional<std::string> Unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (field[at] == '\n' || field[at] == '\r') {
            return std::nullopt;  // a line break is always escaped: the line was cut wrong
        }
        if (field[at] != '\\') {
            text += field[at];
            continue;
        }
        if (++at == field.size()) {
            return std::nullopt;
        }
        switch (field[at]) {
            case '\\':
                text += '\\';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case 'n':
                text += '\n';
                break;
            default:
                return std::nullopt;
        }
    }
    return text;
}

// The unescaped fields of line after its kind word, when the line is of that kind.
std::optional<std::vector<std::string>> FieldsOf(std::string_view line, std::string_view kind) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    bool first = true;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        const std::string_view raw = line.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (first) {
            if (raw != kind) {
                return std::nullopt;
            }
            first = false;
        } else {
            std::optional<std::string> field = Unescape(raw);
            if (!field) {
                return std::nullopt;
            }
            fields.push_back(std::move(*field));
        }
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::optional<std::u16string> PathOf(std::string_view text) {
    if (!IsValidUtf8(text)) {
        return std::nullopt;
    }
    return Utf8ToUtf16(text);
}

}  // namespace

std::string EncodeTask(const TaskMessage& task) {
    std::string line(kTaskKind);
    AppendField(line, std::to_string(task.number));
    AppendField(line, Utf16ToUtf8(task.path_text));
    AppendField(line, Utf16ToUtf8(task.file_text));
    AppendField(line, Utf16ToUtf8(task.result_root));
    AppendField(line, std::to_string(task.language_index));
    AppendField(line, ResultLayoutName(task.layout));
    AppendField(line, Utf16ToUtf8(task.site_path));
    line += '\n';
    return line;
}

std::optional<TaskMessage> DecodeTask(std::string_view line) {
    const std::optional<std::vector<std::string>> fields = FieldsOf(line, kTaskKind);
    if (!fields || fields->size() != 7) {
        return std::nullopt;
    }
    const auto number = WholeNumber<std::size_t>((*fields)[0]);
    auto path_text = PathOf((*fields)[1]);
    auto file_text = PathOf((*fields)[2]);
    auto result_root = PathOf((*fields)[3]);
    const auto language_index = WholeNumber<std::size_t>((*fields)[4]);
    const std::optional<ResultLayout> layout = ResultLayoutNamed((*fields)[5]);
    auto site_path = PathOf((*fields)[6]);
    if (!number || !path_text || !file_text || !result_root || !language_index ||
        *language_index >= LanguageCodes().size() || !layout || !site_path) {
        return std::nullopt;
    }
    return TaskMessage{*number,
                       std::move(*path_text),
                       std::move(*file_text),
                       std::move(*result_root),
                       *language_index,
                       *layout,
                       std::move(*site_path)};
}

std::string EncodeResult(const ResultMessage& result) {
    std::string line(kResultKind);
    AppendField(line, std::to_string(result.number));
    AppendField(line, OutcomeWireName(result.outcome));
    AppendField(line, NameOf(kSkipReasonNames, result.skip_reason, "none"));
    AppendField(line, std::to_string(std::max<long long>(0, result.time.count())));
    AppendField(line, result.message);
    for (const std::string& warning : result.warnings) {
        AppendField(line, warning);
    }
    line += '\n';
    return line;
}

std::optional<ResultMessage> DecodeResult(std::string_view line) {
    std::optional<std::vector<std::string>> fields = FieldsOf(line, kResultKind);
    if (!fields || fields->size() < 5) {
        return std::nullopt;
    }
    ResultMessage result;
    const auto number = WholeNumber<std::size_t>((*fields)[0]);
    const auto time = WholeNumber<long long>((*fields)[3]);
    if (!number || !time) {
        return std::nullopt;
    }
    result.number = *number;
    result.time = std::chrono::milliseconds(*time);
    const std::optional<PageOutcome> outcome = OutcomeOfWireName((*fields)[1]);
    const std::optional<SkipReason> reason = ValueNamed(kSkipReasonNames, (*fields)[2]);
    if (!outcome || !reason) {
        return std::nullopt;
    }
    result.outcome = *outcome;
    result.skip_reason = *reason;
    result.message = std::move((*fields)[4]);
    result.warnings.assign(std::make_move_iterator(fields->begin() + 5),
                           std::make_move_iterator(fields->end()));
    return result;
}

std::string EncodeStartFailure(std::string_view message) {
    std::string line(kStartFailureKind);
    AppendField(line, message);
    line += '\n';
    return line;
}

std::optional<std::string> DecodeStartFailure(std::string_view line) {
    std::optional<std::vector<std::string>> fields = FieldsOf(line, kStartFailureKind);
    if (!fields || fields->size() != 1) {
        return std::nullopt;
    }
    return std::move(fields->front());
}

}  // namespace quillmoor::cli
