#include <QAction>
#include <QTimer>

#include "tests/ui/shown_main_window.h"

namespace quillmoor::testing {
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
    ExpectRow(form, "window shown", {true, false, false, "Pause", false, false});

    flags.RequestCancel();
    flags.RequestPause();
    form.JobStarted();
    ExpectRow(form, "batch starts", {false, true, true, "Pause", false, false});

    Click(form.btnPause);
    ExpectRow(form, "Pause clicked", {false, true, true, "Continue", true, false});
    Click(form.btnPause);
    ExpectRow(form, "Continue clicked", {false, true, true, "Pause", false, false});

    Click(form.btnPause);
    Click(form.btnCancel);
    // Only Pause changes its own caption: it stays "Continue", with the pause dropped.
    ExpectRow(form, "Cancel clicked during a pause", {true, false, false, "Continue", false, true});

    form.JobStarted();
    ExpectRow(form, "next batch starts", {false, true, true, "Continue", false, false});
    Click(form.btnPause);
    ExpectRow(form, "its first Pause click", {false, true, true, "Pause", false, false});
    Click(form.btnPause);
    ExpectRow(form, "its second Pause click", {false, true, true, "Continue", true, false});

    form.JobEndedNormally();
    ExpectRow(form, "batch ends normally", {true, false, false, "Continue", false, false});

    // Disabled buttons do nothing when clicked.
    Click(form.btnCancel);
    Click(form.btnPause);
    ExpectRow(form, "clicks on disabled buttons", {true, false, false, "Continue", false, false});
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
}  // namespace quillmoor::testing
