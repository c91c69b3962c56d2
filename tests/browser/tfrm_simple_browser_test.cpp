// The hidden browser window against an engine in the test's process: creation and its
// retries, the hand-over of the engine's events, navigation, the page commands, the
// notices the window passes on, and replacing the browser.
#include "browser/tfrm_simple_browser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMoveEvent>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/page_browser_window.h"
#include "handlers/page_scripts.h"
#include "tests/browser/browser_test_support.h"
#include "tests/handlers/fake_engine.h"
#include "tests/support/example.h"
#include "tests/support/wrong_thread_reports.h"

namespace quillmoor::browser_test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

class BrowserWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { EnsureQtApplication(); }
    void TearDown() override {
        window_.reset();
        for (const auto& browser : browsers_) {
            EXPECT_EQ(1, browser->ReferenceCount()) << "a browser reference was kept or lost";
        }
    }

    void OpenWindow() { window_ = std::make_unique<TfrmSimpleBrowser>(&engine_, signals_, clock_); }
    // Opens the window on a ready engine and reports its browser created.
    FakeBrowser& OpenReadyWindow() {
        engine_.context_ready = true;
        OpenWindow();
        EXPECT_EQ(1u, engine_.Requests().size());
        return ReportCreated(0);
    }
    FakeBrowser& ReportCreated(std::size_t request, bool popup = false) {
        browsers_.push_back(
            EngineObjectPtr<FakeBrowser>::Make(static_cast<int>(browsers_.size()) + 1, popup));
        FakeBrowser& browser = *browsers_.back();
        engine_.ReportCreated(request, browser);
        if (!popup) {
            EXPECT_TRUE(PumpUntil([&] { return window_->ChromiumWindow1()->Initialized(); }, 5s));
        }
        return browser;
    }

    FakeEngine engine_;
    JobSignals signals_;
    StillClock clock_;
    std::unique_ptr<TfrmSimpleBrowser> window_;
    std::vector<EngineObjectPtr<FakeBrowser>> browsers_;
};

TEST_F(BrowserWindowTest, LaysOutTheControlsAsTabledAndIsNeverShown) {
    engine_.context_ready = true;
    OpenWindow();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(Text(TfrmSimpleBrowser::kInitialCaption), window_->windowTitle());
    EXPECT_EQ(QSize(1038, 624), window_->size());
    EXPECT_EQ(QRect(0, 0, 1038, 30), window_->AddressPnl()->geometry());
    EXPECT_FALSE(window_->AddressPnl()->isEnabled());
    EXPECT_EQ(31, window_->GoBtn()->width());
    EXPECT_EQ("Go", window_->GoBtn()->text());
    EXPECT_EQ(1038 - 5 - 5 - 31, window_->AddressEdt()->width());
    EXPECT_EQ(window_->AddressEdt()->geometry().right() + 1, window_->GoBtn()->geometry().left());
    EXPECT_EQ(QRect(0, 30, 1038, 594), window_->ChromiumWindow1()->geometry());
    EXPECT_EQ(300, window_->Timer1()->interval());

    // The browser is asked for with the view's size and about:blank.
    ASSERT_EQ(1u, engine_.Requests().size());
    EXPECT_EQ(1038u, engine_.Requests()[0].window_info.width);
    EXPECT_EQ(594u, engine_.Requests()[0].window_info.height);
    EXPECT_EQ(u"about:blank", engine_.Requests()[0].url);
    EXPECT_NE(0u, engine_.Requests()[0].window_info.parent_window);

    ReportCreated(0);
    window_->grab().save(QString::fromStdString(::testing::TempDir()) +
                         "/simple_browser_window.png");
    EXPECT_EQ(Text(TfrmSimpleBrowser::kReadyCaption), window_->windowTitle());
    EXPECT_TRUE(window_->AddressPnl()->isEnabled());
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(BrowserWindowTest, CreationIsRefusedUntilTheContextIsReadyThenRetriedEvery300Ms) {
    OpenWindow();
    EXPECT_EQ(0, engine_.CreateCalls()) << "asked the engine before its context was ready";
    EXPECT_TRUE(window_->Timer1()->isActive());
    PumpFor(700ms);
    EXPECT_EQ(0, engine_.CreateCalls());
    EXPECT_TRUE(window_->Timer1()->isActive());

    // The engine turns the request down: the window keeps asking, one try per tick.
    engine_.accept_requests = false;
    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.CreateCalls() >= 1; }, 5s));
    ASSERT_TRUE(PumpUntil([&] { return engine_.CreateCalls() >= 3; }, 5s));
    EXPECT_TRUE(window_->Timer1()->isActive());

    engine_.accept_requests = true;
    const int before = engine_.CreateCalls();
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    EXPECT_EQ(before + 1, engine_.CreateCalls());
    EXPECT_FALSE(window_->Timer1()->isActive()) << "tries went on after an accepted one";
    PumpFor(700ms);
    EXPECT_EQ(before + 1, engine_.CreateCalls());
    EXPECT_EQ(TChromiumWindow::BrowserState::kRequested, window_->ChromiumWindow1()->State());
    EXPECT_EQ(Text(TfrmSimpleBrowser::kInitialCaption), window_->windowTitle());
}

TEST_F(BrowserWindowTest, WithoutAnEngineTheBrowserIsNeverAskedFor) {
    window_ = std::make_unique<TfrmSimpleBrowser>(nullptr, signals_, clock_);
    PumpFor(400ms);
    EXPECT_TRUE(window_->Timer1()->isActive());
    window_->WMEnterMenuLoop(0);
    window_->GoBtnClick();
    window_->btn9Click();
    window_->btn10Click();
    EXPECT_FALSE(window_->ChromiumWindow1()->Initialized());
}

TEST_F(BrowserWindowTest, TheCreatedBrowserIsTakenOnTheGuiThreadAndLoadsTheAddressBox) {
    engine_.context_ready = true;
    OpenWindow();
    browsers_.push_back(EngineObjectPtr<FakeBrowser>::Make(7, false));
    engine_.ReportCreated(0, *browsers_.back());
    // Reported on the engine's thread; nothing changes until the GUI thread takes the notice.
    EXPECT_FALSE(window_->ChromiumWindow1()->Initialized());
    EXPECT_THAT(browsers_.back()->Frame().Loads(), IsEmpty());
    ASSERT_TRUE(PumpUntil([&] { return window_->ChromiumWindow1()->Initialized(); }, 5s));
    EXPECT_THAT(browsers_.back()->Frame().Loads(), ElementsAre(u"about:blank"));
    EXPECT_EQ(Text(TfrmSimpleBrowser::kReadyCaption), window_->windowTitle());

    // A second try is refused while the browser exists.
    EXPECT_FALSE(window_->ChromiumWindow1()->CreateBrowser());
    EXPECT_EQ(1, engine_.CreateCalls());
}

TEST_F(BrowserWindowTest, APathPutInTheAddressBoxBeforeTheBrowserExistsIsLoadedAfterCreation) {
    OpenWindow();
    PageBrowserWindow page_browser(*window_);
    page_browser.Navigate(u"/tmp/some folder/page#1-temp.html");
    EXPECT_FALSE(page_browser.IsReady());

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    FakeBrowser& browser = ReportCreated(0);
    EXPECT_TRUE(page_browser.IsReady());
    EXPECT_THAT(browser.Frame().Loads(),
                ElementsAre(u"file:///tmp/some%20folder/page%231-temp.html"));

    // From now on Go loads at once; addresses pass unchanged.
    page_browser.Navigate(u"https://example.test/a b");
    EXPECT_THAT(browser.Frame().Loads().back(), u"https://example.test/a b");
}

TEST_F(BrowserWindowTest, AnInvalidMainFrameLoadsNothing) {
    FakeBrowser& browser = OpenReadyWindow();
    browser.Frame().valid = false;
    window_->GoBtnClick();
    window_->btn9Click();
    EXPECT_THAT(browser.Frame().Loads(), ElementsAre(u"about:blank"));
    EXPECT_THAT(browser.Frame().Visitors(), IsEmpty());
}

TEST_F(BrowserWindowTest, Btn9BeforeTheBrowserExistsChangesNothingAfterwardsTheMarkupArrives) {
    signals_.SetCapturedHtml(u"earlier");
    signals_.ResetHtmlReady();
    OpenWindow();
    window_->btn9Click();
    PumpFor(50ms);
    EXPECT_FALSE(signals_.HtmlReady());
    EXPECT_EQ(u"earlier", signals_.CapturedHtml());
    EXPECT_EQ(Timestamp(), signals_.HtmlReadyTime());

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    FakeBrowser& browser = ReportCreated(0);
    window_->btn9Click();
    const auto visitors = browser.Frame().Visitors();
    ASSERT_EQ(1u, visitors.size());
    clock_.Set(5'000'123ms);
    FakeEngine::Deliver(visitors[0], u"<html><body>now</body></html>");
    EXPECT_TRUE(signals_.HtmlReady());
    EXPECT_EQ(u"<html><body>now</body></html>", signals_.CapturedHtml());
    EXPECT_EQ(Timestamp(5'000'123ms), signals_.HtmlReadyTime());

    // A visitor passes its text on once.
    signals_.ResetHtmlReady();
    FakeEngine::Deliver(visitors[0], u"again");
    EXPECT_FALSE(signals_.HtmlReady());
    EXPECT_EQ(u"<html><body>now</body></html>", signals_.CapturedHtml());
}

TEST_F(BrowserWindowTest, LoadEndsOfAnyFrameRunTheCascadeOnTheEngineThread) {
    FakeBrowser& browser = OpenReadyWindow();
    signals_.ResetPageLoaded();
    signals_.ResetLoadStages();
    clock_.Set(2'000'000ms);
    for (int i = 0; i < 4; ++i) {
        engine_.ReportLoadEnd(0, browser);
    }
    EXPECT_TRUE(signals_.PageLoaded());
    EXPECT_TRUE(signals_.LoadStage1());
    EXPECT_TRUE(signals_.LoadStage2());
    EXPECT_TRUE(signals_.LoadStage3());
    EXPECT_EQ(Timestamp(2'000'000ms), signals_.LastLoadTime());
}

TEST_F(BrowserWindowTest, MoveNoticesReachTheEngineOnlyWhileTheBrowserIsReady) {
    OpenWindow();
    QMoveEvent before(QPoint(10, 10), QPoint(0, 0));
    QCoreApplication::sendEvent(window_.get(), &before);  // nothing to notify, nothing breaks

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    browsers_.push_back(EngineObjectPtr<FakeBrowser>::Make(1, false));
    FakeBrowser& browser = *browsers_.back();
    engine_.ReportCreated(0, browser);
    QMoveEvent requested(QPoint(20, 20), QPoint(10, 10));
    QCoreApplication::sendEvent(window_.get(), &requested);  // notice not yet taken
    EXPECT_EQ(0, browser.Host().move_notices.load());

    ASSERT_TRUE(PumpUntil([&] { return window_->ChromiumWindow1()->Initialized(); }, 5s));
    QMoveEvent ready(QPoint(30, 30), QPoint(20, 20));
    QCoreApplication::sendEvent(window_.get(), &ready);
    EXPECT_EQ(1, browser.Host().move_notices.load());
    window_->WMMove();  // WM_MOVING
    EXPECT_EQ(2, browser.Host().move_notices.load());
}

TEST_F(BrowserWindowTest, MenuLoopsOfTheWindowItselfSetTheEnginesModalLoopFlag) {
    OpenWindow();
    window_->WMEnterMenuLoop(1);  // a popup menu's loop
    EXPECT_THAT(engine_.OsmodalLoopCalls(), IsEmpty());
    window_->WMEnterMenuLoop(0);
    window_->WMExitMenuLoop(1);
    window_->WMExitMenuLoop(0);
    EXPECT_THAT(engine_.OsmodalLoopCalls(), ElementsAre(true, false));
}

TEST_F(BrowserWindowTest, NewTabsAndWindowsAreCancelledEverythingElseIsAllowed) {
    FakeBrowser& browser = OpenReadyWindow();
    const struct {
        cef_window_open_disposition_t disposition;
        int cancelled;
    } table[] = {
        {WOD_UNKNOWN, 0},
        {WOD_CURRENT_TAB, 0},
        {WOD_SINGLETON_TAB, 0},
        {WOD_NEW_FOREGROUND_TAB, 1},
        {WOD_NEW_BACKGROUND_TAB, 1},
        {WOD_NEW_POPUP, 1},
        {WOD_NEW_WINDOW, 1},
        {WOD_SAVE_TO_DISK, 0},
        {WOD_OFF_THE_RECORD, 0},
        {WOD_IGNORE_ACTION, 0},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.cancelled, engine_.AskBeforePopup(0, browser, row.disposition))
            << "disposition " << row.disposition;
    }
}

TEST_F(BrowserWindowTest, AnAllowedPopupDoesNotBecomeTheWindowsBrowser) {
    FakeBrowser& browser = OpenReadyWindow();
    ReportCreated(0, /*popup=*/true);
    PumpFor(50ms);
    window_->GoBtnClick();
    EXPECT_EQ(2u, browser.Frame().Loads().size());
    EXPECT_THAT(browsers_.back()->Frame().Loads(), IsEmpty());
}

TEST_F(BrowserWindowTest, PageCommandsRunTheirScriptsInTheMainFrame) {
    FakeBrowser& browser = OpenReadyWindow();
    // The page run scrolls through its browser, which runs the scripts without pumping.
    PageBrowserWindow page_browser(*window_);
    page_browser.PickLanguage();
    page_browser.ScrollToBottom();
    page_browser.ScrollToMiddle();
    page_browser.ScrollToTop();
    const std::vector<ScriptRun> scripts = browser.Frame().Scripts();
    ASSERT_EQ(5u, scripts.size());
    EXPECT_EQ(kPickLanguageScript, scripts[0].code);
    EXPECT_EQ(kPickLanguageInCurrentMenuScript, scripts[1].code);
    EXPECT_EQ(u"window.scrollTo(0,document.body.scrollHeight)", scripts[2].code);
    EXPECT_EQ(u"window.scrollTo(0,document.body.scrollHeight/2)", scripts[3].code);
    EXPECT_EQ(u"window.scrollTo(0,0)", scripts[4].code);
    for (const ScriptRun& run : scripts) {
        EXPECT_EQ(u"about:blank", run.address);
        EXPECT_EQ(0, run.start_line);
    }
}

TEST_F(BrowserWindowTest, CloseQuestionsAreAnsweredHereAndHandedToTheGuiThread) {
    FakeBrowser& browser = OpenReadyWindow();
    EXPECT_EQ(1, engine_.ReportClosed(0, browser));
    ASSERT_TRUE(PumpUntil([&] { return !window_->ChromiumWindow1()->Initialized(); }, 5s));
    EXPECT_EQ(TChromiumWindow::BrowserState::kAbsent, window_->ChromiumWindow1()->State());
}

TEST_F(BrowserWindowTest, ReplacingTheBrowserClosesTheOldOneAndReadiesANewOneOnABlankPage) {
    FakeBrowser& old_browser = OpenReadyWindow();
    PageBrowserWindow page_browser(*window_);
    page_browser.Navigate(u"/tmp/hung-temp.html");

    engine_.accept_requests = false;  // the engine is not ready for a new browser at once
    page_browser.ReplaceBrowser();
    EXPECT_FALSE(page_browser.IsReady());
    EXPECT_EQ(1, old_browser.Host().close_requests.load());
    EXPECT_TRUE(window_->Timer1()->isActive());
    page_browser.RetrieveMarkup();  // goes nowhere while there is no browser
    EXPECT_THAT(old_browser.Frame().Visitors(), IsEmpty());

    engine_.accept_requests = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 2; }, 5s));
    FakeBrowser& new_browser = ReportCreated(1);
    EXPECT_TRUE(page_browser.IsReady());
    EXPECT_THAT(new_browser.Frame().Loads(), ElementsAre(u"about:blank"));

    // The old browser's end, reported late, leaves the new one alone.
    EXPECT_EQ(1, engine_.ReportClosed(0, old_browser));
    PumpFor(50ms);
    EXPECT_TRUE(page_browser.IsReady());
    page_browser.RetrieveMarkup();
    EXPECT_EQ(1u, new_browser.Frame().Visitors().size());
}

TEST_F(BrowserWindowTest, EngineEventsAfterTheWindowHasGoneDoNoHarm) {
    FakeBrowser& browser = OpenReadyWindow();
    window_.reset();
    engine_.ReportLoadEnd(0, browser);
    EXPECT_EQ(1, engine_.ReportClosed(0, browser));
    engine_.ReportCreated(0, browser);
    PumpFor(50ms);
    EXPECT_TRUE(signals_.PageLoaded());
}

// The window, its browser control and the page run's browser over them belong to the GUI
// thread: a call from any other thread is reported at its entry, naming it (where the build
// checks threads, as every test build does). The calls chosen touch no Qt object; without an
// engine and a browser they end right after their check.
TEST_F(BrowserWindowTest, TheirMethodsReportACallFromAnotherThread) {
    window_ = std::make_unique<TfrmSimpleBrowser>(nullptr, signals_, clock_);
    TfrmSimpleBrowser& window = *window_;
    TChromiumWindow& control = *window.ChromiumWindow1();
    PageBrowserWindow page_browser(window);
    const test_support::Example<std::function<void()>, const char*> cases[] = {
        {"window's command", [&] { window.btn9Click(); }, "TfrmSimpleBrowser::btn9Click"},
        {"window's notice", [&] { window.WMEnterMenuLoop(0); },
         "TfrmSimpleBrowser::WMEnterMenuLoop"},
        {"window's control", [&] { window.ChromiumWindow1(); },
         "TfrmSimpleBrowser::ChromiumWindow1"},
        {"control's request", [&] { control.CreateBrowser(); }, "TChromiumWindow::CreateBrowser"},
        {"control's frame", [&] { control.MainFrame(); }, "TChromiumWindow::MainFrame"},
        {"control's state", [&] { control.State(); }, "TChromiumWindow::State"},
        {"page browser's command", [&] { page_browser.RetrieveMarkup(); },
         "PageBrowserWindow::RetrieveMarkup"},
        {"page browser's question", [&] { page_browser.IsReady(); }, "PageBrowserWindow::IsReady"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> reports = test_support::ReportsFromAnotherThread(c.input);
        if (kThreadChecks) {
            ASSERT_THAT(reports, Not(IsEmpty()));
            EXPECT_THAT(reports.front(), HasSubstr(c.expected));
        } else {
            EXPECT_THAT(reports, IsEmpty());
        }
        EXPECT_THAT(test_support::ReportsFromThisThread(c.input), IsEmpty());
    }
}

}  // namespace
}  // namespace quillmoor::browser_test
