#include "tests/win/scripted_engine/library/scripted_browser.h"

#include <exception>
#include <optional>
#include <utility>

#include "engine/engine_string.h"
#include "handlers/engine_address.h"
#include "pipeline/page_text.h"
#include "platform/ascii.h"
#include "platform/utf.h"
#include "tests/win/scripted_engine/library/callback.h"
#include "tests/win/scripted_engine/library/engine_strings.h"
#include "tests/win/scripted_engine/library/scripted_browser_host.h"
#include "tests/win/scripted_engine/library/scripted_engine.h"
#include "tests/win/scripted_engine/library/scripted_frame.h"

namespace quillmoor::scripted_engine {
namespace {

// The engine's page transitions: a load the program asked for, the first load of a frame.
constexpr auto kTransitionExplicit = static_cast<cef_transition_type_t>(1);
constexpr auto kTransitionAutoSubframe = static_cast<cef_transition_type_t>(3);

// The engine's network errors for what cannot be loaded.
struct LoadFailure {
    int code;
    std::u16string_view name;
};
constexpr LoadFailure kFileNotFound{-6, u"ERR_FILE_NOT_FOUND"};
constexpr LoadFailure kNameNotResolved{-105, u"ERR_NAME_NOT_RESOLVED"};
constexpr LoadFailure kUnknownScheme{-302, u"ERR_UNKNOWN_URL_SCHEME"};

HeldReference<cef_life_span_handler_t> LifeSpanHandlerOf(
    const HeldReference<cef_client_t>& client) {
    if (!client || client->get_life_span_handler == nullptr) {
        return {};
    }
    return HeldReference<cef_life_span_handler_t>::Adopt(
        client->get_life_span_handler(client.get()));
}

HeldReference<cef_load_handler_t> LoadHandlerOf(const HeldReference<cef_client_t>& client) {
    if (!client || client->get_load_handler == nullptr) {
        return {};
    }
    return HeldReference<cef_load_handler_t>::Adopt(client->get_load_handler(client.get()));
}

// The scheme of an address in lower case ("file", "https"), empty when it has none. A
// drive letter ("C:") is no scheme.
std::u16string SchemeOf(std::u16string_view address) {
    const std::size_t colon = address.find(u':');
    if (colon == std::u16string_view::npos || colon < 2) {
        return {};
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char16_t c = address[i];
        if (!(IsAsciiLetter(c) ||
              (i > 0 && (IsAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.')))) {
            return {};
        }
    }
    return AsciiLowerCopy(address.substr(0, colon));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The file-system path of a file address: "file:///C:/a%20b/x.html" is "C:\a b\x.html",
// "file://server/share/x" is "\\server\share\x" (with "/" on other systems, where
// "file:///a/x" is "/a/x").
std::u16string FilePathOf(std::u16string_view address) {
    std::u16string_view rest = address.substr(address.find(u':') + 1);
    rest = rest.substr(0, rest.find_first_of(u"?#"));
    std::u16string path;
    if (rest.starts_with(u"///")) {
        rest.remove_prefix(3);
        const bool drive = rest.size() >= 2 && IsAsciiLetter(rest[0]) && rest[1] == u':';
        path = drive ? u"" : u"/";
    } else if (rest.starts_with(u"//")) {
        rest.remove_prefix(2);
        path = u"//";
    }
    const std::string bytes = Utf16ToUtf8(rest);
    std::string decoded;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size() && HexValue(bytes[i + 1]) >= 0 &&
            HexValue(bytes[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(bytes[i + 1]) * 16 + HexValue(bytes[i + 2]));
            i += 2;
        } else {
            decoded += bytes[i];
        }
    }
    path += Utf8ToUtf16(decoded);
#if defined(_WIN32)
    for (char16_t& c : path) {
        if (c == u'/') {
            c = u'\\';
        }
    }
#endif
    return path;
}

}  // namespace

// ---- Browser ----------------------------------------------------------------------------------

Browser::Browser(int identifier, BrowserKind kind, HeldReference<cef_client_t> client)
    : identifier_(identifier), kind_(kind), client_(std::move(client)) {
    main_frame_identifier_ = Engine::Get().NextFrameIdentifier();
    main_frame_ =
        EngineObjectPtr<Frame>::Make(EngineObjectPtr<Browser>::Share(this), main_frame_identifier_,
                                     FrameKind::kMain, u"", u"", u"");
    FillTable();
}

Browser::~Browser() = default;

void Browser::Created() {
    Engine::Get().Loop().Owner().Check();
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(Client());
    if (handler && handler->on_after_created != nullptr) {
        handler->on_after_created(handler.get(), NewReference());
    }
}

std::u16string Browser::ResolvedAddress(const std::u16string& given) const {
    Engine::Get().Loop().Owner().Check();
    std::u16string_view text = given;
    while (!text.empty() && IsAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsAsciiSpace(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return u"about:blank";
    }
    if (!SchemeOf(text).empty()) {
        return std::u16string(text);
    }
    const std::u16string as_file = EngineAddressOf(text);
    if (as_file != text) {
        return as_file;  // an absolute path
    }
    // Relative to the main frame's file address.
    const std::u16string base = MainFrame()->Url();
    if (SchemeOf(base) == u"file") {
        std::u16string relative(text);
        for (char16_t& c : relative) {
            if (c == u'\\') {
                c = u'/';
            }
        }
        return base.substr(0, base.rfind(u'/') + 1) + relative;
    }
    return std::u16string(text);
}

void Browser::Load(const std::u16string& given) {
    Engine::Get().Loop().Owner().Check();
    if (!IsValid()) {
        return;
    }
    const std::u16string url = ResolvedAddress(given);
    ++generation_;
    DropChildFrames();
    loading_ = true;
    NotifyLoadingState(true);
    const EngineObjectPtr<Frame> main = MainFrame();
    main->SetUrl(url);
    NotifyLoadStart(main);

    const std::u16string scheme = SchemeOf(url);
    int status = 0;
    std::optional<LoadFailure> failure;
    if (scheme == u"about") {
        page_ = WidgetPage();
    } else if (scheme == u"file") {
        try {
            page_ =
                WidgetPage::FromText(ReadPageText(FilePathOf(url)), Engine::StyleFromEnvironment());
            status = 200;
        } catch (const std::exception&) {
            failure = kFileNotFound;
        }
    } else if (scheme == u"http" || scheme == u"https") {
        failure = kNameNotResolved;  // the scripted engine reaches no network
    } else {
        failure = kUnknownScheme;
    }
    if (failure) {
        page_ = WidgetPage::ErrorPage(url, failure->name);
        NotifyLoadError(main, failure->code, std::u16string(failure->name), url);
    }
    if (page_.ShowsMenu()) {
        // The menu frame's document is written by the widget: it loads nothing.
        AddChildFrame(u"about:blank", u"", page_.MenuDocument());
    }
    NotifyLoadEnd(main, status);
    loading_ = false;
    NotifyLoadingState(false);

    // The page's own scripts run: the windows they open are asked for.
    const int generation = generation_;
    for (const std::u16string& script : page_.InlineScripts()) {
        for (const WindowOpenCall& call : FindWindowOpenCalls(script)) {
            if (!IsValid() || generation != generation_) {
                return;
            }
            AskForWindow(main, call);
        }
    }
}

void Browser::RunScript(const EngineObjectPtr<Frame>& frame, const std::u16string& code) {
    Engine::Get().Loop().Owner().Check();
    if (!IsValid() || !frame->IsValid()) {
        return;
    }
    if (frame->IsMain()) {
        if (std::optional<std::u16string> entry = page_.EntryClickedBy(code)) {
            // The widget works after the click has returned, as the real one waits for its
            // service.
            auto self = EngineObjectPtr<Browser>::Share(this);
            const int generation = generation_;
            Engine::Get().Loop().Post(
                [self, language = *entry, generation] { self->Translate(language, generation); });
        }
    }
    for (const WindowOpenCall& call : FindWindowOpenCalls(code)) {
        if (!IsValid()) {
            return;
        }
        AskForWindow(frame, call);
    }
}

void Browser::Translate(const std::u16string& code, int generation) {
    Engine::Get().Loop().Owner().Check();
    if (!IsValid() || generation != generation_) {
        return;  // closed, or the page was replaced since the click
    }
    const std::vector<WidgetFrame> frames = page_.Translate(code);
    if (frames.empty()) {
        return;
    }
    loading_ = true;
    NotifyLoadingState(true);
    for (const WidgetFrame& added : frames) {
        const EngineObjectPtr<Frame> frame = AddChildFrame(added.url, added.name, added.document);
        NotifyLoadStart(frame);
        NotifyLoadEnd(frame, 200);
    }
    loading_ = false;
    NotifyLoadingState(false);
}

void Browser::AskForWindow(const EngineObjectPtr<Frame>& frame, const WindowOpenCall& call) {
    Engine::Get().Loop().Owner().Check();
    HeldReference<cef_client_t> client = Client();
    const std::u16string url = ResolvedAddress(call.url);
    bool cancel = false;
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(client);
    if (handler && handler->on_before_popup != nullptr) {
        const cef_string_t target_url = EngineStringView(url);
        const cef_string_t target_name = EngineStringView(call.name);
        cef_popup_features_t features{};
        cef_window_info_t window_info{};
        cef_browser_settings_t settings{};
        settings.size = sizeof settings;
        cef_client_t* popup_client = client.NewReference();
        cef_dictionary_value_t* extra_info = nullptr;
        int no_javascript_access = 0;
        cancel =
            handler->on_before_popup(
                handler.get(), NewReference(), frame->NewReference(), &target_url, &target_name,
                call.with_features ? WOD_NEW_POPUP : WOD_NEW_FOREGROUND_TAB, 0, &features,
                &window_info, &popup_client, &settings, &extra_info, &no_javascript_access) != 0;
        client = HeldReference<cef_client_t>::Adopt(popup_client);
        ReleaseEngineReference(extra_info);
    }
    if (!cancel) {
        Engine::Get().OpenBrowser(std::move(client), BrowserKind::kPopup, url);
    }
}

void Browser::ReadDocument(const EngineObjectPtr<Frame>& frame,
                           HeldReference<cef_string_visitor_t> visitor, DocumentPart part) {
    Engine::Get().Loop().Owner().Check();
    if (!frame->IsValid() || !visitor || visitor->visit == nullptr) {
        return;  // the visitor is released unvisited
    }
    const bool text = part == DocumentPart::kText;
    std::u16string document;
    if (frame->IsMain()) {
        document = text ? page_.Text() : page_.Markup();
    } else {
        document = frame->Document();
        if (text) {
            document = WidgetPage::FromText(document, WidgetStyle::kClassic).Text();
        }
    }
    const cef_string_t string = EngineStringView(document);
    visitor->visit(visitor.get(), &string);
}

void Browser::PostClose() {
    auto self = EngineObjectPtr<Browser>::Share(this);
    Engine::Get().Loop().Post([self] { self->Close(); });
}

void Browser::Close() {
    Engine::Get().Loop().Owner().Check();
    if (closing_ || !IsValid()) {
        return;
    }
    closing_ = true;
    const auto self = EngineObjectPtr<Browser>::Share(this);
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(Client());
    // The browser has no window of its own: whatever the client answers, it closes now.
    if (handler && handler->do_close != nullptr) {
        handler->do_close(handler.get(), NewReference());
    }
    if (handler && handler->on_before_close != nullptr) {
        handler->on_before_close(handler.get(), NewReference());
    }
    Invalidate();
    Engine::Get().Forget(this);
}

void Browser::Invalidate() {
    Engine::Get().Loop().Owner().Check();
    valid_ = false;
    // The frames hold the browser: letting go of them here is what lets the browser go.
    EngineObjectPtr<Frame> main;
    std::vector<EngineObjectPtr<Frame>> children;
    HeldReference<cef_client_t> client;
    {
        std::lock_guard lock(mutex_);
        main = std::move(main_frame_);
        children.swap(children_);
        client = std::move(client_);
    }
    if (main) {
        main->Invalidate();
    }
    for (const EngineObjectPtr<Frame>& frame : children) {
        frame->Invalidate();
    }
}

EngineObjectPtr<Frame> Browser::AddChildFrame(const std::u16string& url, const std::u16string& name,
                                              const std::u16string& document) {
    auto frame = EngineObjectPtr<Frame>::Make(EngineObjectPtr<Browser>::Share(this),
                                              Engine::Get().NextFrameIdentifier(),
                                              FrameKind::kChild, url, name, document);
    std::lock_guard lock(mutex_);
    children_.push_back(frame);
    return frame;
}

void Browser::DropChildFrames() {
    std::vector<EngineObjectPtr<Frame>> children;
    {
        std::lock_guard lock(mutex_);
        children.swap(children_);
    }
    for (const EngineObjectPtr<Frame>& frame : children) {
        frame->Invalidate();
    }
}

HeldReference<cef_client_t> Browser::Client() const {
    std::lock_guard lock(mutex_);
    return client_;
}

EngineObjectPtr<Frame> Browser::MainFrame() const {
    {
        std::lock_guard lock(mutex_);
        if (main_frame_) {
            return main_frame_;
        }
    }
    // A closed browser still answers with a main frame, now invalid.
    auto closed =
        EngineObjectPtr<Frame>::Make(EngineObjectPtr<Browser>::Share(const_cast<Browser*>(this)),
                                     main_frame_identifier_, FrameKind::kMain, u"", u"", u"");
    closed->Invalidate();
    return closed;
}

std::vector<EngineObjectPtr<Frame>> Browser::Frames() const {
    std::lock_guard lock(mutex_);
    std::vector<EngineObjectPtr<Frame>> frames;
    if (main_frame_) {
        frames.push_back(main_frame_);
    }
    frames.insert(frames.end(), children_.begin(), children_.end());
    return frames;
}

EngineObjectPtr<Frame> Browser::FrameByIdentifier(cef_int64 identifier) const {
    for (EngineObjectPtr<Frame>& frame : Frames()) {
        if (frame->Identifier() == identifier) {
            return frame;
        }
    }
    return {};
}

EngineObjectPtr<Frame> Browser::FrameByName(const std::u16string& name) const {
    if (name.empty()) {
        return MainFrame();
    }
    for (EngineObjectPtr<Frame>& frame : Frames()) {
        if (frame->Name() == name) {
            return frame;
        }
    }
    return {};
}

void Browser::NotifyLoadingState(bool loading) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_loading_state_change != nullptr) {
        // No history is kept: there is never a way back or forward.
        handler->on_loading_state_change(handler.get(), NewReference(), loading ? 1 : 0, 0, 0);
    }
}

void Browser::NotifyLoadStart(const EngineObjectPtr<Frame>& frame) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_load_start != nullptr) {
        handler->on_load_start(handler.get(), NewReference(), frame->NewReference(),
                               frame->IsMain() ? kTransitionExplicit : kTransitionAutoSubframe);
    }
}

void Browser::NotifyLoadEnd(const EngineObjectPtr<Frame>& frame, int status) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_load_end != nullptr) {
        handler->on_load_end(handler.get(), NewReference(), frame->NewReference(), status);
    }
}

void Browser::NotifyLoadError(const EngineObjectPtr<Frame>& frame, int error,
                              const std::u16string& text, const std::u16string& url) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_load_error != nullptr) {
        const cef_string_t error_text = EngineStringView(text);
        const cef_string_t failed_url = EngineStringView(url);
        handler->on_load_error(handler.get(), NewReference(), frame->NewReference(),
                               static_cast<cef_errorcode_t>(error), &error_text, &failed_url);
    }
}

void Browser::FillTable() {
    cef_browser_t& t = Table();
    t.get_host = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return EngineObjectPtr<BrowserHost>::Make(
                   EngineObjectPtr<Browser>::Share(Self<Browser>(self)))
            ->NewReference();
    };
    t.can_go_back = [](cef_browser_t*) SCRIPTED_CALLBACK { return 0; };
    t.go_back = [](cef_browser_t*) SCRIPTED_CALLBACK {};
    t.can_go_forward = [](cef_browser_t*) SCRIPTED_CALLBACK { return 0; };
    t.go_forward = [](cef_browser_t*) SCRIPTED_CALLBACK {};
    t.is_loading = [](cef_browser_t* self)
                       SCRIPTED_CALLBACK { return Self<Browser>(self)->IsLoading() ? 1 : 0; };
    t.reload = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        auto browser = EngineObjectPtr<Browser>::Share(Self<Browser>(self));
        const std::u16string url = browser->MainFrame()->Url();
        Engine::Get().Loop().Post([browser, url] { browser->Load(url); });
    };
    t.reload_ignore_cache = t.reload;
    t.stop_load = [](cef_browser_t*) SCRIPTED_CALLBACK {};  // every load ends at once
    t.get_identifier = [](cef_browser_t* self)
                           SCRIPTED_CALLBACK { return Self<Browser>(self)->Identifier(); };
    t.is_same = [](cef_browser_t* self, cef_browser_t* that) SCRIPTED_CALLBACK {
        const bool same = self == that;
        ReleaseEngineReference(that);
        return same ? 1 : 0;
    };
    t.is_popup = [](cef_browser_t* self)
                     SCRIPTED_CALLBACK { return Self<Browser>(self)->IsPopup() ? 1 : 0; };
    t.has_document = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->MainFrame()->Url().empty() ? 0 : 1;
    };
    t.get_main_frame = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->MainFrame()->NewReference();
    };
    t.get_focused_frame = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->MainFrame()->NewReference();
    };
    t.get_frame_byident = [](cef_browser_t* self, cef_int64 identifier)
                              SCRIPTED_CALLBACK -> cef_frame_t* {
        EngineObjectPtr<Frame> frame = Self<Browser>(self)->FrameByIdentifier(identifier);
        return frame ? frame->NewReference() : nullptr;
    };
    t.get_frame = [](cef_browser_t* self, const cef_string_t* name)
                      SCRIPTED_CALLBACK -> cef_frame_t* {
        EngineObjectPtr<Frame> frame = Self<Browser>(self)->FrameByName(FromEngineString(name));
        return frame ? frame->NewReference() : nullptr;
    };
    t.get_frame_count = [](cef_browser_t* self)
                            SCRIPTED_CALLBACK { return Self<Browser>(self)->Frames().size(); };
    t.get_frame_identifiers = [](cef_browser_t* self, size_t* count,
                                 cef_int64* identifiers) SCRIPTED_CALLBACK {
        if (count == nullptr) {
            return;
        }
        const std::vector<EngineObjectPtr<Frame>> frames = Self<Browser>(self)->Frames();
        std::size_t written = 0;
        for (; written < frames.size() && written < *count && identifiers != nullptr; ++written) {
            identifiers[written] = frames[written]->Identifier();
        }
        *count = written;
    };
    t.get_frame_names = [](cef_browser_t* self, cef_string_list_t names) SCRIPTED_CALLBACK {
        if (names == nullptr) {
            return;
        }
        for (const EngineObjectPtr<Frame>& frame : Self<Browser>(self)->Frames()) {
            AsStringList(names)->push_back(frame->Name());
        }
    };
}

}  // namespace quillmoor::scripted_engine
