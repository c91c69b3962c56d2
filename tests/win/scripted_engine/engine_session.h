// The scripted engine as a program meets it: a fresh folder that holds every file of the
// engine distribution the start-up checks for (placeholders) with the scripted engine as its
// libcef.dll, the engine loaded from there by its bare name and started. At the end the
// engine is shut down, every reference to the library is given back (so that the next
// session loads it anew) and the folder is removed.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/held_reference.h"
#include "platform/no_copy.h"
#include "startup/engine_entry_points.h"
#include "startup/tcef_application.h"
#include "tests/startup/capturing_reporter.h"
#include "tests/startup/fixture_folder.h"
#include "tests/win/scripted_engine/recording_client.h"
#include "tests/win/scripted_engine/text_catcher.h"

namespace quillmoor::scripted_engine_test {

// The built library, as this test program sees its path.
std::filesystem::path BuiltLibrary();

class EngineSession {
  public:
    // How the engine is started.
    enum class Start {
        // As the program starts it: TCefApplication (files check, version record, binaries,
        // load, entry points, cef_execute_process, cef_initialize with the program's
        // settings, whose message loop is the engine's own thread), and its context notice.
        kAsTheProgram,
        // Loaded and initialised directly without multi_threaded_message_loop: the engine
        // works only inside cef_do_message_loop_work on the test's thread.
        kPumped,
    };

    explicit EngineSession(Start start = Start::kAsTheProgram);
    ~EngineSession();
    QUILLMOOR_NO_COPY(EngineSession);

    // False (with the reason in Failure) when the engine did not start.
    bool Started() const { return started_; }
    const std::string& Failure() const { return failure_; }
    const EngineEntryPoints& Engine() const { return entry_points_; }
    const std::filesystem::path& Folder() const { return folder_.path(); }
    std::filesystem::path LibraryPath() const { return folder_.path() / "libcef.dll"; }
    TCefApplication* Application() const { return application_.get(); }
    const test_support::CapturingReporter& Reporter() const { return reporter_; }

    // What a wait runs between its questions: in the pumped mode the engine's work.
    std::function<void()> Pump() const;

    // ---- Browsers with a recording client ----
    // Asks for a browser (cef_browser_host_create_browser) that starts at url, and waits
    // until it is reported created; null when it was not.
    HeldReference<cef_browser_t> CreateBrowser(const std::shared_ptr<Recorder>& recorder,
                                               const std::u16string& url = u"about:blank");
    // The main frame's markup (get_source), waited for.
    std::optional<std::u16string> Markup(const HeldReference<cef_browser_t>& browser) const;
    // The main frame's address.
    std::u16string Address(const HeldReference<cef_browser_t>& browser) const;
    void Navigate(const HeldReference<cef_browser_t>& browser, const std::u16string& address) const;
    void RunScript(const HeldReference<cef_browser_t>& browser, std::u16string_view code) const;
    // Closes the browser (forced) through its host.
    void Close(const HeldReference<cef_browser_t>& browser) const;

    // Shuts the engine down now (the destructor then only unloads).
    void Shutdown();
    // A recorder whose browsers the session gives back before it unloads the library.
    std::shared_ptr<Recorder> NewRecorder();

  private:
    test_support::FixtureFolder folder_;
    test_support::CapturingReporter reporter_;
    std::unique_ptr<TCefApplication> application_;
    EngineEntryPoints entry_points_;
    void* library_ = nullptr;  // the pumped mode's own load
    void (*do_message_loop_work_)() = nullptr;
    bool started_ = false;
    bool shut_down_ = false;
    std::vector<std::shared_ptr<Recorder>> recorders_;
    std::string failure_;
};

}  // namespace quillmoor::scripted_engine_test
