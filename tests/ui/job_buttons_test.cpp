#include <QAction>
#include <QTimer>

#include <functional>
#include <vector>

#include "tests/ui/shown_main_window.h"

namespace quillmoor::test_support {
namespace {

using JobButtons = ShownMainWindow;

struct Expected {
    bool translate;
    bool pause;
    bool cancel;
    const char* pause_caption;
    bool pause_requested;
    bool cancel_requested;
};

void ExpectRow(TForm3& form, const char* moment, const Expected& e) {
    SCOPED_TRACE(moment);
    EXPECT_EQ(form.btnTranslate->isEnabled(), e.translate);
    EXPECT_EQ(form.btnPause->isEnabled(), e.pause);
    EXPECT_EQ(form.btnCancel->isEnabled(), e.cancel);
    EXPECT_EQ(form.btnPause->text(), e.pause_caption);
    EXPECT_EQ(form.Flags().PauseRequested(), e.pause_requested);
    EXPECT_EQ(form.Flags().CancelRequested(), e.cancel_requested);
}

TEST_F(JobButtons, FollowTheirTableRowByRow) {
    ASSERT_EQ(&form.Flags(), &flags);  // the flags that the batch reads
    const std::function<void()> start = [this] { form.JobStarted(); };
    const std::function<void()> end = [this] { form.JobEndedNormally(); };
    const std::function<void()> pause = [this] { Click(form.btnPause); };
    const std::function<void()> cancel = [this] { Click(form.btnCancel); };
    const std::function<void()> leave_flags_set = [this] {
        flags.RequestCancel();
        flags.RequestPause();
    };
    const struct {
        const char* moment;
        std::vector<std::function<void()>> actions;
        Expected expected;
    } steps[] = {
        {"window shown", {}, {true, false, false, "Pause", false, false}},
        {"batch starts", {leave_flags_set, start}, {false, true, true, "Pause", false, false}},
        {"Pause clicked", {pause}, {false, true, true, "Continue", true, false}},
        {"Continue clicked", {pause}, {false, true, true, "Pause", false, false}},
        // Only Pause changes its own caption: it stays "Continue", with the pause dropped.
        {"Cancel clicked during a pause",
         {pause, cancel},
         {true, false, false, "Continue", false, true}},
        {"next batch starts", {start}, {false, true, true, "Continue", false, false}},
        {"its first Pause click", {pause}, {false, true, true, "Pause", false, false}},
        {"its second Pause click", {pause}, {false, true, true, "Continue", true, false}},
        {"batch ends normally", {end}, {true, false, false, "Continue", false, false}},
        // Disabled buttons do nothing when clicked.
        {"clicks on disabled buttons",
         {cancel, pause},
         {true, false, false, "Continue", false, false}},
    };
    for (const auto& step : steps) {
        for (const auto& action : step.actions) {
            action();
        }
        ExpectRow(form, step.moment, step.expected);
    }
}

TEST_F(JobButtons, TranslateOnlyAsksForTheBatch) {
    int requests = 0;
    QObject::connect(&form, &TForm3::translateRequested, [&requests] { ++requests; });
    Click(form.btnTranslate);
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(form.btnTranslate->isEnabled());
    EXPECT_FALSE(form.Flags().PauseRequested() || form.Flags().CancelRequested());
}

TEST_F(JobButtons, ClosingWithoutABatchJustCloses) {
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Flags().CancelRequested());
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(JobButtons, ClosingDuringABatchPressesCancelAndIsNeverRefused) {
    form.JobStarted();
    Click(form.btnPause);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Flags().CancelRequested());
    EXPECT_FALSE(form.Flags().PauseRequested());
    EXPECT_TRUE(form.btnTranslate->isEnabled());
    EXPECT_FALSE(form.btnCancel->isEnabled());
}

TEST_F(JobButtons, ExitEndsTheMainLoopWithoutCancel) {
    form.JobStarted();
    QTimer::singleShot(0, form.Exit1, &QAction::trigger);
    // A loop that Exit failed to end is ended by the guard, with another code.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.btnCancel->isEnabled());
    EXPECT_FALSE(form.Flags().CancelRequested());
}

}  // namespace
}  // namespace quillmoor::test_support
