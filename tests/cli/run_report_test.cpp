#include "cli/run_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "pipeline/result_layout.h"
#include "pipeline/source_names.h"
#include "platform/utf.h"
#include "tests/support/test_folder.h"

namespace quillmoor::cli {
namespace {

namespace fs = std::filesystem;

std::size_t Lang(std::string_view code) {
    const auto& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), Utf8ToUtf16(code)) -
                                    codes.begin());
}

TEST(RunReport, JsonStringsAreEscapedAndStayUtf8) {
    const struct {
        std::string value;
        std::string json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\site\\a.html", "\"C:\\\\site\\\\a.html\""},
        {"a\nb\rc\td\be\ff", "\"a\\nb\\rc\\td\\be\\ff\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        {"/", "\"/\""},
        // Non-ASCII stays as it is, four-byte sequences included.
        {"\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80",
         "\"\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80\""},
        // What is not UTF-8 (a Latin-1 byte, a cut sequence) becomes U+FFFD.
        {"caf\xE9", "\"caf\xEF\xBF\xBD\""},
        {"x\xE4\xB8", "\"x\xEF\xBF\xBD\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(JsonString(c.value), c.json);
    }
}

TaskRecord Record(std::size_t number, std::string file, std::size_t language, PageOutcome outcome,
                  SkipReason reason = SkipReason::kNone, std::string message = "",
                  int milliseconds = 0) {
    TaskRecord record;
    record.task.number = number;
    record.task.display_name = std::move(file);
    record.task.path_text = u"/site/";
    record.task.file_text = Utf8ToUtf16(record.task.display_name);
    record.task.language_index = language;
    record.task.result_path =
        PerPageResultPlace(
            u"/out/", SourceNames(record.task.path_text, record.task.file_text, PathStyle::kPosix),
            LanguageCodes()[language])
            .page;
    record.outcome = outcome;
    record.skip_reason = reason;
    record.message = std::move(message);
    record.time = std::chrono::milliseconds(milliseconds);
    return record;
}

TEST(RunReport, TheReportListsEveryRecordInPlanOrder) {
    const std::size_t fr = Lang("fr");
    const std::size_t zh = Lang("zh-CN");
    std::vector<TaskRecord> records = {
        Record(5, "b.html", zh, PageOutcome::kFailed, SkipReason::kNone,
               "Cannot read \"/site/b.html\":\nPermission denied", 12),
        Record(0, "a.html", fr, PageOutcome::kStored, SkipReason::kNone, "", 2404),
        Record(1, "a.html", zh, PageOutcome::kSkipped, SkipReason::kAlreadyStored),
        Record(2, "n\xC3\xA9.html", fr, PageOutcome::kSkipped, SkipReason::kNoPlaceForWidget, "",
               1),
        Record(3, "n\xC3\xA9.html", zh, PageOutcome::kNotTranslated, SkipReason::kNone,
               "the widget's language menu never appeared", 61000),
        Record(4, "b.html", fr, PageOutcome::kNotCaptured, SkipReason::kNone, "", 120999),
    };
    records[1].warnings = {"Passed over \"/site/a_files/x\": out", "second"};
    CliOptions options;
    options.languages = {fr, zh};
    options.parallel = 2;
    options.shard = {2, 3};
    RunSummary summary = Summarize(records, 8);
    summary.unread_folders = 1;
    const std::vector<PassedOverFolder> passed_over = {
        {"site/old", PassReason::kEarlierResults, ""},
        {"site/locked", PassReason::kUnreadable, "Permission denied"}};
    EXPECT_EQ(
        RunReportJson(records, summary, options, std::chrono::milliseconds(184321), passed_over),
        R"({
  "options": {
    "layout": "per-page",
    "timing": "fast",
    "settle_ms": 400,
    "parallel": 2,
    "force": false,
    "shard": {"index": 2, "count": 3},
    "languages": ["fr", "zh-CN"]
  },
  "summary": {
    "stored": 1,
    "already_stored": 1,
    "skipped": 1,
    "not_captured": 1,
    "not_translated": 1,
    "cancelled": 0,
    "failed": 1,
    "not_run": 2
  },
  "exit_code": 1,
  "wall_seconds": 184.321,
  "passed_over": [
    {"folder": "site/old", "reason": "holds an earlier run's results"},
    {"folder": "site/locked", "reason": "cannot be read: Permission denied"}
  ],
  "pages": [
    {"file": "a.html", "source": "/site/a.html", "language": "fr", "result": "/out/a.html/fr/a.html", "outcome": "stored", "warnings": ["Passed over \"/site/a_files/x\": out", "second"], "seconds": 2.404},
    {"file": "a.html", "source": "/site/a.html", "language": "zh-CN", "result": "/out/a.html/zh-CN/a.html", "outcome": "already stored", "seconds": 0.000},
    {"file": "né.html", "source": "/site/né.html", "language": "fr", "result": null, "outcome": "skipped", "reason": "no place for the widget", "seconds": 0.001},
    {"file": "né.html", "source": "/site/né.html", "language": "zh-CN", "result": null, "outcome": "not translated", "reason": "the widget's language menu never appeared", "seconds": 61.000},
    {"file": "b.html", "source": "/site/b.html", "language": "fr", "result": null, "outcome": "not captured", "seconds": 120.999},
    {"file": "b.html", "source": "/site/b.html", "language": "zh-CN", "result": null, "outcome": "failed", "message": "Cannot read \"/site/b.html\":\nPermission denied", "seconds": 0.012}
  ]
}
)");

    // A run with nothing in it (an empty shard) is still an object with an empty list.
    const std::string empty = RunReportJson({}, Summarize({}, 0), options, {});
    EXPECT_THAT(empty, ::testing::HasSubstr("\"exit_code\": 0,\n"));
    EXPECT_THAT(empty, ::testing::HasSubstr("\"passed_over\": [],\n"));
    EXPECT_THAT(empty, ::testing::EndsWith("\"pages\": []\n}\n"));
}

TEST(RunReport, CountsAndExitCodes) {
    const std::size_t fr = Lang("fr");
    const auto stored = Record(0, "a", fr, PageOutcome::kStored);
    const auto already = Record(1, "a", fr, PageOutcome::kSkipped, SkipReason::kAlreadyStored);
    const struct {
        const char* name;
        std::vector<TaskRecord> records;
        std::size_t planned;
        int exit_code;
    } cases[] = {
        {"all stored or stored before", {stored, already}, 2, 0},
        {"nothing planned", {}, 0, 0},
        {"one not run", {stored, already}, 3, 1},
        // A fragment without a place for the widget does not fail a site's build.
        {"no place for the widget",
         {stored, Record(1, "a", fr, PageOutcome::kSkipped, SkipReason::kNoPlaceForWidget)},
         2,
         0},
        {"only pages without a place for the widget",
         {Record(0, "a", fr, PageOutcome::kSkipped, SkipReason::kNoPlaceForWidget)},
         1,
         0},
        {"a fragment and one not translated",
         {Record(0, "a", fr, PageOutcome::kSkipped, SkipReason::kNoPlaceForWidget),
          Record(1, "b", fr, PageOutcome::kNotTranslated)},
         2,
         1},
        {"not captured", {stored, Record(1, "a", fr, PageOutcome::kNotCaptured)}, 2, 1},
        {"not translated", {Record(1, "a", fr, PageOutcome::kNotTranslated)}, 1, 1},
        {"cancelled", {Record(1, "a", fr, PageOutcome::kCancelled)}, 1, 1},
        {"failed", {Record(1, "a", fr, PageOutcome::kFailed)}, 1, 1},
        // More records than planned must not count as fewer missing.
        {"more records than planned", {stored, stored, stored}, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunSummary summary = Summarize(c.records, c.planned);
        EXPECT_EQ(ExitCodeFor(summary), c.exit_code);
        // A folder left unread leaves the run incomplete, whatever else was stored.
        summary.unread_folders = 1;
        EXPECT_EQ(ExitCodeFor(summary), 1);
    }
    const RunSummary summary =
        Summarize({stored, already, already, Record(2, "a", fr, PageOutcome::kCancelled),
                   Record(3, "a", fr, PageOutcome::kSkipped, SkipReason::kNoPlaceForWidget)},
                  9);
    EXPECT_EQ(summary.stored, 1);
    EXPECT_EQ(summary.already_stored, 2);
    EXPECT_EQ(summary.skipped, 1);
    EXPECT_EQ(summary.cancelled, 1);
    EXPECT_EQ(summary.not_run, 4);
    EXPECT_EQ(summary.failed + summary.not_captured + summary.not_translated, 0);
}

TEST(RunReport, TheReportFileIsWrittenWholeOrNotAtAll) {
    test_support::TestFolder folder;
    const std::string path = Utf16ToUtf8(folder.Path(u"r\u00e9port.json"));
    std::string error;
    ASSERT_TRUE(WriteRunReport(path, "{\"first\": 1}\n", &error)) << error;
    ASSERT_TRUE(WriteRunReport(path, "{}\n", &error)) << error;
    EXPECT_EQ(test_support::ReadBytes(fs::path(Utf8ToUtf16(path))), "{}\n");
    EXPECT_EQ(test_support::NamesIn(folder.Root()).size(), 1u);

    const std::string nowhere = Utf16ToUtf8(folder.Path(u"missing/report.json"));
    EXPECT_FALSE(WriteRunReport(nowhere, "{}", &error));
    EXPECT_THAT(
        error, ::testing::StartsWith("quillmoor-cli: cannot write the report '" + nowhere + "': "));
    EXPECT_FALSE(WriteRunReport(Utf16ToUtf8(folder.Root().u16string()), "{}", nullptr));
    EXPECT_EQ(test_support::NamesIn(folder.Root()).size(), 1u);
}

}  // namespace
}  // namespace quillmoor::cli
