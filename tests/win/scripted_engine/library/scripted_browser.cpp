#include "tests/win/scripted_engine/library/scripted_browser.h"

#include <exception>
#include <optional>
#include <utility>

#include "browser/engine_address.h"
#include "engine/engine_string.h"
#include "pipeline/page_text.h"
#include "platform/ascii.h"
#include "platform/utf.h"
#include "tests/win/scripted_engine/library/callback.h"
#include "tests/win/scripted_engine/library/engine_strings.h"
#include "tests/win/scripted_engine/library/scripted_engine.h"

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

HeldReference<cef_life_span_handler_t> LifeSpanHandlerOf(const HeldReference<cef_client_t>& client) {
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
        if (!(IsAsciiLetter(c) || (i > 0 && (IsAsciiDigit(c) || c == u'+' || c == u'-' ||
                                             c == u'.')))) {
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

Browser::Browser(int identifier, bool popup, HeldReference<cef_client_t> client)
    : identifier_(identifier), popup_(popup), client_(std::move(client)) {
    main_frame_identifier_ = Engine::Get().NextFrameIdentifier();
    main_frame_ = EngineObjectPtr<Frame>::Make(EngineObjectPtr<Browser>::Share(this),
                                               main_frame_identifier_, true, u"", u"", u"");
    FillTable();
}

Browser::~Browser() = default;

void Browser::Created() {
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(Client());
    if (handler && handler->on_after_created != nullptr) {
        handler->on_after_created(handler.get(), NewReference());
    }
}

std::u16string Browser::ResolvedAddress(const std::u16string& given) const {
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
            page_ = WidgetPage::FromText(ReadPageText(FilePathOf(url)),
                                         Engine::StyleFromEnvironment());
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
        cancel = handler->on_before_popup(
                     handler.get(), NewReference(), frame->NewReference(), &target_url,
                     &target_name, call.with_features ? WOD_NEW_POPUP : WOD_NEW_FOREGROUND_TAB,
                     0, &features, &window_info, &popup_client, &settings, &extra_info,
                     &no_javascript_access) != 0;
        client = HeldReference<cef_client_t>::Adopt(popup_client);
        ReleaseEngineReference(extra_info);
    }
    if (!cancel) {
        Engine::Get().OpenBrowser(std::move(client), true, url);
    }
}

void Browser::ReadDocument(const EngineObjectPtr<Frame>& frame,
                           HeldReference<cef_string_visitor_t> visitor, bool text) {
    if (!frame->IsValid() || !visitor || visitor->visit == nullptr) {
        return;  // the visitor is released unvisited
    }
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
                                              Engine::Get().NextFrameIdentifier(), false, url,
                                              name, document);
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
    auto closed = EngineObjectPtr<Frame>::Make(
        EngineObjectPtr<Browser>::Share(const_cast<Browser*>(this)), main_frame_identifier_, true,
        u"", u"", u"");
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
    t.is_loading = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->IsLoading() ? 1 : 0;
    };
    t.reload = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        auto browser = EngineObjectPtr<Browser>::Share(Self<Browser>(self));
        const std::u16string url = browser->MainFrame()->Url();
        Engine::Get().Loop().Post([browser, url] { browser->Load(url); });
    };
    t.reload_ignore_cache = t.reload;
    t.stop_load = [](cef_browser_t*) SCRIPTED_CALLBACK {};  // every load ends at once
    t.get_identifier = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->Identifier();
    };
    t.is_same = [](cef_browser_t* self, cef_browser_t* that) SCRIPTED_CALLBACK {
        const bool same = self == that;
        ReleaseEngineReference(that);
        return same ? 1 : 0;
    };
    t.is_popup = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->IsPopup() ? 1 : 0;
    };
    t.has_document = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->MainFrame()->Url().empty() ? 0 : 1;
    };
    t.get_main_frame = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->MainFrame()->NewReference();
    };
    t.get_focused_frame = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->MainFrame()->NewReference();
    };
    t.get_frame_byident = [](cef_browser_t* self,
                             cef_int64 identifier) SCRIPTED_CALLBACK -> cef_frame_t* {
        EngineObjectPtr<Frame> frame = Self<Browser>(self)->FrameByIdentifier(identifier);
        return frame ? frame->NewReference() : nullptr;
    };
    t.get_frame = [](cef_browser_t* self, const cef_string_t* name) SCRIPTED_CALLBACK -> cef_frame_t* {
        EngineObjectPtr<Frame> frame = Self<Browser>(self)->FrameByName(FromEngineString(name));
        return frame ? frame->NewReference() : nullptr;
    };
    t.get_frame_count = [](cef_browser_t* self) SCRIPTED_CALLBACK {
        return Self<Browser>(self)->Frames().size();
    };
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

// ---- Frame ------------------------------------------------------------------------------------

Frame::Frame(EngineObjectPtr<Browser> browser, cef_int64 identifier, bool main, std::u16string url,
             std::u16string name, std::u16string document)
    : browser_(std::move(browser)),
      identifier_(identifier),
      main_(main),
      url_(std::move(url)),
      name_(std::move(name)),
      document_(std::move(document)) {
    FillTable();
}

Frame::~Frame() = default;

std::u16string Frame::Url() const {
    std::lock_guard lock(mutex_);
    return url_;
}

void Frame::SetUrl(std::u16string url) {
    std::lock_guard lock(mutex_);
    url_ = std::move(url);
}

std::u16string Frame::Name() const {
    std::lock_guard lock(mutex_);
    return name_;
}

std::u16string Frame::Document() const {
    std::lock_guard lock(mutex_);
    return document_;
}

void Frame::FillTable() {
    cef_frame_t& t = Table();
    t.is_valid = [](cef_frame_t* self) SCRIPTED_CALLBACK {
        return Self<Frame>(self)->IsValid() ? 1 : 0;
    };
    // Editing commands have nothing to act on in a page nobody sees.
    t.undo = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.redo = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.cut = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.copy = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.paste = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.del = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.select_all = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.view_source = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.get_source = [](cef_frame_t* self, cef_string_visitor_t* visitor) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        auto held = HeldReference<cef_string_visitor_t>::Adopt(visitor);
        Engine::Get().Loop().Post(
            [frame, held] { frame->Owner().ReadDocument(frame, held, false); });
    };
    t.get_text = [](cef_frame_t* self, cef_string_visitor_t* visitor) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        auto held = HeldReference<cef_string_visitor_t>::Adopt(visitor);
        Engine::Get().Loop().Post([frame, held] { frame->Owner().ReadDocument(frame, held, true); });
    };
    t.load_request = [](cef_frame_t*, cef_request_t* request) SCRIPTED_CALLBACK {
        ReleaseEngineReference(request);
    };
    t.load_url = [](cef_frame_t* self, const cef_string_t* url) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        if (!frame->IsMain()) {
            return;  // the widget's frames load what the widget gives them
        }
        const std::u16string address = FromEngineString(url);
        Engine::Get().Loop().Post([frame, address] {
            if (frame->IsValid()) {
                frame->Owner().Load(address);
            }
        });
    };
    t.execute_java_script = [](cef_frame_t* self, const cef_string_t* code, const cef_string_t*,
                               int) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        const std::u16string script = FromEngineString(code);
        Engine::Get().Loop().Post([frame, script] { frame->Owner().RunScript(frame, script); });
    };
    t.is_main = [](cef_frame_t* self) SCRIPTED_CALLBACK { return Self<Frame>(self)->IsMain() ? 1 : 0; };
    t.is_focused = [](cef_frame_t* self) SCRIPTED_CALLBACK {
        return Self<Frame>(self)->IsMain() ? 1 : 0;
    };
    t.get_name = [](cef_frame_t* self) SCRIPTED_CALLBACK {
        return NewUserFreeString(Self<Frame>(self)->Name());
    };
    t.get_identifier = [](cef_frame_t* self) SCRIPTED_CALLBACK {
        return Self<Frame>(self)->Identifier();
    };
    t.get_parent = [](cef_frame_t* self) SCRIPTED_CALLBACK -> cef_frame_t* {
        Frame* frame = Self<Frame>(self);
        return frame->IsMain() ? nullptr : frame->Owner().MainFrame()->NewReference();
    };
    t.get_url = [](cef_frame_t* self) SCRIPTED_CALLBACK {
        return NewUserFreeString(Self<Frame>(self)->Url());
    };
    t.get_browser = [](cef_frame_t* self) SCRIPTED_CALLBACK {
        return Self<Frame>(self)->Owner().NewReference();
    };
    t.get_v8context = [](cef_frame_t*) SCRIPTED_CALLBACK -> cef_v8context_t* { return nullptr; };
    t.visit_dom = [](cef_frame_t*, cef_domvisitor_t* visitor) SCRIPTED_CALLBACK {
        ReleaseEngineReference(visitor);
    };
    t.create_urlrequest = [](cef_frame_t*, cef_request_t* request,
                             cef_urlrequest_client_t* client) SCRIPTED_CALLBACK -> cef_urlrequest_t* {
        ReleaseEngineReference(request);
        ReleaseEngineReference(client);
        return nullptr;
    };
    t.send_process_message = [](cef_frame_t*, cef_process_id_t,
                                cef_process_message_t* message) SCRIPTED_CALLBACK {
        ReleaseEngineReference(message);
    };
}

// ---- BrowserHost ------------------------------------------------------------------------------

BrowserHost::BrowserHost(EngineObjectPtr<Browser> browser) : browser_(std::move(browser)) {
    FillTable();
}

BrowserHost::~BrowserHost() = default;

void BrowserHost::FillTable() {
    cef_browser_host_t& t = Table();
    t.get_browser = [](cef_browser_host_t* self) SCRIPTED_CALLBACK {
        return Self<BrowserHost>(self)->browser_->NewReference();
    };
    t.close_browser = [](cef_browser_host_t* self, int /*force_close*/) SCRIPTED_CALLBACK {
        Self<BrowserHost>(self)->browser_->PostClose();
    };
    t.try_close_browser = [](cef_browser_host_t* self) SCRIPTED_CALLBACK {
        const EngineObjectPtr<Browser>& browser = Self<BrowserHost>(self)->browser_;
        if (!browser->IsValid()) {
            return 1;
        }
        browser->PostClose();
        return 0;
    };
    t.get_client = [](cef_browser_host_t* self) SCRIPTED_CALLBACK {
        return Self<BrowserHost>(self)->browser_->Client().NewReference();
    };

    // A browser without a window: these have nothing to act on.
    t.set_focus = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.get_window_handle = [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_window_handle_t {
        return cef_window_handle_t{};
    };
    t.get_opener_window_handle = [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_window_handle_t {
        return cef_window_handle_t{};
    };
    t.has_view = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.get_request_context = [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_request_context_t* {
        return nullptr;
    };
    t.get_zoom_level = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0.0; };
    t.set_zoom_level = [](cef_browser_host_t*, double) SCRIPTED_CALLBACK {};
    t.run_file_dialog = [](cef_browser_host_t*, cef_file_dialog_mode_t, const cef_string_t*,
                           const cef_string_t*, cef_string_list_t, int,
                           cef_run_file_dialog_callback_t* callback) SCRIPTED_CALLBACK {
        ReleaseEngineReference(callback);
    };
    t.start_download = [](cef_browser_host_t*, const cef_string_t*) SCRIPTED_CALLBACK {};
    t.download_image = [](cef_browser_host_t*, const cef_string_t*, int, cef_uint32, int,
                          cef_download_image_callback_t* callback) SCRIPTED_CALLBACK {
        ReleaseEngineReference(callback);
    };
    t.print = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.print_to_pdf = [](cef_browser_host_t*, const cef_string_t*, const cef_pdf_print_settings_t*,
                        cef_pdf_print_callback_t* callback) SCRIPTED_CALLBACK {
        ReleaseEngineReference(callback);
    };
    t.find = [](cef_browser_host_t*, int, const cef_string_t*, int, int, int) SCRIPTED_CALLBACK {};
    t.stop_finding = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.show_dev_tools = [](cef_browser_host_t*, const cef_window_info_t*, cef_client_t* client,
                          const cef_browser_settings_t*, const cef_point_t*) SCRIPTED_CALLBACK {
        ReleaseEngineReference(client);
    };
    t.close_dev_tools = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.has_dev_tools = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.get_navigation_entries = [](cef_browser_host_t*, cef_navigation_entry_visitor_t* visitor,
                                  int) SCRIPTED_CALLBACK { ReleaseEngineReference(visitor); };
    t.set_mouse_cursor_change_disabled = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.is_mouse_cursor_change_disabled = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.replace_misspelling = [](cef_browser_host_t*, const cef_string_t*) SCRIPTED_CALLBACK {};
    t.add_word_to_dictionary = [](cef_browser_host_t*, const cef_string_t*) SCRIPTED_CALLBACK {};
    t.is_window_rendering_disabled = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.was_resized = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.was_hidden = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.notify_screen_info_changed = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.invalidate = [](cef_browser_host_t*, cef_paint_element_type_t) SCRIPTED_CALLBACK {};
    t.send_external_begin_frame = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.send_key_event = [](cef_browser_host_t*, const cef_key_event_t*) SCRIPTED_CALLBACK {};
    t.send_mouse_click_event = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                  cef_mouse_button_type_t, int, int) SCRIPTED_CALLBACK {};
    t.send_mouse_move_event = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                 int) SCRIPTED_CALLBACK {};
    t.send_mouse_wheel_event = [](cef_browser_host_t*, const cef_mouse_event_t*, int,
                                  int) SCRIPTED_CALLBACK {};
    t.send_touch_event = [](cef_browser_host_t*, const cef_touch_event_t*) SCRIPTED_CALLBACK {};
    t.send_focus_event = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.send_capture_lost_event = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.notify_move_or_resize_started = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.get_windowless_frame_rate = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.set_windowless_frame_rate = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.ime_set_composition = [](cef_browser_host_t*, const cef_string_t*, size_t,
                               cef_composition_underline_t const*, const cef_range_t*,
                               const cef_range_t*) SCRIPTED_CALLBACK {};
    t.ime_commit_text = [](cef_browser_host_t*, const cef_string_t*, const cef_range_t*,
                           int) SCRIPTED_CALLBACK {};
    t.ime_finish_composing_text = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.ime_cancel_composition = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.drag_target_drag_enter = [](cef_browser_host_t*, cef_drag_data_t* drag_data,
                                  const cef_mouse_event_t*,
                                  cef_drag_operations_mask_t) SCRIPTED_CALLBACK {
        ReleaseEngineReference(drag_data);
    };
    t.drag_target_drag_over = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                 cef_drag_operations_mask_t) SCRIPTED_CALLBACK {};
    t.drag_target_drag_leave = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.drag_target_drop = [](cef_browser_host_t*, const cef_mouse_event_t*) SCRIPTED_CALLBACK {};
    t.drag_source_ended_at = [](cef_browser_host_t*, int, int,
                                cef_drag_operations_mask_t) SCRIPTED_CALLBACK {};
    t.drag_source_system_drag_ended = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.get_visible_navigation_entry = [](cef_browser_host_t*) SCRIPTED_CALLBACK
        -> cef_navigation_entry_t* { return nullptr; };
    t.set_accessibility_state = [](cef_browser_host_t*, cef_state_t) SCRIPTED_CALLBACK {};
    t.set_auto_resize_enabled = [](cef_browser_host_t*, int, const cef_size_t*,
                                   const cef_size_t*) SCRIPTED_CALLBACK {};
    t.get_extension = [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_extension_t* {
        return nullptr;
    };
    t.is_background_host = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.set_audio_muted = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.is_audio_muted = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 1; };
}

}  // namespace quillmoor::scripted_engine
