#include "cli/worker_protocol.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "pipeline/language_catalogue.h"
#include "platform/utf.h"

namespace quillmoor::cli {
namespace {

using namespace std::chrono_literals;

TEST(WorkerProtocol, TasksComeThroughWhateverTheirPathsHold) {
    const std::size_t last_language = LanguageCodes().size() - 1;
    const TaskMessage cases[] = {
        {0, u"/site/", u"index.html", u"/out/", 0, ResultLayout::kPerPage, u""},
        {17, u"C:\\site\\sub\\", u"a\tb.html", u"C:\\out\\sub\\", last_language,
         ResultLayout::kPerPage, u""},
        {std::numeric_limits<std::size_t>::max(), u"/we\nird/\r/", u"\\\\t.html", u"/o\\nut/\t/", 3,
         ResultLayout::kPerPage, u""},
        {5, u"/\u00e9t\u00e9/\u4e2d\u6587/", u"\U0001F600 page.htm", u"/r\u00e9sultat/", 7,
         ResultLayout::kPerPage, u""},
        {6, u"", u"", u"", 1, ResultLayout::kPerPage, u""},
        {7, u"\\", u"\\\\\\", u"\t\t", 2, ResultLayout::kPerPage, u""},
        {8, u"/site/docs/", u"a b.html", u"/out/", 4, ResultLayout::kSite, u"docs/a b.html"},
        {9, u"C:\\s\\", u"x.htm", u"C:\\o\\", 4, ResultLayout::kSite, u"\t\\x.htm"},
    };
    for (const TaskMessage& task : cases) {
        SCOPED_TRACE(Utf16ToUtf8(task.path_text + task.file_text));
        const std::string line = EncodeTask(task);
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1);
        EXPECT_EQ(line.find('\r'), std::string::npos);
        const std::string body = line.substr(0, line.size() - 1);
        EXPECT_EQ(DecodeTask(body), task);
        // A line read with its CR LF ending.
        EXPECT_EQ(DecodeTask(body + "\r"), task);
        // It is no other kind of line.
        EXPECT_FALSE(DecodeResult(body).has_value());
        EXPECT_FALSE(DecodeStartFailure(body).has_value());
    }
    EXPECT_EQ(EncodeTask({3, u"/a b/", u"x.html", u"/o/", 9, ResultLayout::kPerPage, u""}),
              "task\t3\t/a b/\tx.html\t/o/\t9\tper-page\t\n");
    EXPECT_EQ(EncodeTask({3, u"/s/", u"x.html", u"/o/", 9, ResultLayout::kSite, u"d/x.html"}),
              "task\t3\t/s/\tx.html\t/o/\t9\tsite\td/x.html\n");
    // A layout the worker does not know is no task.
    EXPECT_FALSE(DecodeTask("task\t3\t/s/\tx.html\t/o/\t9\ttree\td/x.html").has_value());
}

TEST(WorkerProtocol, ResultsAndStartFailuresComeThrough) {
    const ResultMessage cases[] = {
        {0, PageOutcome::kStored, SkipReason::kNone, "", 2400ms, {}},
        {1, PageOutcome::kSkipped, SkipReason::kNoPlaceForWidget, "", 1ms, {}},
        {2, PageOutcome::kSkipped, SkipReason::kAlreadyStored, "", 0ms, {}},
        {3, PageOutcome::kNotCaptured, SkipReason::kNone, "", 120000ms, {}},
        {4, PageOutcome::kNotTranslated, SkipReason::kNone, "", 72000ms, {}},
        {5, PageOutcome::kCancelled, SkipReason::kNone, "", 3ms, {}},
        {6,
         PageOutcome::kFailed,
         SkipReason::kNone,
         "Cannot write \"C:\\out\\a.html\":\r\n\tdisk full \xE2\x80\x94 \\n is not a break",
         9ms,
         {}},
        {7, PageOutcome::kFailed, SkipReason::kNone, std::string("nul\0byte", 8), 0ms, {}},
        {8,
         PageOutcome::kStored,
         SkipReason::kNone,
         "",
         5ms,
         {"Passed over \"/site/a_files/shadow\": it is a link that leads outside",
          "Passed over \"/site/a_files/tab\there\": it leads back"}},
        {9, PageOutcome::kStored, SkipReason::kNone, "", 5ms, {""}},
    };
    for (const ResultMessage& result : cases) {
        SCOPED_TRACE(result.number);
        const std::string line = EncodeResult(result);
        EXPECT_EQ(line.find('\n'), line.size() - 1);
        const std::string body = line.substr(0, line.size() - 1);
        EXPECT_EQ(DecodeResult(body), result);
        EXPECT_FALSE(DecodeTask(body).has_value());
    }
    const std::string failure = EncodeStartFailure("The engine library\tlibcef.so\nwas not found");
    EXPECT_EQ(failure, "start-failure\tThe engine library\\tlibcef.so\\nwas not found\n");
    EXPECT_EQ(DecodeStartFailure(failure.substr(0, failure.size() - 1)),
              "The engine library\tlibcef.so\nwas not found");
    EXPECT_FALSE(DecodeTask(kStopLine).has_value());
    EXPECT_FALSE(DecodeResult(kReadyLine).has_value());
}

TEST(WorkerProtocol, MalformedLinesAreRefused) {
    const std::string languages = std::to_string(LanguageCodes().size());
    // The layout fields that end a task line.
    const std::string kTail = "\tper-page\t";
    const std::vector<std::string> tasks = {
        "",
        "task",
        "task\t",
        "task\t1\t/a/\tx.html\t/o/",                          // a field short
        "task\t1\t/a/\tx.html\t/o/\t2\tsite\tx.html\textra",  // a field too many
        "Task\t1\t/a/\tx.html\t/o/\t2" + kTail,               // the kind in another case
        " task\t1\t/a/\tx.html\t/o/\t2" + kTail,
        "task\t-1\t/a/\tx.html\t/o/\t2" + kTail,  // numbers
        "task\t+1\t/a/\tx.html\t/o/\t2" + kTail,
        "task\t1x\t/a/\tx.html\t/o/\t2" + kTail,
        "task\t\t/a/\tx.html\t/o/\t2" + kTail,
        "task\t18446744073709551616\t/a/\tx.html\t/o/\t2" + kTail,
        "task\t1\t/a/\tx.html\t/o/\t" + languages + kTail,  // outside the catalogue
        "task\t1\t/a/\tx.html\t/o/\t99999999999999999999999" + kTail,
        "task\t1\t/a\\/\tx.html\t/o/\t2" + kTail,  // escapes
        "task\t1\t/a/\\\tx.html\t/o/\t2" + kTail,
        "task\t1\t/a/\tx.html\\\t/o/\t2" + kTail,
        "task\t1\t/a/\tx\\u0041.html\t/o/\t2" + kTail,
        "task\t1\t/\xC3(/\tx.html\t/o/\t2" + kTail,         // not UTF-8
        "task\t1\t/a/\tx.html\t/\xED\xA0\x80/\t2" + kTail,  // an encoded surrogate
        "task\t1\t/a/\tx.html\t/o/\t2" + kTail + "\r\r",
        "task\t1\t/a/\tx.html\n\t/o/\t2" + kTail,
        "task\t1\t/a/\tx.html\t/o/\t2\tPer-page\t",   // a layout in another case
        "task\t1\t/a/\tx.html\t/o/\t2\tsite\t\xC3(",  // a site path not UTF-8
    };
    for (const std::string& line : tasks) {
        EXPECT_FALSE(DecodeTask(line).has_value()) << line;
    }
    EXPECT_TRUE(DecodeTask("task\t1\t/a/\tx.html\t/o/\t2" + kTail).has_value());

    const std::vector<std::string> results = {
        "result",
        "result\t1\tstored\tnone\t5",
        "result\t1\tStored\tnone\t5\t",
        "result\t1\tnot captured\tnone\t5\t",  // the display name is not the line's
        "result\t1\tstored\tnope\t5\t",
        "result\t1\tstored\tnone\t-5\t",
        "result\t1\tstored\tnone\t5.5\t",
        "result\tx\tstored\tnone\t5\t",
        "result\t1\tfailed\tnone\t5\tbad escape \\x",
        "result\t1\tfailed\tnone\t5\tends with \\",
    };
    for (const std::string& line : results) {
        EXPECT_FALSE(DecodeResult(line).has_value()) << line;
    }
    EXPECT_TRUE(DecodeResult("result\t1\tnot-captured\tnone\t5\t").has_value());
    // Fields after the message are warnings.
    const std::optional<ResultMessage> warned = DecodeResult("result\t1\tstored\tnone\t5\t\textra");
    ASSERT_TRUE(warned.has_value());
    EXPECT_EQ(warned->message, "");
    EXPECT_EQ(warned->warnings, std::vector<std::string>{"extra"});
    EXPECT_FALSE(DecodeResult("result\t1\tstored\tnone\t5\t\tbad \\x").has_value());

    EXPECT_FALSE(DecodeStartFailure("start-failure").has_value());
    EXPECT_FALSE(DecodeStartFailure("start-failure\ta\tb").has_value());
    EXPECT_FALSE(DecodeStartFailure("start-failure\ta\\").has_value());
    EXPECT_EQ(DecodeStartFailure("start-failure\t"), "");
}

}  // namespace
}  // namespace quillmoor::cli
