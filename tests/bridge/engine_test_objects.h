// The program's side of the engine interface, as the tests implement it: an application
// with a browser-process handler, a client with life-span and load handlers, and a
// string visitor. Every event is recorded with the thread it came on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge_test {

// The size of the program's page view, which the browsers of the tests take too.
inline constexpr int kViewWidth = 1038;
inline constexpr int kViewHeight = 594;

// The window record of a browser of the view's size.
inline cef_window_info_t ViewWindow() {
    cef_window_info_t window{};
    window.width = kViewWidth;
    window.height = kViewHeight;
    return window;
}

// Waits on a condition that engine callbacks change.
class Signal {
  public:
    // Runs change under the lock and wakes the waiters.
    void Change(const std::function<void()>& change);
    // True when done() became true before timeout.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    std::mutex& Mutex() { return mutex_; }
    // A copy of value, a member guarded by this signal, taken under the lock.
    template <typename T>
    T Read(const T& value) {
        std::lock_guard lock(mutex_);
        return value;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

class TestProcessHandler : public EngineObject<cef_browser_process_handler_t> {
  public:
    TestProcessHandler();
    bool WaitForContext(std::chrono::milliseconds timeout);
    std::thread::id ContextThread();

  private:
    Signal signal_;
    bool context_ = false;
    std::thread::id context_thread_;
};

class TestApp : public EngineObject<cef_app_t> {
  public:
    // switches: added to the command line in the before-command-line-processing callback.
    explicit TestApp(std::vector<std::string> switches = {});
    TestProcessHandler& Handler() { return *handler_; }
    int CommandLineCalls() const { return command_line_calls_; }
    std::u16string ProcessType() const { return process_type_; }

  private:
    EngineObjectPtr<TestProcessHandler> handler_;
    std::vector<std::string> switches_;
    int command_line_calls_ = 0;
    std::u16string process_type_ = u"<not called>";
};

struct LoadEnd {
    long long frame_identifier;
    bool main;
    std::string url;
    int status;
    std::thread::id thread;
};

struct LoadError {
    bool main;
    int code;
    std::string text;
    std::string failed_url;
    std::thread::id thread;
};

struct PopupRequest {
    std::string url;
    std::string frame_name;
    cef_window_open_disposition_t disposition;
    int user_gesture;
    cef_popup_features_t features;
    bool opener_frame_is_main;
};

class TestClient : public EngineObject<cef_client_t> {
  public:
    // allow_popup: answers on_before_popup; the default cancels what the program cancels
    // (dispositions 3 to 6).
    explicit TestClient(std::function<bool(cef_window_open_disposition_t)> allow_popup = {});
    ~TestClient() override;

    bool WaitForBrowsers(std::size_t count, std::chrono::milliseconds timeout);
    bool WaitForLoadEnds(std::size_t count, std::chrono::milliseconds timeout);
    bool WaitForPopups(std::size_t count, std::chrono::milliseconds timeout);
    bool WaitForClosed(std::size_t count, std::chrono::milliseconds timeout);

    // The first browser reported created, with a reference for the caller's holder.
    cef_browser_t* Browser(std::size_t index = 0);
    std::vector<std::thread::id> CreatedThreads();
    std::vector<LoadEnd> LoadEnds();
    std::vector<LoadError> LoadErrors();
    int LoadStarts();
    // Every loading state reported, in order.
    std::vector<bool> LoadingStates();
    // Waits until the latest loading state reported says the browser is not loading.
    bool WaitForIdle(std::chrono::milliseconds timeout);
    std::vector<PopupRequest> Popups();
    int DoCloseCalls();
    int BeforeCloseCalls();
    // Forgets the load ends, errors, starts and loading states so far.
    void ForgetLoadEnds();
    // Releases the browsers kept from on_after_created.
    void ReleaseBrowsers();

  private:
    class LifeSpan;
    class Load;
    Signal signal_;
    std::function<bool(cef_window_open_disposition_t)> allow_popup_;
    EngineObjectPtr<LifeSpan> life_span_;
    EngineObjectPtr<Load> load_;
    std::vector<cef_browser_t*> browsers_;
    std::vector<std::thread::id> created_threads_;
    std::vector<LoadEnd> load_ends_;
    std::vector<LoadError> load_errors_;
    int load_starts_ = 0;
    std::vector<bool> loading_states_;
    std::vector<PopupRequest> popups_;
    int do_close_ = 0;
    int before_close_ = 0;
};

class TestVisitor : public EngineObject<cef_string_visitor_t> {
  public:
    TestVisitor();
    bool WaitForVisit(std::chrono::milliseconds timeout);
    std::string Text();
    int Visits();
    std::thread::id Thread();

  private:
    Signal signal_;
    std::string text_;
    int visits_ = 0;
    std::thread::id thread_;
};

// Helpers on the engine's objects, releasing what the getters hand out.
std::string TextOf(cef_string_userfree_t text);
// main frame: load_url, execute_java_script.
void LoadUrl(cef_browser_t* browser, const std::string& address);
void RunScript(cef_browser_t* browser, const std::string& code);
// get_source of the main frame, waited for; empty when nothing came.
std::string SourceOf(cef_browser_t* browser, std::chrono::milliseconds timeout);

}  // namespace quillmoor::bridge_test
