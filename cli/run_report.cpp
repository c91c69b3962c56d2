#include "cli/run_report.h"

#include <algorithm>
#include <exception>

#include "platform/enum_names.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor::cli {

namespace {

// Whole milliseconds as seconds with three decimals.
std::string SecondsText(std::chrono::milliseconds time) {
    const long long milliseconds = std::max<long long>(0, time.count());
    std::string fraction = std::to_string(milliseconds % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(milliseconds / 1000) + "." + fraction;
}

// The result file of a record, when one is on disk for it.
bool HasResult(const TaskRecord& record) {
    switch (record.outcome) {
        case PageOutcome::kStored:
            return true;
        case PageOutcome::kSkipped:
            return record.skip_reason == SkipReason::kAlreadyStored;
        case PageOutcome::kNotTranslated:
        case PageOutcome::kNotCaptured:
        case PageOutcome::kCancelled:
        case PageOutcome::kFailed:
            return false;
    }
    return false;
}

// The count of summary that a record adds to.
int RunSummary::*CountOf(const TaskRecord& record) {
    switch (record.outcome) {
        case PageOutcome::kStored:
            return &RunSummary::stored;
        case PageOutcome::kSkipped:
            return record.skip_reason == SkipReason::kAlreadyStored ? &RunSummary::already_stored
                                                                    : &RunSummary::skipped;
        case PageOutcome::kNotCaptured:
            return &RunSummary::not_captured;
        case PageOutcome::kNotTranslated:
            return &RunSummary::not_translated;
        case PageOutcome::kCancelled:
            return &RunSummary::cancelled;
        case PageOutcome::kFailed:
            break;
    }
    return &RunSummary::failed;
}

}  // namespace

RunSummary Summarize(const std::vector<TaskRecord>& records, std::size_t planned) {
    RunSummary summary;
    for (const TaskRecord& record : records) {
        ++(summary.*CountOf(record));
    }
    if (planned > records.size()) {
        summary.not_run = static_cast<int>(planned - records.size());
    }
    return summary;
}

int ExitCodeFor(const RunSummary& summary) {
    // A page with no place for the widget (an include fragment, say) is no failure.
    const bool all_translated = summary.not_captured == 0 && summary.not_translated == 0 &&
                                summary.cancelled == 0 && summary.failed == 0 &&
                                summary.not_run == 0 && summary.unread_folders == 0 &&
                                summary.incomplete_trees == 0;
    return all_translated ? 0 : 1;
}

std::string LanguageTreeText(const LanguageTreeCounts& tree, std::string_view out) {
    std::string folder(out);
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    std::string text = folder + "/" + tree.code + ": " + std::to_string(tree.stored) + " stored, " +
                       std::to_string(tree.already_stored) + " already stored, " +
                       std::to_string(tree.not_stored) + " not stored; " +
                       std::to_string(tree.mirror.linked + tree.mirror.copied) +
                       " files mirrored (" + std::to_string(tree.mirror.linked) + " linked, " +
                       std::to_string(tree.mirror.copied) + " copied), " +
                       std::to_string(tree.mirror.left) + " as they were";
    if (tree.mirror_failed) {
        text += ", mirroring incomplete";
    }
    if (tree.removed > 0) {
        text += "; " + std::to_string(tree.removed) + " removed";
    }
    return text;
}

std::string_view SkipReasonText(SkipReason reason) {
    static constexpr EnumName<SkipReason> kTexts[] = {
        {SkipReason::kNone, ""},
        {SkipReason::kNoPlaceForWidget, "no place for the widget"},
        {SkipReason::kAlreadyStored, "already stored"},
    };
    return NameOf(kTexts, reason, "");
}

std::string_view OutcomeText(const TaskRecord& record) {
    if (record.outcome == PageOutcome::kSkipped &&
        record.skip_reason == SkipReason::kAlreadyStored) {
        return SkipReasonText(SkipReason::kAlreadyStored);
    }
    return PageOutcomeName(record.outcome);
}

std::string JsonString(std::string_view value) {
    // Decoding and encoding again replaces what is not UTF-8.
    const std::string text =
        IsValidUtf8(value) ? std::string(value) : Utf16ToUtf8(Utf8ToUtf16(value));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\b':
                json += "\\b";
                break;
            case '\f':
                json += "\\f";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    json += "\\u00";
                    json += kHex[byte >> 4];
                    json += kHex[byte & 0xF];
                } else {
                    json += c;
                }
        }
    }
    json += '"';
    return json;
}

std::string RunReportJson(const std::vector<TaskRecord>& records, const RunSummary& summary,
                          const CliOptions& options, std::chrono::milliseconds wall_time,
                          const std::vector<PassedOverFolder>& passed_over,
                          const std::vector<LanguageTreeCounts>& trees) {
    std::vector<const TaskRecord*> ordered;
    ordered.reserve(records.size());
    for (const TaskRecord& record : records) {
        ordered.push_back(&record);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const TaskRecord* a, const TaskRecord* b) {
        return a->task.number < b->task.number;
    });

    std::string json = "{\n  \"options\": {\n";
    json += "    \"layout\": " +
            JsonString(trees.empty() ? "per-page" : ResultLayoutName(ResultLayout::kSite)) + ",\n";
    if (!options.base_url.empty()) {
        json += "    \"base_url\": " + JsonString(options.base_url) + ",\n";
    }
    json += "    \"timing\": " + JsonString(WaitTimingName(options.timing)) + ",\n";
    json += "    \"settle_ms\": " + std::to_string(options.settle_period.count()) + ",\n";
    json += "    \"parallel\": " + std::to_string(options.parallel) + ",\n";
    json += "    \"force\": " + std::string(options.redo == RedoPolicy::kForce ? "true" : "false") +
            ",\n";
    json += "    \"shard\": {\"index\": " + std::to_string(options.shard.index) +
            ", \"count\": " + std::to_string(options.shard.count) + "},\n";
    json += "    \"languages\": [";
    for (std::size_t at = 0; at < options.languages.size(); ++at) {
        json += (at == 0 ? "" : ", ") + JsonString(LanguageCodeText(options.languages[at]));
    }
    json += "]\n  },\n  \"summary\": {\n";
    for (std::size_t at = 0; at < std::size(kSummaryCounts); ++at) {
        const SummaryCount& count = kSummaryCounts[at];
        json += "    " + JsonString(count.key) + ": " + std::to_string(summary.*count.field) +
                (at + 1 < std::size(kSummaryCounts) ? ",\n" : "\n");
    }
    json += "  },\n";
    json += "  \"exit_code\": " + std::to_string(ExitCodeFor(summary)) + ",\n";
    json += "  \"wall_seconds\": " + SecondsText(wall_time) + ",\n";
    json += "  \"passed_over\": [";
    for (std::size_t at = 0; at < passed_over.size(); ++at) {
        const PassedOverFolder& passed = passed_over[at];
        json += at == 0 ? "\n" : ",\n";
        json += "    {\"folder\": " + JsonString(passed.folder) + ", \"reason\": " +
                JsonString(passed.reason == PassReason::kEarlierResults
                               ? "holds an earlier run's results"
                               : "cannot be read: " + passed.detail) +
                "}";
    }
    json += passed_over.empty() ? "],\n" : "\n  ],\n";
    if (!trees.empty()) {
        json += "  \"language_trees\": [";
        for (std::size_t at = 0; at < trees.size(); ++at) {
            const LanguageTreeCounts& tree = trees[at];
            json += at == 0 ? "\n" : ",\n";
            json += "    {\"language\": " + JsonString(tree.code) +
                    ", \"stored\": " + std::to_string(tree.stored) +
                    ", \"already_stored\": " + std::to_string(tree.already_stored) +
                    ", \"not_stored\": " + std::to_string(tree.not_stored) +
                    ", \"removed\": " + std::to_string(tree.removed) +
                    ", \"mirrored\": {\"linked\": " + std::to_string(tree.mirror.linked) +
                    ", \"copied\": " + std::to_string(tree.mirror.copied) +
                    ", \"as_they_were\": " + std::to_string(tree.mirror.left) +
                    ", \"complete\": " + (tree.mirror_failed ? "false" : "true") + "}}";
        }
        json += "\n  ],\n";
    }
    json += "  \"pages\": [";
    for (std::size_t at = 0; at < ordered.size(); ++at) {
        const TaskRecord& record = *ordered[at];
        json += at == 0 ? "\n" : ",\n";
        json += "    {\"file\": " + JsonString(record.task.display_name);
        json += ", \"source\": " +
                JsonString(Utf16ToUtf8(record.task.path_text + record.task.file_text));
        json += ", \"language\": " + JsonString(LanguageCodeText(record.task.language_index));
        json += ", \"result\": " +
                (HasResult(record) ? JsonString(Utf16ToUtf8(record.task.result_path)) : "null");
        json += ", \"outcome\": " + JsonString(OutcomeText(record));
        if (record.outcome == PageOutcome::kSkipped &&
            record.skip_reason != SkipReason::kAlreadyStored) {
            json += ", \"reason\": " + JsonString(SkipReasonText(record.skip_reason));
        }
        if ((record.outcome == PageOutcome::kNotTranslated ||
             record.outcome == PageOutcome::kNotCaptured) &&
            !record.message.empty()) {
            json += ", \"reason\": " + JsonString(record.message);
        }
        if (record.outcome == PageOutcome::kFailed) {
            json += ", \"message\": " + JsonString(record.message);
        }
        if (!record.warnings.empty()) {
            json += ", \"warnings\": [";
            for (std::size_t warning = 0; warning < record.warnings.size(); ++warning) {
                json += (warning == 0 ? "" : ", ") + JsonString(record.warnings[warning]);
            }
            json += "]";
        }
        json += ", \"seconds\": " + SecondsText(record.time) + "}";
    }
    json += ordered.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return json;
}

bool WriteRunReport(const std::string& path, const std::string& json, std::string* error) {
    try {
        ReplaceFileContent(Utf8ToUtf16(path), [&json](FileContentSink& sink) { sink.Write(json); });
        return true;
    } catch (const std::exception& failure) {
        if (error != nullptr) {
            *error = std::string(kProgramName) + ": cannot write the report '" + path +
                     "': " + failure.what();
        }
        return false;
    }
}

}  // namespace quillmoor::cli
