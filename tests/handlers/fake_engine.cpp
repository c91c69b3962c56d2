#include "tests/handlers/fake_engine.h"

#include <thread>

#include "engine/engine_string.h"

namespace quillmoor::browser_test {
namespace {

FakeEngine* current_engine = nullptr;  // the one the exported functions reach

HeldReference<cef_life_span_handler_t> LifeSpanHandlerOf(const BrowserRequest& request) {
    cef_client_t* client = request.client.get();
    return HeldReference<cef_life_span_handler_t>::Adopt(client->get_life_span_handler(client));
}

}  // namespace

// ---- FakeFrame ----

// The tables' functions are called as the engine's callbacks: each lambda carries their
// calling convention (__stdcall on 32-bit Windows).

FakeFrame::FakeFrame() {
    Table().is_valid = [](cef_frame_t* self)
                           CEF_CALLBACK { return Self<FakeFrame>(self)->valid.load() ? 1 : 0; };
    Table().is_main = [](cef_frame_t*) CEF_CALLBACK { return 1; };
    Table().load_url = [](cef_frame_t* self, const cef_string_t* url) CEF_CALLBACK {
        FakeFrame* frame = Self<FakeFrame>(self);
        std::lock_guard lock(frame->mutex_);
        frame->loads_.push_back(FromEngineString(url));
    };
    Table().execute_java_script = [](cef_frame_t* self, const cef_string_t* code,
                                     const cef_string_t* script_url, int start_line) CEF_CALLBACK {
        FakeFrame* frame = Self<FakeFrame>(self);
        std::lock_guard lock(frame->mutex_);
        frame->scripts_.push_back(
            ScriptRun{FromEngineString(code), FromEngineString(script_url), start_line});
    };
    Table().get_source = [](cef_frame_t* self, cef_string_visitor_t* visitor) CEF_CALLBACK {
        FakeFrame* frame = Self<FakeFrame>(self);
        std::lock_guard lock(frame->mutex_);
        frame->visitors_.push_back(HeldReference<cef_string_visitor_t>::Adopt(visitor));
    };
}

std::vector<std::u16string> FakeFrame::Loads() const {
    std::lock_guard lock(mutex_);
    return loads_;
}

std::vector<ScriptRun> FakeFrame::Scripts() const {
    std::lock_guard lock(mutex_);
    return scripts_;
}

std::vector<HeldReference<cef_string_visitor_t>> FakeFrame::Visitors() const {
    std::lock_guard lock(mutex_);
    return visitors_;
}

// ---- FakeHost and FakeBrowser ----

FakeHost::FakeHost(FakeBrowser* browser) : browser_(browser) {
    Table().get_browser = [](cef_browser_host_t* self) CEF_CALLBACK {
        return Self<FakeHost>(self)->browser_->NewReference();
    };
    Table().notify_move_or_resize_started = [](cef_browser_host_t* self) CEF_CALLBACK {
        ++Self<FakeHost>(self)->move_notices;
    };
    Table().close_browser = [](cef_browser_host_t* self, int /*force_close*/)
                                CEF_CALLBACK { ++Self<FakeHost>(self)->close_requests; };
    Table().get_window_handle = [](cef_browser_host_t*)
                                    CEF_CALLBACK { return cef_window_handle_t{}; };
}

FakeBrowser::FakeBrowser(int identifier, bool popup)
    : identifier_(identifier),
      popup_(popup),
      frame_(EngineObjectPtr<FakeFrame>::Make()),
      host_(EngineObjectPtr<FakeHost>::Make(this)) {
    Table().get_host = [](cef_browser_t* self)
                           CEF_CALLBACK { return Self<FakeBrowser>(self)->host_->NewReference(); };
    Table().get_main_frame = [](cef_browser_t* self) CEF_CALLBACK {
        return Self<FakeBrowser>(self)->frame_->NewReference();
    };
    Table().get_identifier = [](cef_browser_t* self)
                                 CEF_CALLBACK { return Self<FakeBrowser>(self)->identifier_; };
    Table().is_popup = [](cef_browser_t* self)
                           CEF_CALLBACK { return Self<FakeBrowser>(self)->popup_ ? 1 : 0; };
}

FakeBrowser::~FakeBrowser() = default;

// ---- FakeEngine ----

FakeEngine::FakeEngine() {
    current_engine = this;
    entry_points_.cef_browser_host_create_browser = &CreateBrowser;
    entry_points_.cef_request_context_get_global_context = &GlobalContext;
}

FakeEngine::~FakeEngine() {
    current_engine = nullptr;
}

void FakeEngine::SetOsmodalLoop(bool value) {
    std::lock_guard lock(mutex_);
    osmodal_loop_calls_.push_back(value);
}

std::vector<bool> FakeEngine::OsmodalLoopCalls() const {
    std::lock_guard lock(mutex_);
    return osmodal_loop_calls_;
}

int FakeEngine::CreateBrowser(const cef_window_info_t* window_info, cef_client_t* client,
                              const cef_string_t* url, const cef_browser_settings_t* /*settings*/,
                              cef_dictionary_value_t* extra_info,
                              cef_request_context_t* request_context) {
    FakeEngine& engine = *current_engine;
    ++engine.create_calls_;
    BrowserRequest request;
    request.client = HeldReference<cef_client_t>::Adopt(client);
    ReleaseEngineReference(extra_info);
    request.had_request_context = request_context != nullptr;
    ReleaseEngineReference(request_context);
    if (!engine.accept_requests.load()) {
        return 0;  // the client's reference goes with the request
    }
    request.window_info = *window_info;
    request.url = FromEngineString(url);
    engine.requests_.push_back(std::move(request));
    return 1;
}

cef_request_context_t* FakeEngine::GlobalContext() {
    return nullptr;
}

void FakeEngine::OnEngineThread(const std::function<void()>& task) {
    std::thread(task).join();
}

void FakeEngine::ReportCreated(std::size_t request, FakeBrowser& browser) {
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(requests_.at(request));
    OnEngineThread([&] { handler->on_after_created(handler.get(), browser.NewReference()); });
}

void FakeEngine::ReportLoadEnd(std::size_t request, FakeBrowser& browser) {
    cef_client_t* client = requests_.at(request).client.get();
    auto handler = HeldReference<cef_load_handler_t>::Adopt(client->get_load_handler(client));
    OnEngineThread([&] {
        handler->on_load_end(handler.get(), browser.NewReference(), browser.Frame().NewReference(),
                             200);
    });
}

int FakeEngine::AskBeforePopup(std::size_t request, FakeBrowser& browser,
                               cef_window_open_disposition_t disposition) {
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(requests_.at(request));
    int answer = -1;
    OnEngineThread([&] {
        const std::u16string target = u"https://example.test/popup.html";
        const cef_string_t url = EngineStringView(target);
        const cef_string_t name{};
        cef_popup_features_t features{};
        cef_window_info_t window_info{};
        cef_client_t* client = nullptr;
        cef_browser_settings_t settings{};
        cef_dictionary_value_t* extra_info = nullptr;
        int no_javascript_access = 0;
        answer = handler->on_before_popup(handler.get(), browser.NewReference(),
                                          browser.Frame().NewReference(), &url, &name, disposition,
                                          0, &features, &window_info, &client, &settings,
                                          &extra_info, &no_javascript_access);
    });
    return answer;
}

int FakeEngine::ReportClosed(std::size_t request, FakeBrowser& browser) {
    HeldReference<cef_life_span_handler_t> handler = LifeSpanHandlerOf(requests_.at(request));
    int answer = -1;
    OnEngineThread([&] {
        answer = handler->do_close(handler.get(), browser.NewReference());
        handler->on_before_close(handler.get(), browser.NewReference());
    });
    return answer;
}

void FakeEngine::Deliver(const HeldReference<cef_string_visitor_t>& visitor,
                         const std::u16string& text) {
    OnEngineThread([&] {
        const cef_string_t string = EngineStringView(text);
        visitor->visit(visitor.get(), &string);
    });
}

}  // namespace quillmoor::browser_test
