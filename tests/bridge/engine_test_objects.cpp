#include "tests/bridge/engine_test_objects.h"

#include "bridge/engine_strings.h"
#include "bridge/held_reference.h"
#include "engine/engine_string.h"
#include "platform/utf.h"
#include "tests/bridge/engine_library.h"

namespace quillmoor::bridge_test {

namespace {

template <typename T>
void ReleaseReference(T* object) {
    ReleaseEngineReference(object);
}

}  // namespace

// ---- Signal ---------------------------------------------------------------------------------

void Signal::Change(const std::function<void()>& change) {
    {
        std::lock_guard lock(mutex_);
        change();
    }
    changed_.notify_all();
}

bool Signal::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, done);
}

// ---- Application ----------------------------------------------------------------------------

TestProcessHandler::TestProcessHandler() {
    Table().on_context_initialized = [](cef_browser_process_handler_t* self) {
        auto* handler = Self<TestProcessHandler>(self);
        handler->signal_.Change([handler] {
            handler->context_ = true;
            handler->context_thread_ = std::this_thread::get_id();
        });
    };
}

bool TestProcessHandler::WaitForContext(std::chrono::milliseconds timeout) {
    return signal_.WaitFor([this] { return context_; }, timeout);
}

std::thread::id TestProcessHandler::ContextThread() {
    return signal_.Read(context_thread_);
}

TestApp::TestApp(std::vector<std::string> switches)
    : handler_(EngineObjectPtr<TestProcessHandler>::Make()), switches_(std::move(switches)) {
    Table().on_before_command_line_processing = [](cef_app_t* self,
                                                   const cef_string_t* process_type,
                                                   cef_command_line_t* command_line) {
        auto* app = Self<TestApp>(self);
        ++app->command_line_calls_;
        app->process_type_ = FromEngineString(process_type);
        for (const std::string& text : app->switches_) {
            const std::size_t equals = text.find('=');
            const std::u16string name = Utf8ToUtf16(text.substr(0, equals));
            cef_string_t name_string = EngineStringView(name);
            if (equals == std::string::npos) {
                command_line->append_switch(command_line, &name_string);
            } else {
                const std::u16string value = Utf8ToUtf16(text.substr(equals + 1));
                cef_string_t value_string = EngineStringView(value);
                command_line->append_switch_with_value(command_line, &name_string, &value_string);
            }
        }
        ReleaseReference(command_line);
    };
    Table().get_browser_process_handler = [](cef_app_t* self) -> cef_browser_process_handler_t* {
        return Self<TestApp>(self)->handler_->NewReference();
    };
}

// ---- Client ---------------------------------------------------------------------------------

class TestClient::LifeSpan : public EngineObject<cef_life_span_handler_t> {
  public:
    explicit LifeSpan(TestClient* client) : client_(client) {
        Table().on_after_created = [](cef_life_span_handler_t* self, cef_browser_t* browser) {
            TestClient* client = Self<LifeSpan>(self)->client_;
            client->signal_.Change([&] {
                client->browsers_.push_back(browser);  // keeps the reference it came with
                client->created_threads_.push_back(std::this_thread::get_id());
            });
        };
        Table().on_before_popup =
            [](cef_life_span_handler_t* self, cef_browser_t* browser, cef_frame_t* frame,
               const cef_string_t* target_url, const cef_string_t* target_frame_name,
               cef_window_open_disposition_t disposition, int user_gesture,
               const cef_popup_features_t* features, cef_window_info_t*, cef_client_t**,
               cef_browser_settings_t*, cef_dictionary_value_t**, int*) {
                TestClient* client = Self<LifeSpan>(self)->client_;
                PopupRequest request{bridge::Utf8Of(target_url),
                                     bridge::Utf8Of(target_frame_name),
                                     disposition,
                                     user_gesture,
                                     *features,
                                     frame != nullptr && frame->is_main(frame) != 0};
                ReleaseReference(browser);
                ReleaseReference(frame);
                const bool allow = client->allow_popup_ ? client->allow_popup_(disposition)
                                                        : !(disposition >= WOD_NEW_FOREGROUND_TAB &&
                                                            disposition <= WOD_NEW_WINDOW);
                client->signal_.Change([&] { client->popups_.push_back(request); });
                return allow ? 0 : 1;
            };
        Table().do_close = [](cef_life_span_handler_t* self, cef_browser_t* browser) {
            TestClient* client = Self<LifeSpan>(self)->client_;
            ReleaseReference(browser);
            client->signal_.Change([&] { ++client->do_close_; });
            return 0;
        };
        Table().on_before_close = [](cef_life_span_handler_t* self, cef_browser_t* browser) {
            TestClient* client = Self<LifeSpan>(self)->client_;
            ReleaseReference(browser);
            client->signal_.Change([&] { ++client->before_close_; });
        };
    }

  private:
    TestClient* client_;
};

class TestClient::Load : public EngineObject<cef_load_handler_t> {
  public:
    explicit Load(TestClient* client) : client_(client) {
        Table().on_load_end = [](cef_load_handler_t* self, cef_browser_t* browser,
                                 cef_frame_t* frame, int status) {
            TestClient* client = Self<Load>(self)->client_;
            LoadEnd end{frame->get_identifier(frame), frame->is_main(frame) != 0,
                        TextOf(frame->get_url(frame)), status, std::this_thread::get_id()};
            ReleaseReference(browser);
            ReleaseReference(frame);
            client->signal_.Change([&] { client->load_ends_.push_back(end); });
        };
        Table().on_load_error = [](cef_load_handler_t* self, cef_browser_t* browser,
                                   cef_frame_t* frame, cef_errorcode_t code,
                                   const cef_string_t* text, const cef_string_t* failed_url) {
            TestClient* client = Self<Load>(self)->client_;
            LoadError error{frame->is_main(frame) != 0, static_cast<int>(code),
                            bridge::Utf8Of(text), bridge::Utf8Of(failed_url),
                            std::this_thread::get_id()};
            ReleaseReference(browser);
            ReleaseReference(frame);
            client->signal_.Change([&] { client->load_errors_.push_back(error); });
        };
        Table().on_load_start = [](cef_load_handler_t* self, cef_browser_t* browser,
                                   cef_frame_t* frame, cef_transition_type_t) {
            TestClient* client = Self<Load>(self)->client_;
            ReleaseReference(browser);
            ReleaseReference(frame);
            client->signal_.Change([&] { ++client->load_starts_; });
        };
        Table().on_loading_state_change = [](cef_load_handler_t* self, cef_browser_t* browser,
                                             int loading, int, int) {
            TestClient* client = Self<Load>(self)->client_;
            ReleaseReference(browser);
            client->signal_.Change([&] { client->loading_states_.push_back(loading != 0); });
        };
    }

  private:
    TestClient* client_;
};

TestClient::TestClient(std::function<bool(cef_window_open_disposition_t)> allow_popup)
    : allow_popup_(std::move(allow_popup)),
      life_span_(EngineObjectPtr<LifeSpan>::Make(this)),
      load_(EngineObjectPtr<Load>::Make(this)) {
    Table().get_life_span_handler = [](cef_client_t* self) -> cef_life_span_handler_t* {
        return Self<TestClient>(self)->life_span_->NewReference();
    };
    Table().get_load_handler = [](cef_client_t* self) -> cef_load_handler_t* {
        return Self<TestClient>(self)->load_->NewReference();
    };
}

TestClient::~TestClient() {
    ReleaseBrowsers();
}

bool TestClient::WaitForBrowsers(std::size_t count, std::chrono::milliseconds timeout) {
    return signal_.WaitFor([&] { return browsers_.size() >= count; }, timeout);
}

bool TestClient::WaitForLoadEnds(std::size_t count, std::chrono::milliseconds timeout) {
    return signal_.WaitFor([&] { return load_ends_.size() >= count; }, timeout);
}

bool TestClient::WaitForPopups(std::size_t count, std::chrono::milliseconds timeout) {
    return signal_.WaitFor([&] { return popups_.size() >= count; }, timeout);
}

bool TestClient::WaitForClosed(std::size_t count, std::chrono::milliseconds timeout) {
    return signal_.WaitFor([&] { return static_cast<std::size_t>(before_close_) >= count; },
                           timeout);
}

cef_browser_t* TestClient::Browser(std::size_t index) {
    std::lock_guard lock(signal_.Mutex());
    if (index >= browsers_.size()) {
        return nullptr;
    }
    cef_browser_t* browser = browsers_[index];
    browser->base.add_ref(&browser->base);
    return browser;
}

std::vector<std::thread::id> TestClient::CreatedThreads() {
    return signal_.Read(created_threads_);
}

std::vector<LoadEnd> TestClient::LoadEnds() {
    return signal_.Read(load_ends_);
}

std::vector<LoadError> TestClient::LoadErrors() {
    return signal_.Read(load_errors_);
}

int TestClient::LoadStarts() {
    return signal_.Read(load_starts_);
}

std::vector<bool> TestClient::LoadingStates() {
    return signal_.Read(loading_states_);
}

bool TestClient::WaitForIdle(std::chrono::milliseconds timeout) {
    return signal_.WaitFor([&] { return !loading_states_.empty() && !loading_states_.back(); },
                           timeout);
}

std::vector<PopupRequest> TestClient::Popups() {
    return signal_.Read(popups_);
}

int TestClient::DoCloseCalls() {
    return signal_.Read(do_close_);
}

int TestClient::BeforeCloseCalls() {
    return signal_.Read(before_close_);
}

void TestClient::ForgetLoadEnds() {
    std::lock_guard lock(signal_.Mutex());
    load_ends_.clear();
    load_errors_.clear();
    load_starts_ = 0;
    loading_states_.clear();
}

void TestClient::ReleaseBrowsers() {
    std::vector<cef_browser_t*> browsers;
    {
        std::lock_guard lock(signal_.Mutex());
        browsers.swap(browsers_);
    }
    for (cef_browser_t* browser : browsers) {
        ReleaseReference(browser);
    }
}

// ---- Visitor --------------------------------------------------------------------------------

TestVisitor::TestVisitor() {
    Table().visit = [](cef_string_visitor_t* self, const cef_string_t* text) {
        auto* visitor = Self<TestVisitor>(self);
        const std::string copy = bridge::Utf8Of(text);
        visitor->signal_.Change([&] {
            visitor->text_ = copy;
            ++visitor->visits_;
            visitor->thread_ = std::this_thread::get_id();
        });
    };
}

bool TestVisitor::WaitForVisit(std::chrono::milliseconds timeout) {
    return signal_.WaitFor([this] { return visits_ > 0; }, timeout);
}

std::string TestVisitor::Text() {
    return signal_.Read(text_);
}

int TestVisitor::Visits() {
    return signal_.Read(visits_);
}

std::thread::id TestVisitor::Thread() {
    return signal_.Read(thread_);
}

// ---- Helpers --------------------------------------------------------------------------------

std::string TextOf(cef_string_userfree_t text) {
    const std::string copy = bridge::Utf8Of(text);
    EngineLibrary::Get().cef_string_userfree_utf16_free(text);
    return copy;
}

namespace {

cef_frame_t* MainFrameOf(cef_browser_t* browser) {
    return browser->get_main_frame(browser);
}

}  // namespace

void LoadUrl(cef_browser_t* browser, const std::string& address) {
    cef_frame_t* frame = MainFrameOf(browser);
    const std::u16string text = Utf8ToUtf16(address);
    cef_string_t url = EngineStringView(text);
    frame->load_url(frame, &url);
    ReleaseReference(frame);
}

void RunScript(cef_browser_t* browser, const std::string& code) {
    cef_frame_t* frame = MainFrameOf(browser);
    const std::u16string text = Utf8ToUtf16(code);
    const std::u16string address = u"about:blank";
    cef_string_t script = EngineStringView(text);
    cef_string_t script_url = EngineStringView(address);
    frame->execute_java_script(frame, &script, &script_url, 0);
    ReleaseReference(frame);
}

std::string SourceOf(cef_browser_t* browser, std::chrono::milliseconds timeout) {
    auto visitor = EngineObjectPtr<TestVisitor>::Make();
    cef_frame_t* frame = MainFrameOf(browser);
    frame->get_source(frame, visitor->NewReference());
    ReleaseReference(frame);
    return visitor->WaitForVisit(timeout) ? visitor->Text() : std::string();
}

}  // namespace quillmoor::bridge_test
