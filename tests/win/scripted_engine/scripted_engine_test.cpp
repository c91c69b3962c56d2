// The scripted engine library as the program uses it: its version record and entry points,
// the start-up through TCefApplication, the engine's strings, browsers created and closed,
// pages loaded from the disk, the widget played where a page brings it in, window requests
// and the engine's shutdown; and the same without multi_threaded_message_loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "engine/engine_string.h"
#include "engine/engine_version.h"
#include "handlers/engine_address.h"
#include "handlers/page_scripts.h"
#include "pipeline/current_widget_traces.h"
#include "pipeline/page_text.h"
#include "pipeline/widget_snippet.h"
#include "platform/executable_header.h"
#include "platform/file_bytes.h"
#include "platform/file_version.h"
#include "platform/pe_version_reader.h"
#include "platform/utf.h"
#include "startup/engine_layout.h"
#include "tests/support/test_folder.h"
#include "tests/win/scripted_engine/engine_session.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillmoor::scripted_engine_test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::Ne;
using ::testing::Not;
using ::testing::StartsWith;

std::string Utf8(const std::optional<std::u16string>& text) {
    return text ? Utf16ToUtf8(*text) : std::string("<nothing came>");
}

// The source page of the tests: a title, a heading, a paragraph the widget must leave alone
// and one it translates.
constexpr std::u16string_view kSourcePage =
    u"<!DOCTYPE html>\r\n<html lang=\"en\"><head><meta charset=\"windows-1252\">"
    u"<title>Greeting</title></head>\r\n<body><h1>Hello</h1>\r\n<p "
    u"class=\"notranslate\">Quillmoor</p>\r\n<p>Good morning, caf\u00E9</p></body></html>\r\n";

// Sets an environment variable of this process while it lives.
class EnvironmentScope {
  public:
    EnvironmentScope(const char16_t* name, const char16_t* value) : name_(name) {
        SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(name),
                                reinterpret_cast<const wchar_t*>(value));
    }
    ~EnvironmentScope() {
        SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(name_), nullptr);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

  private:
    const char16_t* name_;
};

class ScriptedEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(session_.Started()) << session_.Failure(); }

    // The temporary page the program writes for the source page in language code.
    std::u16string TemporaryPage(std::u16string_view code = u"fr") {
        const std::optional<std::u16string> injected =
            InjectWidget(std::u16string(kSourcePage), code);
        return WriteTempPage(pages_.Path(u"page-temp.html"), *injected,
                             AnsiCodePage::ForCodePage(1252));
    }

    // A page file written as it is.
    std::u16string PlainPage(std::u16string_view text = kSourcePage) {
        const std::u16string path = pages_.Path(u"plain.html");
        test_support::WriteBytes(std::filesystem::path(path), Utf16ToUtf8(text));
        return path;
    }

    // Loads address in the browser and waits for the main frame's load end of it.
    bool Load(const HeldReference<cef_browser_t>& browser, const std::u16string& address) {
        session_.Navigate(browser, address);
        return recorder_->WaitUntil(
            [&] {
                for (const Event& event : recorder_->EventsOf(Event::Kind::kLoadEnd)) {
                    if (event.main_frame && event.url == address) {
                        return true;
                    }
                }
                return false;
            },
            std::chrono::seconds(20), session_.Pump());
    }

    // The markup once every task asked for before has run: the second of two readings (the
    // widget works in a task of its own after a script's click).
    std::optional<std::u16string> SettledMarkup(const HeldReference<cef_browser_t>& browser) {
        session_.Markup(browser);
        return session_.Markup(browser);
    }

    void PickLanguage(const HeldReference<cef_browser_t>& browser) {
        // As the browser window's pick does it: both scripts, one after the other.
        session_.RunScript(browser, kPickLanguageScript);
        session_.RunScript(browser, kPickLanguageInCurrentMenuScript);
    }

    test_support::TestFolder pages_;
    EngineSession session_;
    std::shared_ptr<Recorder> recorder_ = session_.NewRecorder();
};

// ---- The library as a file ------------------------------------------------------------------

TEST(ScriptedEngineLibraryTest, CarriesTheVersionRecordOfTheEngineBuildTheStartUpAccepts) {
    const std::u16string path = BuiltLibrary().u16string();
    EXPECT_EQ(ReadFileVersion(path), EngineLayout::kSupportedVersion);
    const auto reader = [&path](uint64_t offset, size_t count) {
        return ReadFileBytesAt(path, offset, count);
    };
    EXPECT_EQ(PeVersionReader(reader).FixedFileVersion(), EngineLayout::kSupportedVersion);
    // A library of this program's own word size, which the binaries check lets through.
    EXPECT_EQ(ReadPeMachine(reader), kWindowsProgramPeMachine);
}

// ---- Start-up -------------------------------------------------------------------------------

TEST_F(ScriptedEngineTest, StartsAsTheProgramStartsItWithTheProgramsSwitches) {
    EXPECT_EQ(session_.Application()->Status(), TCefAplicationStatus::asInitialized);
    EXPECT_TRUE(session_.Reporter().events.empty());
    EXPECT_EQ(session_.Application()->Settings().multi_threaded_message_loop, 1);

    // Every function of the table is there, found by name in the module loaded by its bare
    // name from the working directory, as the program found it.
    const HMODULE module = GetModuleHandleW(session_.LibraryPath().wstring().c_str());
    ASSERT_NE(module, nullptr);
    EngineEntryPoints found;
    EXPECT_EQ(found.Resolve(module), "");
    EXPECT_NE(GetProcAddress(module, "cef_do_message_loop_work"), nullptr);

    const EngineEntryPoints& engine = session_.Engine();
    EXPECT_EQ(engine.cef_version_info(0), kEngineBuild.major);
    EXPECT_EQ(engine.cef_version_info(1), kEngineBuild.minor);
    EXPECT_EQ(engine.cef_version_info(2), kEngineBuild.patch);
    EXPECT_EQ(engine.cef_version_info(6), 3904);
    EXPECT_NE(engine.cef_api_hash(0), nullptr);

    // The global command line holds the switches the program's application added.
    const auto line =
        HeldReference<cef_command_line_t>::Adopt(engine.cef_command_line_get_global());
    ASSERT_TRUE(line);
    const cef_string_t gpu = EngineStringView(u"disable-gpu");
    const cef_string_t media = EngineStringView(u"enable-media-stream");
    EXPECT_EQ(line->has_switch(line.get(), &gpu), 1);
    cef_string_userfree_t value = line->get_switch_value(line.get(), &media);
    EXPECT_EQ(FromEngineString(value), u"1");
    engine.cef_string_userfree_utf16_free(value);
    EXPECT_EQ(line->is_read_only(line.get()), 1);
}

TEST_F(ScriptedEngineTest, StringsAndStringListsAreTheEnginesOwn) {
    const EngineEntryPoints& engine = session_.Engine();
    const std::u16string text = u"caf\u00E9 \U0001F600";
    cef_string_t copied{};
    ASSERT_EQ(engine.cef_string_utf16_set(reinterpret_cast<const char16*>(text.data()), text.size(),
                                          &copied, 1),
              1);
    EXPECT_NE(copied.str, reinterpret_cast<const char16*>(text.data()));
    EXPECT_NE(copied.dtor, nullptr);
    EXPECT_EQ(FromEngineString(&copied), text);
    engine.cef_string_utf16_clear(&copied);
    EXPECT_EQ(copied.str, nullptr);
    EXPECT_EQ(copied.length, 0u);

    cef_string_t borrowed{};
    engine.cef_string_utf16_set(reinterpret_cast<const char16*>(text.data()), text.size(),
                                &borrowed, 0);
    EXPECT_EQ(borrowed.str, reinterpret_cast<const char16*>(text.data()));
    EXPECT_EQ(borrowed.dtor, nullptr);

    cef_string_userfree_t user = engine.cef_string_userfree_utf16_alloc();
    ASSERT_NE(user, nullptr);
    const std::string utf8 = Utf16ToUtf8(text);
    EXPECT_EQ(engine.cef_string_utf8_to_utf16(utf8.data(), utf8.size(), user), 1);
    EXPECT_EQ(FromEngineString(user), text);
    cef_string_utf8_t back{};
    EXPECT_EQ(engine.cef_string_utf16_to_utf8(user->str, user->length, &back), 1);
    EXPECT_EQ(std::string(back.str, back.length), utf8);
    back.dtor(back.str);
    engine.cef_string_userfree_utf16_free(user);
    cef_string_t invalid{};
    EXPECT_EQ(engine.cef_string_utf8_to_utf16("a\xFF", 2, &invalid), 0);
    engine.cef_string_utf16_clear(&invalid);

    cef_string_list_t list = engine.cef_string_list_alloc();
    const cef_string_t first = EngineStringView(u"one");
    const cef_string_t second = EngineStringView(u"two");
    engine.cef_string_list_append(list, &first);
    engine.cef_string_list_append(list, &second);
    cef_string_list_t copy = engine.cef_string_list_copy(list);
    engine.cef_string_list_clear(list);
    EXPECT_EQ(engine.cef_string_list_size(list), 0u);
    ASSERT_EQ(engine.cef_string_list_size(copy), 2u);
    cef_string_t value{};
    EXPECT_EQ(engine.cef_string_list_value(copy, 1, &value), 1);
    EXPECT_EQ(FromEngineString(&value), u"two");
    EXPECT_EQ(engine.cef_string_list_value(copy, 2, &value), 0);
    engine.cef_string_utf16_clear(&value);
    engine.cef_string_list_free(copy);
    engine.cef_string_list_free(list);
}

// ---- Browsers -------------------------------------------------------------------------------

TEST_F(ScriptedEngineTest, CreatesABrowserAndReportsItFromTheEngineThread) {
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    EXPECT_GT(browser->get_identifier(browser.get()), 0);
    EXPECT_EQ(browser->is_popup(browser.get()), 0);
    ASSERT_TRUE(Load(browser, u"about:blank"));
    const std::vector<Event> events = recorder_->Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind, Event::Kind::kCreated);
    EXPECT_THAT(events, Each(Field(&Event::thread, Ne(std::this_thread::get_id()))));
    EXPECT_EQ(session_.Markup(browser), u"<html><head></head><body></body></html>");
}

TEST_F(ScriptedEngineTest, CreatesABrowserSynchronouslyReportedBeforeTheCallReturns) {
    cef_window_info_t window_info{};
    cef_browser_settings_t settings{};
    settings.size = sizeof settings;
    const cef_string_t url = EngineStringView(u"about:blank");
    const auto browser =
        HeldReference<cef_browser_t>::Adopt(session_.Engine().cef_browser_host_create_browser_sync(
            &window_info, NewRecordingClient(recorder_), &url, &settings, nullptr, nullptr));
    ASSERT_TRUE(browser);
    const std::vector<Event> created = recorder_->EventsOf(Event::Kind::kCreated);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].browser, browser->get_identifier(browser.get()));
    EXPECT_NE(created[0].thread, std::this_thread::get_id());
    EXPECT_TRUE(recorder_->WaitUntil([&] { return recorder_->MainFrameLoadEnds() == 1; }));
}

TEST_F(ScriptedEngineTest, TranslatesAPageThatHoldsTheWidgetOnceTheLanguageIsPicked) {
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    const std::u16string page = TemporaryPage(u"fr");
    const std::u16string address = EngineAddressOf(page);
    ASSERT_TRUE(Load(browser, address));
    EXPECT_TRUE(IsSameDocumentAddress(session_.Address(browser), address));

    // Loaded: the widget's language menu is in the document, nothing is translated yet.
    const std::optional<std::u16string> loaded = session_.Markup(browser);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(HoldsLanguageMenu(*loaded)) << Utf8(loaded);
    EXPECT_FALSE(CarriesTranslationMark(*loaded)) << Utf8(loaded);
    EXPECT_THAT(Utf8(loaded), HasSubstr("<h1>Hello</h1>"));
    EXPECT_THAT(Utf8(loaded), HasSubstr(Utf16ToUtf8(WidgetSnippet(u"fr").substr(0, 60))));
    EXPECT_EQ(recorder_->SubFrameLoadEnds(), 0);
    const std::vector<Event> page_end = recorder_->EventsOf(Event::Kind::kLoadEnd);
    EXPECT_EQ(page_end.back().status, 200);

    PickLanguage(browser);
    ASSERT_TRUE(recorder_->WaitUntil([&] { return recorder_->SubFrameLoadEnds() == 3; }));

    const std::optional<std::u16string> translated = session_.Markup(browser);
    ASSERT_TRUE(translated);
    EXPECT_TRUE(CarriesTranslationMark(*translated)) << Utf8(translated);
    EXPECT_THAT(Utf8(translated), StartsWith("<!DOCTYPE html>"));
    EXPECT_THAT(Utf8(translated), HasSubstr("<html lang=\"en\" class=\"translated-ltr\">"));
    EXPECT_THAT(Utf8(translated), HasSubstr("<h1>[fr] Hello</h1>"));
    EXPECT_THAT(Utf8(translated), HasSubstr("<p>[fr] Good morning, caf\xC3\xA9</p>"));
    EXPECT_THAT(Utf8(translated), HasSubstr("<p class=\"notranslate\">Quillmoor</p>"));
    EXPECT_THAT(Utf8(translated), HasSubstr("<title>Greeting</title>"));
    // The traces of the earlier widget that the program cuts out, as it finds them.
    for (const MarkerPair& marker : kWidgetTraceMarkers) {
        const std::size_t start = translated->find(marker.start);
        ASSERT_NE(start, std::u16string::npos) << Utf16ToUtf8(marker.start);
        EXPECT_NE(translated->find(marker.end, start), std::u16string::npos)
            << Utf16ToUtf8(marker.end);
    }

    // The three frames that loaded after the pick are the widget's, on the engine thread.
    std::vector<std::u16string> frames;
    for (const Event& event : recorder_->EventsOf(Event::Kind::kLoadEnd)) {
        if (!event.main_frame) {
            frames.push_back(event.url);
            EXPECT_NE(event.thread, std::this_thread::get_id());
        }
    }
    EXPECT_THAT(frames, ElementsAre(u"https://translate.google.com/translate_a/banner.html?tl=fr",
                                    u"https://translate.google.com/translate_a/t?tl=fr&part=1",
                                    u"https://translate.google.com/translate_a/t?tl=fr&part=2"));

    // A page translated once stays as it is.
    PickLanguage(browser);
    EXPECT_EQ(SettledMarkup(browser), translated);
    EXPECT_EQ(recorder_->SubFrameLoadEnds(), 3);
}

TEST_F(ScriptedEngineTest, LeavesAPageWithoutTheWidgetAsItIs) {
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(Load(browser, EngineAddressOf(PlainPage())));

    PickLanguage(browser);
    const std::optional<std::u16string> markup = SettledMarkup(browser);
    ASSERT_TRUE(markup);
    EXPECT_FALSE(HoldsLanguageMenu(*markup));
    EXPECT_FALSE(CarriesTranslationMark(*markup));
    EXPECT_THAT(Utf8(markup), Not(HasSubstr("[fr]")));
    EXPECT_EQ(*markup, ReadPageText(pages_.Path(u"plain.html"), AnsiCodePage::ForCodePage(1252)));
    EXPECT_EQ(recorder_->SubFrameLoadEnds(), 0);
}

TEST_F(ScriptedEngineTest, PlaysTheCurrentWidgetWhenTheEnvironmentSaysSo) {
    const EnvironmentScope current(u"QUILLMOOR_SCRIPTED_ENGINE_WIDGET", u"current");
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(Load(browser, EngineAddressOf(TemporaryPage(u"de"))));
    const std::optional<std::u16string> loaded = session_.Markup(browser);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(HoldsLanguageMenu(*loaded));
    EXPECT_THAT(Utf8(loaded), HasSubstr("class=\"VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate\""));

    // The earlier widget's script finds no menu of its kind.
    session_.RunScript(browser, kPickLanguageScript);
    EXPECT_FALSE(CarriesTranslationMark(SettledMarkup(browser).value_or(u"")));

    session_.RunScript(browser, kPickLanguageInCurrentMenuScript);
    ASSERT_TRUE(recorder_->WaitUntil([&] { return recorder_->SubFrameLoadEnds() == 3; }));
    const std::optional<std::u16string> translated = session_.Markup(browser);
    ASSERT_TRUE(translated);
    EXPECT_TRUE(CarriesTranslationMark(*translated));
    EXPECT_THAT(Utf8(translated), HasSubstr("<h1><font style=\"vertical-align: inherit;\"><font "
                                            "style=\"vertical-align: inherit;\">[de] "
                                            "Hello</font></font></h1>"));
    // What the program cuts out of the current widget's pages leaves none of its frames.
    const std::string cleaned = Utf16ToUtf8(StripCurrentWidgetTraces(*translated));
    EXPECT_THAT(cleaned, Not(HasSubstr("<iframe")));
    EXPECT_THAT(cleaned, Not(HasSubstr("goog-gt-tt")));
}

TEST_F(ScriptedEngineTest, UntranslatingWidgetShowsAMenuWithoutEntries) {
    const EnvironmentScope untranslating(u"QUILLMOOR_SCRIPTED_ENGINE_WIDGET", u"untranslating");
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(Load(browser, EngineAddressOf(TemporaryPage(u"fr"))));
    PickLanguage(browser);
    const std::optional<std::u16string> markup = SettledMarkup(browser);
    ASSERT_TRUE(markup);
    EXPECT_TRUE(HoldsLanguageMenu(*markup));
    EXPECT_FALSE(CarriesTranslationMark(*markup));
    EXPECT_EQ(recorder_->SubFrameLoadEnds(), 0);
}

TEST_F(ScriptedEngineTest, AnAddressItCannotLoadEndsWithAnErrorPage) {
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    const std::u16string missing = EngineAddressOf(pages_.Path(u"missing.html"));
    ASSERT_TRUE(Load(browser, missing));
    const std::vector<Event> errors = recorder_->EventsOf(Event::Kind::kLoadError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].status, -6);  // ERR_FILE_NOT_FOUND
    EXPECT_EQ(recorder_->EventsOf(Event::Kind::kLoadEnd).back().status, 0);
    EXPECT_EQ(session_.Address(browser), missing);

    ASSERT_TRUE(Load(browser, u"https://example.test/"));
    EXPECT_EQ(recorder_->EventsOf(Event::Kind::kLoadError).back().status, -105);
}

TEST_F(ScriptedEngineTest, AsksTheClientBeforeEveryWindowAPageOpens) {
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(Load(browser, u"about:blank"));

    // Cancelled: no browser comes of it.
    recorder_->cancel_popups = true;
    session_.RunScript(browser, u"window.open('https://example.test/tab.html')");
    ASSERT_TRUE(
        recorder_->WaitUntil([&] { return recorder_->EventsOf(Event::Kind::kPopup).size() == 1; }));
    SettledMarkup(browser);
    EXPECT_EQ(recorder_->Browsers().size(), 1u);
    const Event tab = recorder_->EventsOf(Event::Kind::kPopup)[0];
    EXPECT_EQ(tab.url, u"https://example.test/tab.html");
    EXPECT_EQ(tab.disposition, WOD_NEW_FOREGROUND_TAB);
    EXPECT_TRUE(tab.main_frame);
    EXPECT_EQ(tab.browser, browser->get_identifier(browser.get()));

    // Allowed: a popup browser of the same client is created and loads the address.
    recorder_->cancel_popups = false;
    session_.RunScript(browser,
                       u"window.open(\"https://example.test/side.html\", \"side\", "
                       u"\"width=200\")");
    ASSERT_TRUE(recorder_->WaitUntil([&] { return recorder_->Browsers().size() == 2; }));
    const Event side = recorder_->EventsOf(Event::Kind::kPopup)[1];
    EXPECT_EQ(side.name, u"side");
    EXPECT_EQ(side.disposition, WOD_NEW_POPUP);
    const HeldReference<cef_browser_t> popup = recorder_->Browsers()[1];
    EXPECT_EQ(popup->is_popup(popup.get()), 1);
    EXPECT_TRUE(recorder_->WaitUntil([&] {
        for (const Event& event : recorder_->EventsOf(Event::Kind::kLoadEnd)) {
            if (event.popup_browser && event.url == u"https://example.test/side.html") {
                return true;
            }
        }
        return false;
    }));
}

TEST_F(ScriptedEngineTest, ClosesABrowserThenShutsDown) {
    const HeldReference<cef_browser_t> browser = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(Load(browser, u"about:blank"));
    const int identifier = browser->get_identifier(browser.get());
    const auto frame = HeldReference<cef_frame_t>::Adopt(browser->get_main_frame(browser.get()));
    EXPECT_EQ(frame->is_valid(frame.get()), 1);

    session_.Close(browser);
    ASSERT_TRUE(recorder_->WaitUntil(
        [&] { return !recorder_->EventsOf(Event::Kind::kBeforeClose).empty(); }));
    std::vector<Event::Kind> closing;
    for (const Event& event : recorder_->Events()) {
        if (event.kind == Event::Kind::kDoClose || event.kind == Event::Kind::kBeforeClose) {
            closing.push_back(event.kind);
            EXPECT_EQ(event.browser, identifier);
            EXPECT_NE(event.thread, std::this_thread::get_id());
        }
    }
    EXPECT_THAT(closing, ElementsAre(Event::Kind::kDoClose, Event::Kind::kBeforeClose));
    EXPECT_EQ(frame->is_valid(frame.get()), 0);
    // The frame of a closed browser gives back the visitor unvisited.
    TextCatcher catcher;
    frame->get_source(frame.get(), catcher.Visitor());
    EXPECT_FALSE(catcher.Wait());
    EXPECT_TRUE(catcher.ReleasedUnvisited());

    // Another browser is still open when the engine shuts down: it becomes invalid unheard.
    const HeldReference<cef_browser_t> other = session_.CreateBrowser(recorder_);
    ASSERT_TRUE(other);
    const auto other_frame = HeldReference<cef_frame_t>::Adopt(other->get_main_frame(other.get()));
    session_.Shutdown();
    EXPECT_EQ(other_frame->is_valid(other_frame.get()), 0);
    EXPECT_EQ(recorder_->EventsOf(Event::Kind::kBeforeClose).size(), 1u);
    // No browser after the shutdown.
    cef_window_info_t window_info{};
    const cef_string_t url = EngineStringView(u"about:blank");
    EXPECT_EQ(session_.Engine().cef_browser_host_create_browser(
                  &window_info, NewRecordingClient(recorder_), &url, nullptr, nullptr, nullptr),
              0);
}

// ---- Without multi_threaded_message_loop ------------------------------------------------------

TEST(ScriptedEnginePumpedTest, CallsTheProgramOnlyInsideTheMessageLoopWork) {
    EngineSession session(EngineSession::Start::kPumped);
    ASSERT_TRUE(session.Started()) << session.Failure();
    const std::shared_ptr<Recorder> recorder = session.NewRecorder();

    cef_window_info_t window_info{};
    const cef_string_t url = EngineStringView(u"about:blank");
    ASSERT_EQ(session.Engine().cef_browser_host_create_browser(
                  &window_info, NewRecordingClient(recorder), &url, nullptr, nullptr, nullptr),
              1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(recorder->Events().empty());

    ASSERT_TRUE(recorder->WaitUntil([&] { return recorder->MainFrameLoadEnds() == 1; },
                                    std::chrono::seconds(20), session.Pump()));
    EXPECT_THAT(recorder->Events(), Each(Field(&Event::thread, std::this_thread::get_id())));
    const HeldReference<cef_browser_t> browser = recorder->Browsers().at(0);
    EXPECT_EQ(session.Markup(browser), u"<html><head></head><body></body></html>");
}

}  // namespace
}  // namespace quillmoor::scripted_engine_test
