#include "bridge/bridge_engine.h"

#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>

#include "bridge/chromium_locator.h"
#include "bridge/chromium_version.h"
#include "bridge/engine_strings.h"
#include "bridge/load_address.h"
#include "bridge/process_arguments_of.h"
#include "bridge/temporary_profile.h"
#include "engine/engine_string.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

using nlohmann::json;

constexpr std::chrono::milliseconds kAnswerTimeout{30000};
// How long a new window waits for the page's request for it before it is decided on
// without knowing how the page asked.
constexpr std::chrono::milliseconds kWindowRequestWait{500};
constexpr std::chrono::milliseconds kCreateSyncTimeout{30000};

// The process-wide state of the C interface: the running engine and the command line.
struct ProcessState {
    std::mutex mutex;
    std::shared_ptr<BridgeEngine> engine;
    EngineObjectPtr<CommandLine> command_line;
    std::optional<ChromiumVersion> installed_version;
    bool installed_version_known = false;
};

ProcessState& State() {
    static ProcessState* state = new ProcessState;  // never destroyed: outlives every caller
    return *state;
}

std::shared_ptr<BridgeEngine> RunningEngine() {
    std::lock_guard lock(State().mutex);
    return State().engine;
}

std::string SearchPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
}

// True when the settings record the caller passed is long enough to hold member.
template <typename Field>
bool Holds(const cef_settings_t* settings, Field cef_settings_t::*member) {
    if (settings == nullptr) {
        return false;
    }
    const auto* start = reinterpret_cast<const char*>(settings);
    const auto* end = reinterpret_cast<const char*>(&(settings->*member)) + sizeof(Field);
    return static_cast<std::size_t>(end - start) <= settings->size;
}

// The engine settings that Chromium has switches for.
void AddSettingSwitches(const cef_settings_t* settings, CommandLine& line) {
    if (settings == nullptr) {
        return;
    }
    const auto add_text = [&](cef_string_t cef_settings_t::*member, const char16_t* name) {
        if (Holds(settings, member) && (settings->*member).length > 0) {
            line.AppendSwitch(name, FromEngineString(&(settings->*member)));
        }
    };
    add_text(&cef_settings_t::user_agent, u"user-agent");
    add_text(&cef_settings_t::locale, u"lang");
    add_text(&cef_settings_t::javascript_flags, u"js-flags");
    add_text(&cef_settings_t::accept_language_list, u"accept-lang");
    if (Holds(settings, &cef_settings_t::ignore_certificate_errors) &&
        settings->ignore_certificate_errors != 0) {
        line.AppendSwitch(u"ignore-certificate-errors", {});
    }
}

EngineObjectPtr<CommandLine> CommandLineOfThisProcess() {
    const std::vector<std::string> pieces = ArgumentsOfProcess(getpid());
    std::vector<const char*> argv;
    for (const std::string& piece : pieces) {
        argv.push_back(piece.c_str());
    }
    auto line = EngineObjectPtr<CommandLine>::Make(CommandLineAccess::kWritable);
    line->InitFromArgv(static_cast<int>(argv.size()), argv.data());
    line->MakeReadOnly();
    return line;
}

bool IsSubprocessArgument(const char* argument) {
    static constexpr char kType[] = "--type=";
    if (argument == nullptr) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < sizeof kType; ++i) {
        if (std::tolower(static_cast<unsigned char>(argument[i])) != kType[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

// ---- The C interface's process functions
// ---------------------------------------------------------

int BridgeEngine::ExecuteProcess(const cef_main_args_t* args, cef_app_t* application) {
    ReleaseEngineReference(application);
    if (args != nullptr && args->argv != nullptr) {
        for (int i = 1; i < args->argc; ++i) {
            // Chromium's own helper processes are Chromium's: nothing runs here for them.
            if (IsSubprocessArgument(args->argv[i])) {
                return 0;
            }
        }
    }
    return -1;
}

int BridgeEngine::Initialize(const cef_main_args_t* args, const cef_settings_t* settings,
                             cef_app_t* application) {
    auto app = HeldReference<cef_app_t>::Adopt(application);
    ProcessState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.engine) {
        std::fprintf(stderr, "quillmoor engine: the engine is already initialised.\n");
        return 0;
    }

    auto line = EngineObjectPtr<CommandLine>::Make(CommandLineAccess::kWritable);
    const bool use_arguments = !(Holds(settings, &cef_settings_t::command_line_args_disabled) &&
                                 settings->command_line_args_disabled != 0);
    if (args != nullptr && args->argv != nullptr && args->argc > 0) {
        line->InitFromArgv(use_arguments ? args->argc : 1, args->argv);
    }
    AddSettingSwitches(settings, *line);
    if (app && app->on_before_command_line_processing != nullptr) {
        const std::u16string browser_process;  // the browser process has no process type
        cef_string_t process_type = EngineStringView(browser_process);
        app->on_before_command_line_processing(app.get(), &process_type, line->NewReference());
    }
    line->MakeReadOnly();
    state.command_line = line;

    const std::optional<std::string> executable = FindChromium(SearchPath());
    if (!executable) {
        std::fprintf(stderr, "quillmoor engine: Chromium was not found: no %s on PATH.\n",
                     ChromiumNamesForMessage().c_str());
        return 0;
    }
    ChromiumSession::Options options;
    options.executable = *executable;
    for (const std::u16string& text : line->Switches()) {
        options.switches.push_back(Utf16ToUtf8(text));
    }
    options.answer_timeout = kAnswerTimeout;
    options.temp_root = TemporaryProfile::DefaultTempRoot();
    std::string failure;
    std::unique_ptr<ChromiumSession> chromium = ChromiumSession::Start(options, failure);
    if (!chromium) {
        std::fprintf(stderr, "quillmoor engine: %s.\n", failure.c_str());
        return 0;
    }

    HeldReference<cef_browser_process_handler_t> handler;
    if (app && app->get_browser_process_handler != nullptr) {
        handler = HeldReference<cef_browser_process_handler_t>::Adopt(
            app->get_browser_process_handler(app.get()));
    }
    auto engine =
        std::make_shared<BridgeEngine>(std::move(chromium), std::move(app), std::move(handler));
    engine->chromium_->Thread().RunAndWait([&engine] { engine->Begin(); });
    state.engine = std::move(engine);
    return 1;
}

void BridgeEngine::Shutdown() {
    std::shared_ptr<BridgeEngine> engine;
    {
        std::lock_guard lock(State().mutex);
        engine = State().engine;
    }
    if (!engine) {
        return;
    }
    if (engine->chromium_->Thread().IsCurrent()) {
        std::fprintf(
            stderr,
            "quillmoor engine: cef_shutdown was called on the engine's own thread; ignored.\n");
        return;
    }
    {
        std::lock_guard lock(State().mutex);
        State().engine.reset();
    }
    engine->chromium_->Thread().RunAndWait([&engine] { engine->End(); });
    engine->chromium_->Shutdown();
    engine->handler_.Reset();
    engine->application_.Reset();
}

BridgeEngine::BrowserRequest BridgeEngine::RequestFor(const cef_window_info_t* window_info,
                                                      cef_client_t* client,
                                                      const cef_string_t* url) {
    BrowserRequest request;
    request.client = HeldReference<cef_client_t>::Adopt(client);
    if (window_info != nullptr) {
        request.width = static_cast<int>(window_info->width);
        request.height = static_cast<int>(window_info->height);
    }
    request.address = AddressToLoad(Utf8Of(url));
    return request;
}

int BridgeEngine::CreateBrowser(const cef_window_info_t* window_info, cef_client_t* client,
                                const cef_string_t* url) {
    BrowserRequest request = RequestFor(window_info, client, url);
    std::shared_ptr<BridgeEngine> engine = RunningEngine();
    if (!engine) {
        return 0;
    }
    return engine->StartBrowserRequest(std::move(request));
}

cef_browser_t* BridgeEngine::CreateBrowserSync(const cef_window_info_t* window_info,
                                               cef_client_t* client, const cef_string_t* url) {
    BrowserRequest request = RequestFor(window_info, client, url);
    std::shared_ptr<BridgeEngine> engine = RunningEngine();
    if (!engine || engine->chromium_->Thread().IsCurrent()) {
        return nullptr;  // the engine thread cannot wait for itself
    }
    struct Outcome {
        std::mutex mutex;
        bool abandoned = false;
        std::promise<cef_browser_t*> browser;
    };
    auto outcome = std::make_shared<Outcome>();
    std::future<cef_browser_t*> created = outcome->browser.get_future();
    request.on_created = [outcome](Browser* browser) {
        std::lock_guard lock(outcome->mutex);
        outcome->browser.set_value(
            browser != nullptr && !outcome->abandoned ? browser->NewReference() : nullptr);
    };
    if (engine->StartBrowserRequest(std::move(request)) == 0) {
        return nullptr;
    }
    if (created.wait_for(kCreateSyncTimeout) != std::future_status::ready) {
        std::lock_guard lock(outcome->mutex);
        outcome->abandoned = true;
        if (created.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return nullptr;
        }
    }
    return created.get();
}

cef_command_line_t* BridgeEngine::GlobalCommandLine() {
    ProcessState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.command_line) {
        state.command_line = CommandLineOfThisProcess();
    }
    return state.command_line->NewReference();
}

int BridgeEngine::ChromiumVersionPart(int part) {
    if (std::shared_ptr<BridgeEngine> engine = RunningEngine()) {
        return engine->chromium_->Version().Part(part);
    }
    ProcessState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.installed_version_known) {
        state.installed_version_known = true;
        if (std::optional<std::string> executable = FindChromium(SearchPath())) {
            state.installed_version = ChromiumVersion::OfExecutable(*executable);
        }
    }
    return state.installed_version ? state.installed_version->Part(part) : 0;
}

// ---- The running engine
// --------------------------------------------------------------------------

BridgeEngine::BridgeEngine(std::shared_ptr<ChromiumSession> chromium,
                           HeldReference<cef_app_t> application,
                           HeldReference<cef_browser_process_handler_t> handler)
    : chromium_(std::move(chromium)),
      application_(std::move(application)),
      handler_(std::move(handler)) {}

int BridgeEngine::StartBrowserRequest(BrowserRequest request) {
    if (!chromium_->IsConnected()) {
        return 0;
    }
    request.identifier = next_browser_identifier_.fetch_add(1);
    chromium_->Thread().Post(
        [this, request = std::move(request)]() mutable { RequestBrowser(std::move(request)); });
    return 1;
}

void BridgeEngine::Begin() {
    chromium_->Thread().Owner().Check();
    chromium_->OnLostChromium([this] { End(); });
    DevToolsClient& client = chromium_->Client();
    client.ListenToBrowser([this](const std::string& method, const json& params) {
        HandleBrowserEvent(method, params);
    });
    // Every new page is stopped before it runs a script, until the engine has set it up
    // (or, for a window the page asked for, has heard whether it may open).
    client.Command("", "Target.setAutoAttach",
                   {{"autoAttach", true},
                    {"waitForDebuggerOnStart", true},
                    {"flatten", true},
                    {"filter", json::array({{{"type", "page"}, {"exclude", false}}})}},
                   [this](bool ok, const json&) {
                       if (!ok) {
                           return;
                       }
                       context_ready_ = true;
                       if (handler_ && handler_->on_context_initialized != nullptr) {
                           handler_->on_context_initialized(handler_.get());
                       }
                   });
}

void BridgeEngine::HandleBrowserEvent(const std::string& method, const json& params) {
    chromium_->Thread().Owner().Check();
    if (method == "Target.attachedToTarget") {
        PageAttached(params);
    } else if (method == "Target.detachedFromTarget") {
        PageDetached(params.value("sessionId", ""));
    }
}

void BridgeEngine::PageAttached(const json& params) {
    chromium_->Thread().Owner().Check();
    const std::string session = params.value("sessionId", "");
    const json& info = params.contains("targetInfo") ? params["targetInfo"] : json::object();
    const std::string target = info.value("targetId", "");
    if (info.value("type", "") != "page") {
        Dismiss(session);
        return;
    }
    if (!context_ready_) {
        // Chromium's own first tab, there before the engine: nobody needs it.
        chromium_->Client().Command("", "Target.closeTarget", {{"targetId", target}});
        return;
    }
    if (auto requested = requested_.find(target); requested != requested_.end()) {
        BrowserRequest request = std::move(requested->second);
        requested_.erase(requested);
        OpenBrowser(std::move(request), target, session);
        return;
    }
    if (info.contains("openerId")) {
        const std::string opener_id = info.value("openerId", "");
        for (const auto& [page_session, browser] : browsers_) {
            if (browser->OwnsTarget(opener_id)) {
                PopupAttached({browser, target, session, info.value("openerFrameId", ""),
                               info.value("url", "")});
                return;
            }
        }
        CancelPopup(target, session);  // a window of a page that is no browser any more
        return;
    }
    unclaimed_[target] = session;  // the reply to our request to create it is on its way
}

void BridgeEngine::PageDetached(const std::string& session) {
    chromium_->Thread().Owner().Check();
    if (auto it = browsers_.find(session); it != browsers_.end()) {
        EngineObjectPtr<Browser> browser = std::move(it->second);
        browsers_.erase(it);
        browser->TargetGone();
        return;
    }
    if (cancelled_.erase(session) > 0) {
        chromium_->Client().ForgetSession(session);
    }
    for (auto it = unclaimed_.begin(); it != unclaimed_.end();) {
        it = it->second == session ? unclaimed_.erase(it) : std::next(it);
    }
    for (auto it = waiting_popups_.begin(); it != waiting_popups_.end();) {
        it = it->session == session ? waiting_popups_.erase(it) : std::next(it);
    }
}

void BridgeEngine::RequestBrowser(BrowserRequest request) {
    chromium_->Thread().Owner().Check();
    chromium_->Client().Command(
        "", "Target.createTarget", {{"url", "about:blank"}},
        [this, request = std::move(request)](bool ok, const json& result) mutable {
            if (!ok || !result.contains("targetId")) {
                if (request.on_created) {
                    request.on_created(nullptr);
                }
                return;
            }
            const std::string target = result.value("targetId", "");
            if (auto attached = unclaimed_.find(target); attached != unclaimed_.end()) {
                const std::string session = attached->second;
                unclaimed_.erase(attached);
                OpenBrowser(std::move(request), target, session);
            } else {
                requested_.emplace(target, std::move(request));
            }
        });
}

void BridgeEngine::OpenBrowser(BrowserRequest request, const std::string& target_id,
                               const std::string& session) {
    chromium_->Thread().Owner().Check();
    Browser::Setup setup;
    setup.identifier = request.identifier;
    setup.client = std::move(request.client);
    setup.width = request.width;
    setup.height = request.height;
    setup.target_id = target_id;
    setup.session = session;
    EngineObjectPtr<Browser> browser = AddBrowser(std::move(setup));
    if (request.on_created) {
        request.on_created(browser.get());
    }
    browser->Open(request.address);
}

EngineObjectPtr<Browser> BridgeEngine::AddBrowser(Browser::Setup setup) {
    chromium_->Thread().Owner().Check();
    setup.chromium = chromium_;
    const std::string session = setup.session;
    auto browser = std::make_shared<Browser*>(nullptr);
    setup.on_window_request = [this, browser] { WindowRequested(*browser); };
    setup.on_window_question = [this, browser](const std::string& url) {
        return WindowQuestionAsked(*browser, url);
    };
    EngineObjectPtr<Browser> created = EngineObjectPtr<Browser>::Make(std::move(setup));
    *browser = created.get();
    browsers_[session] = created;
    return created;
}

void BridgeEngine::PopupAttached(AttachedPopup popup) {
    chromium_->Thread().Owner().Check();
    if (std::optional<WindowRequest> request = popup.opener->TakeWindowRequest()) {
        DecidePopup(std::move(popup), *request);
        return;
    }
    const std::string target = popup.target_id;
    waiting_popups_.push_back(std::move(popup));
    chromium_->Thread().PostDelayed(kWindowRequestWait, [this, target] {
        for (auto it = waiting_popups_.begin(); it != waiting_popups_.end(); ++it) {
            if (it->target_id == target) {
                AttachedPopup late = std::move(*it);
                waiting_popups_.erase(it);
                DecidePopup(std::move(late), WindowRequest());
                return;
            }
        }
    });
}

void BridgeEngine::WindowRequested(Browser* opener) {
    chromium_->Thread().Owner().Check();
    for (auto it = waiting_popups_.begin(); it != waiting_popups_.end(); ++it) {
        if (it->opener.get() != opener) {
            continue;
        }
        std::optional<WindowRequest> request = opener->TakeWindowRequest();
        if (!request) {
            return;
        }
        AttachedPopup popup = std::move(*it);
        waiting_popups_.erase(it);
        DecidePopup(std::move(popup), *request);
        return;
    }
}

WindowAnswer BridgeEngine::WindowQuestionAsked(Browser* opener, const std::string& url) {
    // The window was made before the page asked: usually it is decided by now. One that
    // still waits for the page's request for it is decided now, if that has come.
    for (bool decided = true; decided;) {
        decided = false;
        for (const AttachedPopup& popup : waiting_popups_) {
            if (popup.opener.get() == opener) {
                const std::size_t before = waiting_popups_.size();
                WindowRequested(opener);
                decided = waiting_popups_.size() < before;
                break;
            }
        }
    }
    return opener->TakeWindowDecision(url);
}

void BridgeEngine::DecidePopup(AttachedPopup popup, const WindowRequest& request) {
    chromium_->Thread().Owner().Check();
    Browser& opener = *popup.opener;
    if (!opener.IsValid()) {
        CancelPopup(popup.target_id, popup.session);
        return;
    }
    EngineObjectPtr<Frame> frame = opener.FrameByDevToolsId(popup.opener_frame_id);
    if (!frame) {
        frame = opener.MainFrame();
    }
    HeldReference<cef_client_t> client = opener.Client();
    cef_popup_features_t features = request.PopupFeatures();
    cef_window_info_t window_info{};
    window_info.x = features.xSet != 0 ? static_cast<unsigned>(features.x) : 0;
    window_info.y = features.ySet != 0 ? static_cast<unsigned>(features.y) : 0;
    window_info.width = features.widthSet != 0 ? static_cast<unsigned>(features.width) : 0;
    window_info.height = features.heightSet != 0 ? static_cast<unsigned>(features.height) : 0;

    bool cancel = false;
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(client);
    if (handler && handler->on_before_popup != nullptr) {
        const std::u16string url = Utf8ToUtf16(request.Url().empty() ? popup.url : request.Url());
        const std::u16string name = Utf8ToUtf16(request.WindowName());
        cef_string_t target_url = EngineStringView(url);
        cef_string_t target_name = EngineStringView(name);
        cef_browser_settings_t settings{};
        settings.size = sizeof settings;
        cef_client_t* popup_client = client.NewReference();
        cef_dictionary_value_t* extra_info = nullptr;
        int no_javascript_access = 0;
        cancel = handler->on_before_popup(
                     handler.get(), opener.NewReference(), frame ? frame->NewReference() : nullptr,
                     &target_url, &target_name, request.Disposition(),
                     request.UserGesture() ? 1 : 0, &features, &window_info, &popup_client,
                     &settings, &extra_info, &no_javascript_access) != 0;
        client = HeldReference<cef_client_t>::Adopt(popup_client);
        ReleaseEngineReference(extra_info);
    }
    if (request.KeepsOpener()) {
        // The page's window.open asks next whether it may hand the window out.
        opener.RecordWindowDecision(request.Url(),
                                    cancel ? WindowAnswer::kCancelled : WindowAnswer::kOpen);
    }
    if (cancel) {
        CancelPopup(popup.target_id, popup.session);
        return;
    }
    // Allowed: the new window becomes a browser of its own, as hidden as every other.
    Browser::Setup setup;
    setup.identifier = next_browser_identifier_.fetch_add(1);
    setup.popup = true;
    setup.client = std::move(client);
    setup.width = static_cast<int>(window_info.width);
    setup.height = static_cast<int>(window_info.height);
    setup.target_id = popup.target_id;
    setup.session = popup.session;
    AddBrowser(std::move(setup))->Open({});
}

void BridgeEngine::CancelPopup(const std::string& target_id, const std::string& session) {
    chromium_->Thread().Owner().Check();
    // The window exists but has not run anything yet. It must never run a script, and
    // its opener must go on as if the window had opened and closed at once: so it runs
    // with scripts off and every request failed, and is closed right away.
    DevToolsClient& client = chromium_->Client();
    cancelled_[session] = target_id;
    client.ListenToSession(session,
                           [&client, session](const std::string& method, const json& params) {
                               if (method == "Fetch.requestPaused") {
                                   client.Command(session, "Fetch.failRequest",
                                                  {{"requestId", params.value("requestId", "")},
                                                   {"errorReason", "BlockedByClient"}});
                               }
                           });
    client.Command(session, "Emulation.setScriptExecutionDisabled", {{"value", true}});
    client.Command(session, "Fetch.enable", {{"patterns", json::array({{{"urlPattern", "*"}}})}});
    client.Command(session, "Runtime.runIfWaitingForDebugger", json::object(),
                   [&client, target_id](bool, const json&) {
                       client.Command("", "Target.closeTarget", {{"targetId", target_id}});
                   });
}

void BridgeEngine::Dismiss(const std::string& session) {
    chromium_->Thread().Owner().Check();
    DevToolsClient& client = chromium_->Client();
    client.Command(session, "Runtime.runIfWaitingForDebugger");
    client.Command("", "Target.detachFromTarget", {{"sessionId", session}});
}

void BridgeEngine::End() {
    chromium_->Thread().Owner().Check();
    context_ready_ = false;
    std::map<std::string, EngineObjectPtr<Browser>> browsers;
    browsers.swap(browsers_);
    for (auto& [session, browser] : browsers) {
        browser->Invalidate();
    }
    requested_.clear();
    unclaimed_.clear();
    waiting_popups_.clear();
    for (const auto& [session, target] : cancelled_) {
        chromium_->Client().ForgetSession(session);
    }
    cancelled_.clear();
}

}  // namespace quillmoor::bridge
