// The Win32 hidden browser window against an engine in the test's process: the browser as a
// child of a window that is never shown, the hand-over of the engine's events to the GUI
// thread through its messages, the window's own messages, the page commands, and replacing
// the browser.
#include "win/host/tfrm_simple_browser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "handlers/page_scripts.h"
#include "tests/handlers/fake_engine.h"
#include "tests/handlers/still_clock.h"
#include "tests/support/example.h"
#include "tests/support/wrong_thread_reports.h"
#include "tests/win/host/win_host_test_support.h"
#include "win/host/hidden_browser.h"
#include "win/host/page_browser_window.h"

namespace quillmoor::win {
namespace {

using namespace std::chrono_literals;
using browser_test::FakeBrowser;
using browser_test::FakeEngine;
using browser_test::ScriptRun;
using browser_test::StillClock;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using win_test::PumpFor;
using win_test::PumpUntil;

RECT ClientArea(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    return area;
}

// Where child lies in its parent's client area: left, top, width, height.
std::vector<LONG> Placement(HWND child) {
    RECT bounds{};
    GetWindowRect(child, &bounds);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
    return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

class WinBrowserWindowTest : public ::testing::Test {
  protected:
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

TEST_F(WinBrowserWindowTest, TheBrowserIsAskedForAsAChildOfTheHostControlInAWindowNeverShown) {
    engine_.context_ready = true;
    OpenWindow();
    const HWND form = window_->Handle();
    const HWND control = window_->ChromiumWindow1()->Handle();
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, control);
    EXPECT_FALSE(IsWindowVisible(form));
    EXPECT_EQ(nullptr, GetParent(form)) << "the hidden window is a top-level window";
    EXPECT_EQ(form, GetParent(control));
    const RECT client = ClientArea(form);
    EXPECT_EQ(1038, client.right - client.left);
    EXPECT_EQ(624, client.bottom - client.top);
    EXPECT_THAT(Placement(window_->AddressPnl()), ElementsAre(0, 0, 1038, 30));
    EXPECT_THAT(Placement(window_->AddressEdt()), ElementsAre(5, 5, 1038 - 5 - 5 - 31, 20));
    EXPECT_THAT(Placement(window_->GoBtn()), ElementsAre(1038 - 5 - 31, 5, 31, 20));
    EXPECT_THAT(Placement(control), ElementsAre(0, 30, 1038, 594));
    EXPECT_EQ(TfrmSimpleBrowser::kInitialCaption, window_->Caption());
    EXPECT_FALSE(IsWindowEnabled(window_->AddressPnl()));
    EXPECT_EQ(u"about:blank", window_->AddressText());

    // One request: a windowed child of the control covering its client area, on about:blank.
    ASSERT_EQ(1u, engine_.Requests().size());
    const cef_window_info_t& info = engine_.Requests()[0].window_info;
    EXPECT_EQ(control, info.parent_window);
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD), info.style & WS_CHILD);
    EXPECT_EQ(0, info.x);
    EXPECT_EQ(0, info.y);
    EXPECT_EQ(1038, info.width);
    EXPECT_EQ(624 - 30, info.height);
    EXPECT_EQ(0, info.windowless_rendering_enabled);
    EXPECT_EQ(u"about:blank", engine_.Requests()[0].url);

    ReportCreated(0);
    EXPECT_EQ(TfrmSimpleBrowser::kReadyCaption, window_->Caption());
    EXPECT_TRUE(IsWindowEnabled(window_->AddressPnl()));
    EXPECT_FALSE(IsWindowVisible(form)) << "the window was shown";
    // Closing the window only hides it: it lives as long as its owner.
    SendMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(form));
    EXPECT_FALSE(IsWindowVisible(form));
}

TEST_F(WinBrowserWindowTest, TheCreatedBrowserIsTakenOnlyWhenTheGuiThreadDispatchesItsMessages) {
    engine_.context_ready = true;
    OpenWindow();
    browsers_.push_back(EngineObjectPtr<FakeBrowser>::Make(7, false));
    engine_.ReportCreated(0, *browsers_.back());
    // Reported on the engine's thread; nothing changes until the GUI thread takes the notice.
    EXPECT_FALSE(window_->ChromiumWindow1()->Initialized());
    EXPECT_THAT(browsers_.back()->Frame().Loads(), IsEmpty());
    Win32MessagePump().Pump();
    EXPECT_TRUE(window_->ChromiumWindow1()->Initialized());
    EXPECT_THAT(browsers_.back()->Frame().Loads(), ElementsAre(u"about:blank"));

    // A second try is refused while the browser exists.
    EXPECT_FALSE(window_->ChromiumWindow1()->CreateBrowser());
    EXPECT_EQ(1, engine_.CreateCalls());
}

TEST_F(WinBrowserWindowTest, CreationIsRetriedByTimer1UntilTheContextIsReady) {
    OpenWindow();
    EXPECT_EQ(0, engine_.CreateCalls()) << "asked the engine before its context was ready";
    EXPECT_TRUE(window_->Timer1Enabled());
    PumpFor(400ms);
    EXPECT_EQ(0, engine_.CreateCalls());
    EXPECT_TRUE(window_->Timer1Enabled());

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    EXPECT_FALSE(window_->Timer1Enabled()) << "tries went on after an accepted one";
    PumpFor(400ms);
    EXPECT_EQ(1, engine_.CreateCalls());
    EXPECT_EQ(TChromiumWindow::BrowserState::kRequested, window_->ChromiumWindow1()->State());
}

TEST_F(WinBrowserWindowTest, APathNavigatedToBeforeTheBrowserExistsIsLoadedAfterCreation) {
    OpenWindow();
    PageBrowserWindow page_browser(*window_);
    page_browser.Navigate(u"C:\\Pages\\My Site\\index-temp.html");
    EXPECT_FALSE(page_browser.IsReady());
    EXPECT_EQ(u"C:\\Pages\\My Site\\index-temp.html", window_->AddressText());

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    FakeBrowser& browser = ReportCreated(0);
    EXPECT_TRUE(page_browser.IsReady());
    EXPECT_THAT(browser.Frame().Loads(),
                ElementsAre(u"file:///C:/Pages/My%20Site/index-temp.html"));

    // A click on the Go button loads the box's text.
    window_->SetAddressText(u"https://example.test/b");
    SendMessageW(window_->GoBtn(), BM_CLICK, 0, 0);
    EXPECT_EQ(u"https://example.test/b", browser.Frame().Loads().back());
}

TEST_F(WinBrowserWindowTest, LoadEndsOfAnyFrameRunTheCascadeOnTheEngineThread) {
    FakeBrowser& browser = OpenReadyWindow();
    signals_.ResetPageLoaded();
    signals_.ResetLoadStages();
    clock_.Set(2'000'000ms);
    engine_.ReportLoadEnd(0, browser);
    EXPECT_TRUE(signals_.LoadStage1());
    EXPECT_FALSE(signals_.LoadStage2());
    for (int i = 0; i < 3; ++i) {
        engine_.ReportLoadEnd(0, browser);
    }
    EXPECT_TRUE(signals_.PageLoaded());
    EXPECT_TRUE(signals_.LoadStage2());
    EXPECT_TRUE(signals_.LoadStage3());
    EXPECT_EQ(Timestamp(2'000'000ms), signals_.LastLoadTime());
}

TEST_F(WinBrowserWindowTest, TheMarkupComesThroughTheVisitorIntoTheJobSignalsOnce) {
    signals_.SetCapturedHtml(u"earlier");
    signals_.ResetHtmlReady();
    OpenWindow();
    window_->btn9Click();  // no browser yet: nothing asked, nothing changes
    EXPECT_FALSE(signals_.HtmlReady());
    EXPECT_EQ(u"earlier", signals_.CapturedHtml());

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    FakeBrowser& browser = ReportCreated(0);
    PageBrowserWindow(*window_).RetrieveMarkup();
    const auto visitors = browser.Frame().Visitors();
    ASSERT_EQ(1u, visitors.size());
    clock_.Set(5'000'123ms);
    FakeEngine::Deliver(visitors[0], u"<html><body>\u00e9t\u00e9</body></html>");
    EXPECT_TRUE(signals_.HtmlReady());
    EXPECT_EQ(u"<html><body>\u00e9t\u00e9</body></html>", signals_.CapturedHtml());
    EXPECT_EQ(Timestamp(5'000'123ms), signals_.HtmlReadyTime());

    signals_.ResetHtmlReady();
    FakeEngine::Deliver(visitors[0], u"again");
    EXPECT_FALSE(signals_.HtmlReady());
    EXPECT_EQ(u"<html><body>\u00e9t\u00e9</body></html>", signals_.CapturedHtml());
}

TEST_F(WinBrowserWindowTest, NewTabsAndWindowsAreRefusedEverythingElseIsAllowed) {
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

TEST_F(WinBrowserWindowTest, PageCommandsRunTheirScriptsInTheMainFrame) {
    FakeBrowser& browser = OpenReadyWindow();
    PageBrowserWindow page_browser(*window_);
    page_browser.PickLanguage();
    page_browser.ScrollToBottom();
    page_browser.ScrollToMiddle();
    page_browser.ScrollToTop();
    const std::vector<ScriptRun> scripts = browser.Frame().Scripts();
    ASSERT_EQ(5u, scripts.size());
    EXPECT_EQ(kPickLanguageScript, scripts[0].code);
    EXPECT_EQ(kPickLanguageInCurrentMenuScript, scripts[1].code);
    EXPECT_EQ(kScrollToBottomScript, scripts[2].code);
    EXPECT_EQ(kScrollToMiddleScript, scripts[3].code);
    EXPECT_EQ(kScrollToTopScript, scripts[4].code);
    for (const ScriptRun& run : scripts) {
        EXPECT_EQ(u"about:blank", run.address);
        EXPECT_EQ(0, run.start_line);
    }
}

TEST_F(WinBrowserWindowTest, MoveMessagesReachTheEngineOnlyWhileTheBrowserIsReady) {
    OpenWindow();
    SendMessageW(window_->Handle(), WM_MOVE, 0, MAKELPARAM(10, 10));  // nothing to notify

    engine_.context_ready = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 1; }, 5s));
    FakeBrowser& browser = ReportCreated(0);
    SendMessageW(window_->Handle(), WM_MOVE, 0, MAKELPARAM(20, 20));
    RECT moving{0, 0, 100, 100};
    SendMessageW(window_->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
    EXPECT_EQ(2, browser.Host().move_notices.load());
}

TEST_F(WinBrowserWindowTest, MenuLoopMessagesOfTheWindowItselfSetTheEnginesModalLoopFlag) {
    OpenWindow();
    const HWND form = window_->Handle();
    SendMessageW(form, WM_ENTERMENULOOP, 1, 0);  // a popup menu's loop
    EXPECT_THAT(engine_.OsmodalLoopCalls(), IsEmpty());
    SendMessageW(form, WM_ENTERMENULOOP, 0, 0);
    SendMessageW(form, WM_EXITMENULOOP, 1, 0);
    SendMessageW(form, WM_EXITMENULOOP, 0, 0);
    EXPECT_THAT(engine_.OsmodalLoopCalls(), ElementsAre(true, false));
}

TEST_F(WinBrowserWindowTest, ReplacingTheBrowserClosesTheOldOneAndReadiesANewOneOnABlankPage) {
    FakeBrowser& old_browser = OpenReadyWindow();
    PageBrowserWindow page_browser(*window_);
    page_browser.Navigate(u"C:\\pages\\hung-temp.html");

    engine_.accept_requests = false;  // the engine is not ready for a new browser at once
    page_browser.ReplaceBrowser();
    EXPECT_FALSE(page_browser.IsReady());
    EXPECT_EQ(1, old_browser.Host().close_requests.load());
    EXPECT_EQ(u"about:blank", window_->AddressText());
    EXPECT_TRUE(window_->Timer1Enabled());
    page_browser.RetrieveMarkup();  // goes nowhere while there is no browser
    EXPECT_THAT(old_browser.Frame().Visitors(), IsEmpty());

    engine_.accept_requests = true;
    ASSERT_TRUE(PumpUntil([&] { return engine_.Requests().size() == 2; }, 5s));
    EXPECT_EQ(window_->ChromiumWindow1()->Handle(),
              engine_.Requests()[1].window_info.parent_window);
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

TEST_F(WinBrowserWindowTest, EngineEventsAfterTheWindowHasGoneDoNoHarm) {
    FakeBrowser& browser = OpenReadyWindow();
    window_.reset();
    engine_.ReportLoadEnd(0, browser);
    EXPECT_EQ(1, engine_.ReportClosed(0, browser));
    engine_.ReportCreated(0, browser);
    PumpFor(50ms);
    EXPECT_TRUE(signals_.PageLoaded());
}

// The window, its control and the page run's browser over them belong to the GUI thread: a
// call from any other thread is reported at its entry, naming it. Without an engine and a
// browser the calls end right after their check.
TEST_F(WinBrowserWindowTest, TheirMethodsReportACallFromAnotherThread) {
    window_ = std::make_unique<TfrmSimpleBrowser>(nullptr, signals_, clock_);
    TfrmSimpleBrowser& window = *window_;
    TChromiumWindow& control = *window.ChromiumWindow1();
    PageBrowserWindow page_browser(window);
    const test_support::Example<std::function<void()>, const char*> cases[] = {
        {"window's command", [&] { window.btn9Click(); }, "TfrmSimpleBrowser::btn9Click"},
        {"window's notice", [&] { window.WMEnterMenuLoop(0); },
         "TfrmSimpleBrowser::WMEnterMenuLoop"},
        {"control's request", [&] { control.CreateBrowser(); }, "TChromiumWindow::CreateBrowser"},
        {"control's state", [&] { control.State(); }, "TChromiumWindow::State"},
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

// The hidden browser puts the pieces together for a page run: the run's browser is the
// window's, and waiting for it dispatches the GUI thread's messages.
TEST(WinHiddenBrowserTest, WaitsUntilTheEngineHandsItsWindowTheBrowser) {
    FakeEngine engine;
    engine.context_ready = true;
    StillClock clock;
    HiddenBrowser hidden(engine, &clock);
    ASSERT_EQ(1u, engine.Requests().size());
    EXPECT_FALSE(hidden.WaitUntilReady(50ms));

    auto browser = EngineObjectPtr<FakeBrowser>::Make(1, false);
    engine.ReportCreated(0, *browser);
    EXPECT_TRUE(hidden.WaitUntilReady(5s));
    EXPECT_TRUE(hidden.Browser().IsReady());
    hidden.Browser().Navigate(u"C:\\a\\b-temp.html");
    EXPECT_EQ(u"file:///C:/a/b-temp.html", browser->Frame().Loads().back());
}

}  // namespace
}  // namespace quillmoor::win
