// The batch bound to the main window, in the program's application object on Qt's
// offscreen platform, over a page run that only polls (no browser).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/gui/batch_window_binding.h"
#include "app/gui/program_application.h"
#include "app/gui/tform3_batch_view.h"
#include "browser/qt_message_pump.h"
#include "pipeline/batch_driver.h"
#include "pipeline/job_signals.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/steady_run_clock.h"
#include "platform/file_system.h"
#include "tests/ui/scripted_dialogs.h"
#include "ui/tform3.h"

namespace quillmoor {
namespace {

using test_support::ScriptedDialogs;
using ::testing::ElementsAre;

// A page run that makes poll steps on the real clock, pumping Qt's events, for as long as
// `steps` says; it may throw at the end.
class PollingTranslator final : public PageTranslator {
  public:
    PollingTranslator(JobFlags& flags, std::vector<std::string>& log) : flags_(flags), log_(log) {}

    PageRunResult TranslatePage(std::size_t, const SourceNames&, std::u16string_view,
                                LanguageProgress& progress) override {
        ++progress.counter;
        log_.push_back("page run");
        for (int step = 0; step < steps; ++step) {
            if (PollStep() == PollEnd::kCancelled) {
                log_.push_back("page run cancelled");
                return {PageOutcome::kCancelled, BrowserState::kKept, {}, {}, {}};
            }
        }
        if (!error.empty()) {
            throw FileSystemError(error);
        }
        return {PageOutcome::kStored, BrowserState::kKept, {}, {}, {}};
    }
    void Pump() override { pump_.Pump(); }
    PollEnd PollStep() override { return PollOnce(pump_, clock_, flags_); }

    int steps = 20;
    std::string error;

  private:
    JobFlags& flags_;
    std::vector<std::string>& log_;
    QtMessagePump pump_;
    SteadyRunClock clock_;
};

class ProgramWindowTest : public ::testing::Test {
  protected:
    ProgramWindowTest() {
        // A row whose file exists (this test program) and French ticked.
        const QString program = QCoreApplication::applicationFilePath();
        dialogs_.files_to_choose = {program};
        form_.Button7Click();
        form_.show();
        const auto& codes = LanguageCodes();
        const auto french = std::find(codes.begin(), codes.end(), u"fr") - codes.begin();
        form_.LanguageBoxes.at(static_cast<std::size_t>(french))->setChecked(true);
        auto* application = static_cast<ProgramApplication*>(QCoreApplication::instance());
        application->SetErrorBox([this](const QString& message) {
            log_.push_back("error box " + message.toStdString());
        });
    }
    ~ProgramWindowTest() override {
        static_cast<ProgramApplication*>(QCoreApplication::instance())->SetErrorBox({});
    }

    // Presses Translate from the main loop, runs the main loop until it ends (or 20 s).
    void PressTranslateInTheMainLoop() {
        QTimer::singleShot(0, &form_, [this] {
            form_.btnTranslate->click();
            log_.push_back("Translate returned");
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(3); });
        guard.start(20'000);
        exec_result_ = QCoreApplication::exec();
        log_.push_back("main loop ended");
    }

    std::vector<std::string> log_;
    ScriptedDialogs dialogs_;
    JobFlags flags_;
    TForm3 form_{dialogs_, flags_};
    JobSignals signals_;
    SteadyRunClock clock_;
    PollingTranslator translator_{form_.Flags(), log_};
    TForm3BatchView view_{form_, dialogs_};
    BatchDriver driver_{view_, translator_, clock_, signals_, form_.Flags()};
    BatchWindowBinding binding_{form_, driver_};
    int exec_result_ = -1;
};

TEST_F(ProgramWindowTest, ClosingTheWindowDuringABatchEndsTheProgramOnlyAfterTheBatchReturned) {
    translator_.steps = 1'000'000;  // until cancelled
    bool visible_after_close = false;
    // Well after the language loop has reached French (about 30 poll steps of 10 ms).
    QTimer::singleShot(1500, &form_, [this, &visible_after_close] {
        form_.close();
        visible_after_close = form_.isVisible();
        log_.push_back("closed");
    });

    PressTranslateInTheMainLoop();

    EXPECT_EQ(exec_result_, 0);
    EXPECT_TRUE(visible_after_close) << "the window stays on screen while the batch runs";
    EXPECT_FALSE(form_.isVisible());
    EXPECT_THAT(log_, ElementsAre("page run", "closed", "page run cancelled", "Translate returned",
                                  "main loop ended"));
    EXPECT_EQ(form_.lbl1->text(), QStringLiteral("0/0 File(s)"));
}

TEST_F(ProgramWindowTest, AnErrorEndsTheBatchInTheGeneralErrorBoxWithTheInputsLocked) {
    translator_.error = "Cannot write the result: the disk is full";
    QTimer::singleShot(0, &form_, [this] {
        form_.btnTranslate->click();
        log_.push_back("Translate returned");
        form_.btnCancel->click();
        form_.close();
    });
    exec_result_ = QCoreApplication::exec();

    EXPECT_EQ(exec_result_, 0);
    EXPECT_THAT(log_, ElementsAre("page run", "error box Cannot write the result: the disk is full",
                                  "Translate returned"));
    EXPECT_TRUE(dialogs_.messages.isEmpty()) << "no Translate Done!";
    EXPECT_FALSE(form_.Button7->isEnabled()) << "the inputs stay locked";
    EXPECT_TRUE(form_.btnTranslate->isEnabled()) << "Cancel enabled Translate again";
}

TEST_F(ProgramWindowTest, AnErrorThatNoHandlerCatchesIsShownAndTheLoopGoesOn) {
    QTimer::singleShot(0, &form_, [] { throw std::runtime_error("a handler failed"); });
    QTimer::singleShot(50, &form_, [this] { form_.close(); });
    exec_result_ = QCoreApplication::exec();

    EXPECT_EQ(exec_result_, 0);
    EXPECT_THAT(log_, ElementsAre("error box a handler failed"));
}

TEST_F(ProgramWindowTest, ABatchEndsWithDoneTheQuestionAndTheResultFolderWhenItExists) {
    dialogs_.answers = {UserDialogs::Answer::kOk};
    QTimer::singleShot(0, &form_, [this] {
        form_.btnTranslate->click();
        form_.close();
    });
    exec_result_ = QCoreApplication::exec();

    EXPECT_EQ(exec_result_, 0);
    ASSERT_EQ(dialogs_.messages.size(), 1);
    EXPECT_TRUE(dialogs_.messages[0].startsWith(QStringLiteral("Translate Done!\n\n")));
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0].text, QStringLiteral("Open the result directory?"));
    EXPECT_EQ(dialogs_.asked[0].question, UserDialogs::Question::kOkCancel);
    // The test program's folder has no result tree: nothing opens.
    EXPECT_EQ(DirectoryExists(driver_.ResultRoot()), !dialogs_.links.empty());
}

}  // namespace
}  // namespace quillmoor

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    quillmoor::ProgramApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoor"));
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
