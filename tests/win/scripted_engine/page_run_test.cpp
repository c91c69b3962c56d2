// The page run of the pipeline, end to end, over the scripted engine library: a browser
// driven through the engine's C interface as the browser window drives it (load, pick
// scripts, scroll scripts, markup through a string visitor, the main frame's address), its
// answers arriving through the job signals from the engine's thread; the fast timing, so
// that a page-language takes about a second.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/engine_string.h"
#include "handlers/engine_address.h"
#include "handlers/page_scripts.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_run.h"
#include "pipeline/path_names.h"
#include "pipeline/steady_run_clock.h"
#include "platform/utf.h"
#include "tests/support/test_folder.h"
#include "tests/win/scripted_engine/engine_session.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillmoor::scripted_engine_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::size_t IndexOf(std::u16string_view code) {
    const auto& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

constexpr std::string_view kSourcePage =
    "<!DOCTYPE html>\r\n<html><head><title>Greeting</title></head>\r\n<body><h1>Hello</h1>\r\n"
    "<p>Good morning</p></body></html>\r\n";

// The hidden browser as the page run drives it, over the engine's C interface.
class EnginePageBrowser final : public PageBrowser {
  public:
    EnginePageBrowser(EngineSession& session, std::shared_ptr<Recorder> recorder,
                      JobSignals& signals, RunClock& clock)
        : session_(session), recorder_(std::move(recorder)), signals_(signals), clock_(clock) {
        recorder_->signals = &signals_;
        recorder_->clock = &clock_;
        browser_ = session_.CreateBrowser(recorder_);
    }
    ~EnginePageBrowser() override { browser_.Reset(); }

    void Navigate(const std::u16string& path) override {
        if (IsReady()) {
            session_.Navigate(browser_, EngineAddressOf(path));
        }
    }
    void PickLanguage() override {
        Run(kPickLanguageScript);
        Run(kPickLanguageInCurrentMenuScript);
    }
    void ScrollToBottom() override { Run(kScrollToBottomScript); }
    void ScrollToMiddle() override { Run(kScrollToMiddleScript); }
    void ScrollToTop() override { Run(kScrollToTopScript); }
    void RetrieveMarkup() override {
        if (!IsReady()) {
            return;
        }
        const auto frame =
            HeldReference<cef_frame_t>::Adopt(browser_->get_main_frame(browser_.get()));
        frame->get_source(frame.get(), NewSignallingVisitor(signals_, clock_));
    }
    void ReplaceBrowser() override {
        if (IsReady()) {
            session_.Close(browser_);
        }
        browser_ = session_.CreateBrowser(recorder_);
    }
    bool IsReady() const override { return static_cast<bool>(browser_); }
    bool ShowsPage(const std::u16string& path) const override {
        return IsReady() &&
               IsSameDocumentAddress(session_.Address(browser_), EngineAddressOf(path));
    }

  private:
    void Run(std::u16string_view script) {
        if (IsReady()) {
            session_.RunScript(browser_, script);
        }
    }

    EngineSession& session_;
    std::shared_ptr<Recorder> recorder_;
    JobSignals& signals_;
    RunClock& clock_;
    HeldReference<cef_browser_t> browser_;
};

class NoPump final : public MessagePump {
  public:
    void Pump() override {}
};

class SilentView final : public RunProgressView {
  public:
    void ShowLanguageProgress(std::u16string_view) override {}
    void EmptyTextBuffers() override {}
};

class ScriptedPageRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.Started()) << session_.Failure();
        ASSERT_TRUE(browser_.IsReady());
        // The browser's first page (about:blank) has loaded.
        ASSERT_TRUE(recorder_->WaitUntil([this] { return recorder_->MainFrameLoadEnds() > 0; }));
        std::filesystem::create_directories(std::filesystem::path(folder_.Path(u"site")));
        test_support::WriteBytes(std::filesystem::path(folder_.Path(u"site/index.html")),
                                 kSourcePage);
        run_.SetTimings(RunTimings{WaitTiming::kFast, kDefaultSettlePeriod});
    }

    PageRunResult Translate(std::u16string_view code) {
        LanguageProgress progress{0, 1};
        return run_.TranslatePage(IndexOf(code), names_, folder_.Path(u"result"), progress);
    }
    std::filesystem::path Stored(std::u16string_view code) const {
        return std::filesystem::path(folder_.Path(u"result")) / "index.html" /
               std::filesystem::path(std::u16string(code)) / "index.html";
    }

    test_support::TestFolder folder_;
    const SourceNames names_{folder_.Path(u"site") + SeparatorOf(kNativePathStyle), u"index.html"};
    EngineSession session_;
    JobSignals signals_;
    JobFlags flags_;
    SteadyRunClock clock_;
    NoPump pump_;
    SilentView view_;
    const AnsiCodePage western_ = AnsiCodePage::ForCodePage(1252);
    std::shared_ptr<Recorder> recorder_ = session_.NewRecorder();
    EnginePageBrowser browser_{session_, recorder_, signals_, clock_};
    PageRun run_{browser_, clock_, pump_, view_, signals_, flags_, western_};
};

TEST_F(ScriptedPageRunTest, StoresThePageTheWidgetTranslated) {
    const PageRunResult result = Translate(u"fr");
    EXPECT_EQ(result.outcome, PageOutcome::kStored) << result.reason;
    const std::string stored = test_support::ReadBytes(Stored(u"fr"));
    EXPECT_THAT(stored, HasSubstr("<h1>[fr] Hello</h1>"));
    EXPECT_THAT(stored, HasSubstr("<p>[fr] Good morning</p>"));
    EXPECT_THAT(stored, HasSubstr("translated-ltr"));
    EXPECT_THAT(stored, Not(HasSubstr("googleTranslateElementInit")));
    EXPECT_THAT(stored, Not(HasSubstr("goog-te-menu-frame")));
    EXPECT_THAT(stored, Not(HasSubstr("goog-te-banner-frame")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(names_.TempPagePath())));

    // The next language in the same browser.
    const PageRunResult next = Translate(u"ar");
    EXPECT_EQ(next.outcome, PageOutcome::kStored) << next.reason;
    EXPECT_THAT(test_support::ReadBytes(Stored(u"ar")), HasSubstr("translated-rtl"));
}

TEST_F(ScriptedPageRunTest, StoresThePageTheCurrentWidgetTranslated) {
    SetEnvironmentVariableW(L"QUILLMOOR_SCRIPTED_ENGINE_WIDGET", L"current");
    const PageRunResult result = Translate(u"de");
    SetEnvironmentVariableW(L"QUILLMOOR_SCRIPTED_ENGINE_WIDGET", nullptr);
    EXPECT_EQ(result.outcome, PageOutcome::kStored) << result.reason;
    const std::string stored = test_support::ReadBytes(Stored(u"de"));
    EXPECT_THAT(stored, HasSubstr("[de] Hello"));
    EXPECT_THAT(stored, Not(HasSubstr("VIpgJd-ZVi9od-xl07Ob-OEVmcd")));
    EXPECT_THAT(stored, Not(HasSubstr("goog-gt-tt")));
}

TEST_F(ScriptedPageRunTest, APageTheWidgetNeverTranslatesIsNotStored) {
    SetEnvironmentVariableW(L"QUILLMOOR_SCRIPTED_ENGINE_WIDGET", L"untranslating");
    const PageRunResult result = Translate(u"fr");
    SetEnvironmentVariableW(L"QUILLMOOR_SCRIPTED_ENGINE_WIDGET", nullptr);
    EXPECT_EQ(result.outcome, PageOutcome::kNotTranslated);
    EXPECT_EQ(result.reason, kPickIgnoredReason);
    EXPECT_FALSE(std::filesystem::exists(Stored(u"fr")));
}

}  // namespace
}  // namespace quillmoor::scripted_engine_test
