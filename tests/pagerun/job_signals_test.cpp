#include "pipeline/job_signals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::Example;

using Ms = std::chrono::milliseconds;
using Signal = JobSignals::Signal;

const Timestamp kEarlier = Timestamp(Ms(5'000));
const Timestamp kNow = Timestamp(Ms(9'000));

// The flags of the load-end cascade.
struct LoadFlags {
    bool page_loaded;
    bool stage1;
    bool stage2;
    bool stage3;
    bool operator==(const LoadFlags&) const = default;
};

LoadFlags FlagsOf(const JobSignals& signals) {
    return {signals.PageLoaded(), signals.LoadStage1(), signals.LoadStage2(), signals.LoadStage3()};
}

// Signals whose load flags read flags (stages set from the first on) and whose
// LastLoadTime is kEarlier.
void SetFlags(JobSignals& signals, LoadFlags flags) {
    signals.ResetPageLoaded();
    signals.ResetLoadStages();
    const int stages = flags.stage3 ? 3 : flags.stage2 ? 2 : flags.stage1 ? 1 : 0;
    for (int i = 0; i < stages; ++i) {
        signals.OnLoadEnd(kEarlier);
    }
    if (!flags.page_loaded) {
        signals.ResetPageLoaded();
    }
}

TEST(JobSignals, LoadEndCascade) {
    const Example<LoadFlags, LoadFlags> cases[] = {
        {"all reset: stage 1", {false, false, false, false}, {true, true, false, false}},
        {"stage 1 set: stage 2", {false, true, false, false}, {true, true, true, false}},
        {"stages 1, 2 set: stage 3", {false, true, true, false}, {true, true, true, true}},
        {"all set: nothing but the time", {true, true, true, true}, {true, true, true, true}},
        {"only PageLoaded reset, stages from an earlier page",
         {false, true, true, true},
         {true, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JobSignals signals;
        SetFlags(signals, c.input);
        ASSERT_EQ(FlagsOf(signals), c.input);

        signals.OnLoadEnd(kNow);

        EXPECT_EQ(FlagsOf(signals), c.expected);
        EXPECT_EQ(signals.LastLoadTime(), kNow);
        EXPECT_FALSE(signals.HtmlReady());
    }
}

TEST(JobSignals, ThreeLoadEndsAfterAResetSetEveryStageAndAFourthOnlyMovesTheTime) {
    JobSignals signals;
    signals.OnLoadEnd(kEarlier);
    signals.ResetPageLoaded();
    signals.ResetLoadStages();
    for (int i = 1; i <= 3; ++i) {
        signals.OnLoadEnd(kEarlier + Ms(i));
    }
    EXPECT_EQ(FlagsOf(signals), (LoadFlags{true, true, true, true}));
    EXPECT_EQ(signals.LastLoadTime(), kEarlier + Ms(3));

    signals.OnLoadEnd(kNow);
    EXPECT_EQ(FlagsOf(signals), (LoadFlags{true, true, true, true}));
    EXPECT_EQ(signals.LastLoadTime(), kNow);
}

TEST(JobSignals, DeliveriesReplaceTheMarkupWhole) {
    JobSignals signals;
    EXPECT_FALSE(signals.HtmlReady());
    EXPECT_EQ(signals.HtmlReadyTime(), Timestamp());
    EXPECT_EQ(signals.CapturedHtml(), u"");

    signals.OnMarkupDelivered(u"<html>a much longer first document</html>", kEarlier);
    EXPECT_TRUE(signals.HtmlReady());
    EXPECT_EQ(signals.HtmlReadyTime(), kEarlier);

    signals.OnMarkupDelivered(u"<p>2</p>", kNow);
    EXPECT_TRUE(signals.HtmlReady());
    EXPECT_EQ(signals.CapturedHtml(), u"<p>2</p>");
    EXPECT_EQ(signals.HtmlReadyTime(), kNow);

    // An empty document is a delivery too.
    signals.ResetHtmlReady();
    signals.OnMarkupDelivered(u"", kNow + Ms(1));
    EXPECT_TRUE(signals.HtmlReady());
    EXPECT_EQ(signals.CapturedHtml(), u"");
    EXPECT_EQ(signals.HtmlReadyTime(), kNow + Ms(1));

    // Load flags are not touched by deliveries.
    EXPECT_EQ(FlagsOf(signals), (LoadFlags{false, false, false, false}));
}

// The markup of delivery number: a header with its number and length, then that many
// code units that all derive from the number. A torn or mixed text fails CheckWhole.
std::u16string MarkupNumber(int number) {
    const std::size_t length = 1000 + static_cast<std::size_t>(number % 7) * 4000;
    std::u16string text = u"#";
    for (char c : std::to_string(number)) {
        text += static_cast<char16_t>(c);
    }
    text += u':';
    text.append(length, static_cast<char16_t>(u'a' + number % 26));
    return text;
}

// The number of a whole markup, or -1.
int NumberOfWhole(const std::u16string& text) {
    const std::size_t colon = text.find(u':');
    if (text.empty() || text[0] != u'#' || colon == std::u16string::npos) {
        return -1;
    }
    int number = 0;
    for (std::size_t i = 1; i < colon; ++i) {
        number = number * 10 + (text[i] - u'0');
    }
    return text == MarkupNumber(number) ? number : -1;
}

TEST(JobSignals, AReaderThatSeesHtmlReadySeesTheWholeMarkup) {
    // The GUI thread asks for markup again and again; the engine's thread delivers, and
    // keeps delivering newer markup while the reader reads.
    constexpr int kRequests = 2000;
    JobSignals signals;
    std::atomic<int> requested{0};
    std::atomic<int> finished{0};
    std::atomic<bool> done{false};

    std::thread engine([&] {
        int delivered = 0;
        while (!done.load(std::memory_order_acquire)) {
            const int wanted = requested.load(std::memory_order_acquire);
            if (delivered < wanted) {
                delivered = wanted;
                signals.OnMarkupDelivered(MarkupNumber(delivered), Timestamp(Ms(delivered)));
                // A second, unasked delivery races with the reader.
                signals.OnMarkupDelivered(MarkupNumber(delivered + 1000000),
                                          Timestamp(Ms(delivered)));
                finished.store(delivered, std::memory_order_release);
            } else {
                std::this_thread::yield();
            }
        }
    });

    int failures = 0;
    for (int request = 1; request <= kRequests && failures < 5; ++request) {
        while (finished.load(std::memory_order_acquire) != request - 1) {
            std::this_thread::yield();
        }
        signals.ResetHtmlReady();
        requested.store(request, std::memory_order_release);
        while (!signals.HtmlReady()) {
            std::this_thread::yield();
        }
        const int number = NumberOfWhole(signals.CapturedHtml());
        if (number != request && number != request + 1000000) {
            ++failures;
            ADD_FAILURE() << "request " << request << " read markup " << number;
        }
    }
    done.store(true, std::memory_order_release);
    engine.join();
}

}  // namespace
}  // namespace quillmoor
