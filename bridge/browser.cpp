#include "bridge/browser.h"

#include "bridge/browser_host.h"
#include "bridge/engine_strings.h"
#include "bridge/net_error.h"
#include "engine/engine_string.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

using nlohmann::json;

// A page's request for a window counts for the next new target only this long; a request
// that opened no window (a named window that already existed) is forgotten after it.
constexpr std::chrono::milliseconds kWindowRequestLifetime{2000};

// Chromium's page transitions, as the engine interface numbers them: a load the program
// (or the engine) asked for, and the first load of an iframe.
constexpr auto kTransitionExplicit = static_cast<cef_transition_type_t>(1);
constexpr auto kTransitionAutoSubframe = static_cast<cef_transition_type_t>(3);

const json& IframeTargetsOnly() {
    static const json filter = json::array({{{"type", "iframe"}, {"exclude", false}}});
    return filter;
}

}  // namespace

Browser::Browser(Setup setup)
    : identifier_(setup.identifier),
      popup_(setup.popup),
      width_(setup.width),
      height_(setup.height),
      target_id_(std::move(setup.target_id)),
      page_session_(std::move(setup.session)),
      chromium_(std::move(setup.chromium)),
      on_window_request_(std::move(setup.on_window_request)),
      on_window_question_(std::move(setup.on_window_question)),
      client_(std::move(setup.client)) {
    main_frame_ = EngineObjectPtr<Frame>::Make(EngineObjectPtr<Browser>::Share(this),
                                               chromium_->NextFrameIdentifier(), target_id_,
                                               FrameKind::kMain, page_session_);
    frames_.emplace(target_id_, main_frame_);
    main_frame_identifier_ = main_frame_->Identifier();
    FillTable();
}

// ---- Engine thread ---------------------------------------------------------------------------

void Browser::Open(std::string first_address) {
    chromium_->Thread().Owner().Check();
    auto self = EngineObjectPtr<Browser>::Share(this);
    if (width_ > 0 && height_ > 0) {
        chromium_->Client().Command(
            page_session_, "Emulation.setDeviceMetricsOverride",
            {{"width", width_}, {"height", height_}, {"deviceScaleFactor", 0}, {"mobile", false}});
    }
    if (!first_address.empty()) {
        first_navigation_ = FirstNavigation::kNotStarted;
    }
    BeginSession(page_session_, target_id_, [self, first_address = std::move(first_address)] {
        if (!self->IsValid() || self->opened_) {
            return;
        }
        self->opened_ = true;
        self->NotifyLifeSpan([](cef_life_span_handler_t* handler, Browser& browser) {
            if (handler->on_after_created != nullptr) {
                handler->on_after_created(handler, browser.NewReference());
            }
        });
        if (first_address.empty() || !self->IsValid()) {
            return;
        }
        self->first_navigation_ = FirstNavigation::kAwaitingLoader;
        self->chromium_->Client().Command(
            self->page_session_, "Page.navigate", {{"url", first_address}},
            [self](bool ok, const json& result) { self->FirstNavigationStarted(ok, result); });
    });
}

void Browser::FirstNavigationStarted(bool ok, const json& result) {
    chromium_->Thread().Owner().Check();
    if (first_navigation_ != FirstNavigation::kAwaitingLoader) {
        return;
    }
    first_navigation_ = FirstNavigation::kDone;
    const std::string loader = ok ? result.value("loaderId", "") : "";
    // The first navigation's document already stopped loading while its loader was unknown.
    if (!loader.empty() && main_stopped_loader_ == loader) {
        MainFrameStopped(main_stopped_status_);
    }
}

void Browser::MainFrameStopped(int status) {
    chromium_->Thread().Owner().Check();
    NotifyLoadEnd(MainFrame(), status);
}

void Browser::BeginSession(const std::string& session, const std::string& target_id,
                           std::function<void()> on_running) {
    chromium_->Thread().Owner().Check();
    sessions_[session] = target_id;
    DevToolsClient& client = chromium_->Client();
    auto self = EngineObjectPtr<Browser>::Share(this);
    client.ListenToSession(session, [self, session](const std::string& method, const json& params) {
        self->HandleEvent(session, method, params);
    });
    client.Command(session, "Page.enable");
    // Only the status of each document is wanted: keep no response bodies.
    client.Command(session, "Network.enable",
                   {{"maxTotalBufferSize", 0}, {"maxResourceBufferSize", 0}});
    client.Command(session, "Target.setAutoAttach",
                   {{"autoAttach", true},
                    {"waitForDebuggerOnStart", true},
                    {"flatten", true},
                    {"filter", IframeTargetsOnly()}});
    // Before any script of the page: window.open asks before it hands out a window.
    client.Command(session, "Page.addScriptToEvaluateOnNewDocument",
                   {{"source", WindowQuestion::Script()}, {"runImmediately", true}});
    client.Command(session, "Runtime.runIfWaitingForDebugger", json::object(),
                   [on_running = std::move(on_running)](bool, const json&) {
                       if (on_running) {
                           on_running();
                       }
                   });
}

void Browser::EndSession(const std::string& session) {
    chromium_->Thread().Owner().Check();
    sessions_.erase(session);
    runtimes_.erase(session);
    chromium_->Client().ForgetSession(session);
}

bool Browser::OwnsTarget(const std::string& target_id) const {
    chromium_->Thread().Owner().Check();
    for (const auto& [session, target] : sessions_) {
        if (target == target_id) {
            return true;
        }
    }
    return false;
}

std::optional<WindowRequest> Browser::TakeWindowRequest() {
    chromium_->Thread().Owner().Check();
    const auto now = std::chrono::steady_clock::now();
    while (!window_requests_.empty() &&
           now - window_requests_.front().when > kWindowRequestLifetime) {
        window_requests_.pop_front();
    }
    if (window_requests_.empty()) {
        return std::nullopt;
    }
    WindowRequest request = std::move(window_requests_.front().request);
    window_requests_.pop_front();
    return request;
}

void Browser::RecordWindowDecision(const std::string& url, WindowAnswer answer) {
    window_decisions_.push_back({url, answer, std::chrono::steady_clock::now()});
}

WindowAnswer Browser::TakeWindowDecision(const std::string& url) {
    const auto now = std::chrono::steady_clock::now();
    while (!window_decisions_.empty() &&
           now - window_decisions_.front().when > kWindowRequestLifetime) {
        window_decisions_.pop_front();
    }
    for (auto it = window_decisions_.begin(); it != window_decisions_.end(); ++it) {
        if (it->url == url) {
            const WindowAnswer answer = it->answer;
            // Older decisions belong to windows that nobody asks about (links).
            window_decisions_.erase(window_decisions_.begin(), std::next(it));
            return answer;
        }
    }
    return WindowAnswer::kUnknown;
}

void Browser::HandleEvent(const std::string& session, const std::string& method,
                          const json& params) {
    chromium_->Thread().Owner().Check();
    if (!IsValid()) {
        return;
    }
    if (method == "Page.frameStoppedLoading") {
        FrameStoppedLoading(session, params.value("frameId", ""));
    } else if (method == "Page.frameStartedLoading") {
        FrameStartedLoading(params.value("frameId", ""));
    } else if (method == "Page.frameNavigated") {
        FrameNavigated(session, params);
    } else if (method == "Page.navigatedWithinDocument") {
        if (auto frame = FrameByDevToolsId(params.value("frameId", ""))) {
            frame->NavigatedWithinDocument(params.value("url", ""));
        }
    } else if (method == "Page.frameAttached") {
        if (auto frame = FrameForEvent(params.value("frameId", ""), session)) {
            frame->Attached(params.value("parentFrameId", ""));
        }
    } else if (method == "Page.frameDetached") {
        // A frame that moves to another process ("swap") lives on in another session.
        if (params.value("reason", "") != "swap") {
            RemoveFrame(params.value("frameId", ""));
        }
    } else if (method == "Network.requestWillBeSent") {
        DocumentRequested(params);
    } else if (method == "Network.responseReceived") {
        if (params.value("type", "") == "Document" && params.contains("response")) {
            const json& response = params["response"];
            auto load = loads_.find(params.value("frameId", ""));
            if (load != loads_.end() && load->second.loader == params.value("loaderId", "") &&
                response.contains("status") && response["status"].is_number()) {
                load->second.status = response["status"].get<int>();
            }
        }
    } else if (method == "Network.loadingFailed") {
        DocumentFailed(params);
    } else if (method == "Page.windowOpen") {
        window_requests_.push_back(
            {WindowRequest::FromWindowOpen(params), std::chrono::steady_clock::now()});
        if (on_window_request_) {
            on_window_request_();
        }
    } else if (method == "Page.javascriptDialogOpening") {
        DialogOpening(session, params);
    } else if (method.starts_with("Runtime.executionContext")) {
        ContextEvent(session, method, params);
    } else if (method == "Target.attachedToTarget") {
        ChildAttached(session, params);
    } else if (method == "Target.detachedFromTarget") {
        EndSession(params.value("sessionId", ""));
    }
}

void Browser::DocumentRequested(const json& params) {
    if (params.value("type", "") != "Document" || !params.contains("request")) {
        return;
    }
    const std::string loader = params.value("loaderId", "");
    FrameLoad& load = loads_[params.value("frameId", "")];
    if (load.loader != loader) {
        load = FrameLoad{};
        load.loader = loader;
    }
    load.url = params["request"].value("url", "");  // the latest address of a redirect chain
}

void Browser::DocumentFailed(const json& params) {
    // A navigation's request is named by its loader.
    const std::string request = params.value("requestId", "");
    for (auto& [frame, load] : loads_) {
        if (load.loader == request && load.error.empty()) {
            load.error = params.value("errorText", "");
            if (load.error.empty()) {
                load.error = "net::ERR_FAILED";
            }
        }
    }
}

void Browser::FrameNavigated(const std::string& session, const json& params) {
    const json& info = params.contains("frame") ? params["frame"] : json::object();
    const std::string id = info.value("id", "");
    const std::string loader = info.value("loaderId", "");
    // An error page stands for the address that failed.
    const std::string unreachable = info.value("unreachableUrl", "");
    if (id == target_id_) {
        main_loader_ = loader;
    }
    auto load = loads_.find(id);
    FrameLoad* committed =
        load != loads_.end() && load->second.loader == loader ? &load->second : nullptr;
    if (committed != nullptr) {
        committed->committed = true;
    }
    // Only the response of this very load counts: an error page has none.
    document_status_[id] = committed != nullptr && unreachable.empty() ? committed->status : 0;
    EngineObjectPtr<Frame> frame = FrameForEvent(id, session);
    if (!frame) {
        return;
    }
    auto hosted = sessions_.find(session);
    frame->MovedToSession(session, hosted != sessions_.end() && hosted->second == id);
    frame->Attached(info.value("parentId", ""));
    frame->Navigated(
        unreachable.empty() ? info.value("url", "") + info.value("urlFragment", "") : unreachable,
        info.value("name", ""));
    NotifyLoadStart(frame);
    if (!unreachable.empty()) {
        std::string error = "net::ERR_FAILED";
        if (committed != nullptr) {
            committed->error_reported = true;
            if (!committed->error.empty()) {
                error = committed->error;
            }
        }
        NotifyLoadError(frame, error, unreachable);
    }
}

void Browser::FrameStartedLoading(const std::string& devtools_id) {
    if (devtools_id.empty()) {
        return;
    }
    const bool was_loading = !loading_frames_.empty();
    loading_frames_.insert(devtools_id);
    loading_ = true;
    if (!was_loading) {
        NotifyLoadingState(true);
    }
}

void Browser::FrameStoppedLoading(const std::string& session, const std::string& id) {
    EngineObjectPtr<Frame> frame = FrameForEvent(id, session);
    int status = 0;
    if (auto known = document_status_.find(id); known != document_status_.end()) {
        status = known->second;
    }
    if (auto load = loads_.find(id); load != loads_.end()) {
        const FrameLoad& ended = load->second;
        if (!ended.error.empty() && !ended.committed) {
            // The load failed before any document came: the frame keeps the one it had,
            // which is no answer to this load.
            status = 0;
            if (!ended.error_reported) {
                NotifyLoadError(frame, ended.error, ended.url);
            }
        }
        loads_.erase(load);
    }
    if (id != target_id_) {
        NotifyLoadEnd(frame, status);
    } else if (first_navigation_ == FirstNavigation::kDone) {
        MainFrameStopped(status);
    } else if (first_navigation_ == FirstNavigation::kAwaitingLoader) {
        main_stopped_loader_ = main_loader_;
        main_stopped_status_ = status;
    }
    FrameIdle(id);
}

void Browser::FrameIdle(const std::string& devtools_id) {
    if (loading_frames_.erase(devtools_id) == 0 || !loading_frames_.empty()) {
        return;
    }
    loading_ = false;
    NotifyLoadingState(false);
}

void Browser::DialogOpening(const std::string& session, const json& params) {
    std::string url;
    if (WindowQuestion::FromDialog(params, url)) {
        const WindowAnswer answer =
            on_window_question_ ? on_window_question_(url) : WindowAnswer::kUnknown;
        chromium_->Client().Command(
            session, "Page.handleJavaScriptDialog",
            {{"accept", true}, {"promptText", WindowQuestion::PromptText(answer)}});
        return;
    }
    // Nobody sees this browser: a message is taken as read, a question as answered no.
    const std::string type = params.value("type", "");
    chromium_->Client().Command(session, "Page.handleJavaScriptDialog",
                                {{"accept", type == "alert" || type == "beforeunload"}});
}

void Browser::ContextEvent(const std::string& session, const std::string& method,
                           const json& params) {
    auto runtime = runtimes_.find(session);
    if (runtime == runtimes_.end()) {
        return;
    }
    std::map<std::string, int>& contexts = runtime->second.page_contexts;
    if (method == "Runtime.executionContextCreated") {
        const json& context = params.contains("context") ? params["context"] : json::object();
        const json& aux = context.contains("auxData") ? context["auxData"] : json::object();
        if (aux.value("isDefault", false) && context.contains("id") &&
            context["id"].is_number_integer()) {
            contexts[aux.value("frameId", "")] = context["id"].get<int>();
        }
    } else if (method == "Runtime.executionContextDestroyed") {
        const int gone = params.value("executionContextId", 0);
        for (auto it = contexts.begin(); it != contexts.end();) {
            it = it->second == gone ? contexts.erase(it) : std::next(it);
        }
    } else if (method == "Runtime.executionContextsCleared") {
        contexts.clear();
    }
}

void Browser::ChildAttached(const std::string& parent_session, const json& params) {
    chromium_->Thread().Owner().Check();
    const std::string child = params.value("sessionId", "");
    const json& info = params.contains("targetInfo") ? params["targetInfo"] : json::object();
    const std::string target = info.value("targetId", "");
    DevToolsClient& client = chromium_->Client();
    if (info.value("type", "") != "iframe") {
        client.Command(child, "Runtime.runIfWaitingForDebugger");
        client.Command(parent_session, "Target.detachFromTarget", {{"sessionId", child}});
        return;
    }
    // An out-of-process iframe: its frame id is its target id.
    if (auto frame = FrameForEvent(target, child)) {
        frame->MovedToSession(child, true);
    }
    BeginSession(child, target, {});
}

EngineObjectPtr<Frame> Browser::FrameForEvent(const std::string& devtools_id,
                                              const std::string& session) {
    chromium_->Thread().Owner().Check();
    if (devtools_id.empty()) {
        return {};
    }
    std::lock_guard lock(mutex_);
    auto it = frames_.find(devtools_id);
    if (it != frames_.end()) {
        return it->second;
    }
    auto frame = EngineObjectPtr<Frame>::Make(EngineObjectPtr<Browser>::Share(this),
                                              chromium_->NextFrameIdentifier(), devtools_id,
                                              FrameKind::kChild, session);
    frames_.emplace(devtools_id, frame);
    return frame;
}

void Browser::RemoveFrame(const std::string& devtools_id) {
    chromium_->Thread().Owner().Check();
    EngineObjectPtr<Frame> removed;
    {
        std::lock_guard lock(mutex_);
        auto it = frames_.find(devtools_id);
        if (it == frames_.end() || it->second.get() == main_frame_.get()) {
            return;
        }
        removed = std::move(it->second);
        frames_.erase(it);
    }
    removed->Invalidate();
    document_status_.erase(devtools_id);
    loads_.erase(devtools_id);
    FrameIdle(devtools_id);
}

void Browser::NotifyLoadStart(const EngineObjectPtr<Frame>& frame) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_load_start != nullptr) {
        handler->on_load_start(handler.get(), NewReference(), frame->NewReference(),
                               frame->IsMain() ? kTransitionExplicit : kTransitionAutoSubframe);
    }
}

void Browser::NotifyLoadError(const EngineObjectPtr<Frame>& frame, const std::string& error,
                              const std::string& failed_url) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (!frame || !handler || handler->on_load_error == nullptr) {
        return;
    }
    const NetError net_error = NetErrorFromText(error);
    const std::u16string text = Utf8ToUtf16(net_error.name);
    const std::u16string url = Utf8ToUtf16(failed_url);
    cef_string_t error_text = EngineStringView(text);
    cef_string_t failed = EngineStringView(url);
    handler->on_load_error(handler.get(), NewReference(), frame->NewReference(), net_error.code,
                           &error_text, &failed);
}

void Browser::NotifyLoadingState(bool loading) {
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_loading_state_change != nullptr) {
        // The history is not kept (see can_go_back).
        handler->on_loading_state_change(handler.get(), NewReference(), loading ? 1 : 0, 0, 0);
    }
}

void Browser::NotifyLoadEnd(const EngineObjectPtr<Frame>& frame, int status) {
    chromium_->Thread().Owner().Check();
    if (!frame) {
        return;
    }
    HeldReference<cef_load_handler_t> handler = LoadHandlerOf(Client());
    if (handler && handler->on_load_end != nullptr) {
        handler->on_load_end(handler.get(), NewReference(), frame->NewReference(), status);
    }
}

void Browser::NotifyLifeSpan(void (*notify)(cef_life_span_handler_t*, Browser&)) {
    chromium_->Thread().Owner().Check();
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(Client());
    if (handler) {
        notify(handler.get(), *this);
    }
}

void Browser::Close() {
    chromium_->Thread().Owner().Check();
    if (!IsValid() || closing_) {
        return;
    }
    closing_ = true;
    // Whatever the client answers, a browser without a window closes by itself.
    NotifyLifeSpan([](cef_life_span_handler_t* handler, Browser& browser) {
        if (handler->do_close != nullptr) {
            handler->do_close(handler, browser.NewReference());
        }
    });
    chromium_->Client().Command("", "Target.closeTarget", {{"targetId", target_id_}});
}

void Browser::TargetGone() {
    chromium_->Thread().Owner().Check();
    if (!IsValid()) {
        return;
    }
    valid_ = false;  // already while the client hears of it
    if (!closing_) {
        closing_ = true;
        NotifyLifeSpan([](cef_life_span_handler_t* handler, Browser& browser) {
            if (handler->do_close != nullptr) {
                handler->do_close(handler, browser.NewReference());
            }
        });
    }
    NotifyLifeSpan([](cef_life_span_handler_t* handler, Browser& browser) {
        if (handler->on_before_close != nullptr) {
            handler->on_before_close(handler, browser.NewReference());
        }
    });
    Invalidate();
}

void Browser::Invalidate() {
    chromium_->Thread().Owner().Check();
    valid_ = false;
    for (auto it = sessions_.begin(); it != sessions_.end(); it = sessions_.erase(it)) {
        chromium_->Client().ForgetSession(it->first);
    }
    window_requests_.clear();
    window_decisions_.clear();
    runtimes_.clear();
    loads_.clear();
    loading_frames_.clear();
    // The frames hold the browser; letting go of them here is what lets it go at all.
    std::map<std::string, EngineObjectPtr<Frame>> frames;
    EngineObjectPtr<Frame> main_frame;
    HeldReference<cef_client_t> client;
    {
        std::lock_guard lock(mutex_);
        frames.swap(frames_);
        main_frame = std::move(main_frame_);
        client = std::move(client_);
    }
    for (auto& [id, frame] : frames) {
        frame->Invalidate();
    }
}

// ---- Any thread ------------------------------------------------------------------------------

bool Browser::IsValid() const {
    return valid_.load();
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
    // A closed browser still answers with its main frame, now invalid.
    auto closed = EngineObjectPtr<Frame>::Make(
        EngineObjectPtr<Browser>::Share(const_cast<Browser*>(this)), main_frame_identifier_.load(),
        target_id_, FrameKind::kMain, page_session_);
    closed->Invalidate();
    return closed;
}

EngineObjectPtr<Frame> Browser::FrameByDevToolsId(const std::string& devtools_id) const {
    std::lock_guard lock(mutex_);
    auto it = frames_.find(devtools_id);
    return it != frames_.end() ? it->second : EngineObjectPtr<Frame>();
}

EngineObjectPtr<Frame> Browser::FrameByIdentifier(long long identifier) const {
    std::lock_guard lock(mutex_);
    for (const auto& [id, frame] : frames_) {
        if (frame->Identifier() == identifier) {
            return frame;
        }
    }
    return {};
}

EngineObjectPtr<Frame> Browser::FrameByName(const std::string& name) const {
    std::lock_guard lock(mutex_);
    for (const auto& [id, frame] : frames_) {
        if (frame->Name() == name) {
            return frame;
        }
    }
    return {};
}

std::vector<EngineObjectPtr<Frame>> Browser::Frames() const {
    std::lock_guard lock(mutex_);
    std::vector<EngineObjectPtr<Frame>> frames;
    for (const auto& [id, frame] : frames_) {
        frames.push_back(frame);
    }
    return frames;
}

void Browser::Post(std::function<void()> task) const {
    chromium_->Thread().Post(std::move(task));
}

void Browser::Navigate(const std::string& address, const std::string& devtools_id) {
    if (!IsValid() || address.empty()) {
        return;
    }
    auto self = EngineObjectPtr<Browser>::Share(this);
    Post([self, address, devtools_id] {
        EngineObjectPtr<Frame> frame = self->FrameByDevToolsId(devtools_id);
        if (!self->IsValid() || !frame) {
            return;
        }
        json params = {{"url", address}};
        if (frame->IsMain()) {
            // The program navigates before the engine's own first navigation has ended:
            // from here on every load end of the main frame counts.
            self->first_navigation_ = FirstNavigation::kDone;
        } else {
            params["frameId"] = devtools_id;
        }
        self->chromium_->Client().Command(frame->Session(), "Page.navigate", std::move(params));
    });
}

void Browser::RunScriptInFrame(const std::string& devtools_id, std::string code) {
    if (!IsValid()) {
        return;
    }
    auto self = EngineObjectPtr<Browser>::Share(this);
    Post([self, devtools_id, code = std::move(code)] {
        EngineObjectPtr<Frame> frame = self->FrameByDevToolsId(devtools_id);
        if (!self->IsValid() || !frame) {
            return;
        }
        const std::string session = frame->Session();
        ++self->runtimes_[session].waiting_scripts;
        // The session reports every page context it has before it answers; the last
        // script of a burst turns the reports off again, which also drops whatever the
        // runtime kept for them.
        self->chromium_->Client().Command(
            session, "Runtime.enable", json::object(),
            [self, session, devtools_id, code](bool ok, const json&) {
                auto runtime = self->runtimes_.find(session);
                if (runtime == self->runtimes_.end()) {
                    return;  // the session has gone
                }
                DevToolsClient& client = self->chromium_->Client();
                auto context = runtime->second.page_contexts.find(devtools_id);
                if (ok && context != runtime->second.page_contexts.end()) {
                    EvaluateScript(client, session, code, context->second);
                }
                if (--runtime->second.waiting_scripts == 0) {
                    self->runtimes_.erase(runtime);
                    client.Command(session, "Runtime.disable");
                }
            });
    });
}

// ---- The engine's browser functions ---------------------------------------------------------

void Browser::FillTable() {
    cef_browser_t& t = Table();
    t.get_host = [](cef_browser_t* self) {
        return EngineObjectPtr<BrowserHost>::Make(
                   EngineObjectPtr<Browser>::Share(Self<Browser>(self)))
            ->NewReference();
    };
    // The history of a browser nobody sees is not kept; going back and forth is left to
    // the page.
    t.can_go_back = [](cef_browser_t*) { return 0; };
    t.can_go_forward = [](cef_browser_t*) { return 0; };
    t.go_back = [](cef_browser_t* self) {
        Self<Browser>(self)->MainFrame()->RunScript("history.back()");
    };
    t.go_forward = [](cef_browser_t* self) {
        Self<Browser>(self)->MainFrame()->RunScript("history.forward()");
    };
    t.is_loading = [](cef_browser_t* self) { return Self<Browser>(self)->IsLoading() ? 1 : 0; };
    t.reload = [](cef_browser_t* self) {
        Browser* browser = Self<Browser>(self);
        if (browser->IsValid()) {
            browser->chromium_->Client().Command(browser->page_session_, "Page.reload");
        }
    };
    t.reload_ignore_cache = [](cef_browser_t* self) {
        Browser* browser = Self<Browser>(self);
        if (browser->IsValid()) {
            browser->chromium_->Client().Command(browser->page_session_, "Page.reload",
                                                 {{"ignoreCache", true}});
        }
    };
    t.stop_load = [](cef_browser_t* self) {
        Browser* browser = Self<Browser>(self);
        if (browser->IsValid()) {
            browser->chromium_->Client().Command(browser->page_session_, "Page.stopLoading");
        }
    };
    t.get_identifier = [](cef_browser_t* self) { return Self<Browser>(self)->identifier_; };
    t.is_same = [](cef_browser_t* self, cef_browser_t* that) {
        const bool same = self == that;
        ReleaseEngineReference(that);
        return same ? 1 : 0;
    };
    t.is_popup = [](cef_browser_t* self) { return Self<Browser>(self)->popup_ ? 1 : 0; };
    t.has_document = [](cef_browser_t* self) {
        EngineObjectPtr<Frame> main = Self<Browser>(self)->MainFrame();
        return main && !main->Url().empty() ? 1 : 0;
    };
    t.get_main_frame = [](cef_browser_t* self) -> cef_frame_t* {
        EngineObjectPtr<Frame> main = Self<Browser>(self)->MainFrame();
        return main ? main->NewReference() : nullptr;
    };
    t.get_focused_frame = [](cef_browser_t* self) -> cef_frame_t* {
        EngineObjectPtr<Frame> main = Self<Browser>(self)->MainFrame();
        return main ? main->NewReference() : nullptr;
    };
    t.get_frame_byident = [](cef_browser_t* self, cef_int64 identifier) -> cef_frame_t* {
        EngineObjectPtr<Frame> frame = Self<Browser>(self)->FrameByIdentifier(identifier);
        return frame ? frame->NewReference() : nullptr;
    };
    t.get_frame = [](cef_browser_t* self, const cef_string_t* name) -> cef_frame_t* {
        Browser* browser = Self<Browser>(self);
        const std::string wanted = Utf8Of(name);
        EngineObjectPtr<Frame> frame =
            wanted.empty() ? browser->MainFrame() : browser->FrameByName(wanted);
        return frame ? frame->NewReference() : nullptr;
    };
    t.get_frame_count = [](cef_browser_t* self) { return Self<Browser>(self)->Frames().size(); };
    t.get_frame_identifiers = [](cef_browser_t* self, size_t* count, cef_int64* identifiers) {
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
    t.get_frame_names = [](cef_browser_t* self, cef_string_list_t names) {
        if (names == nullptr) {
            return;
        }
        for (const EngineObjectPtr<Frame>& frame : Self<Browser>(self)->Frames()) {
            AsStringList(names)->push_back(Utf8ToUtf16(frame->Name()));
        }
    };
}

}  // namespace quillmoor::bridge
