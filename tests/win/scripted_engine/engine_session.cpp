#include "tests/win/scripted_engine/engine_session.h"

#include <chrono>
#include <thread>

#include "engine/engine_string.h"
#include "platform/dynamic_library.h"
#include "startup/engine_app_handler.h"
#include "startup/engine_layout.h"
#include "tests/startup/engine_fixture.h"

namespace quillmoor::scripted_engine_test {

std::filesystem::path BuiltLibrary() {
    return std::filesystem::path(QUILLMOOR_SCRIPTED_ENGINE_DLL);
}

EngineSession::EngineSession(Start start) {
    test_support::WriteWindowsEngineFiles(folder_);
    std::filesystem::copy_file(BuiltLibrary(), LibraryPath(),
                               std::filesystem::copy_options::overwrite_existing);
    // The engine is found in the working directory by its bare name, as the program finds it.
    const test_support::WorkingDirectoryScope inside(folder_.path());
    if (start == Start::kAsTheProgram) {
        application_ = std::make_unique<TCefApplication>(ProcessArguments({u"quillmoor"}),
                                                         EngineLayout::Windows(), reporter_);
        started_ = application_->StartMainProcess();
        if (!started_) {
            failure_ = "the start-up ended with status " +
                       std::to_string(static_cast<int>(application_->Status()));
            return;
        }
        entry_points_ = application_->EntryPoints();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!application_->GlobalContextInitialized() &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (!application_->GlobalContextInitialized()) {
            started_ = false;
            failure_ = "the engine never reported its context initialised";
        }
        return;
    }
    const LibraryLoadResult loaded = LoadDynamicLibrary(u"libcef.dll");
    library_ = loaded.handle;
    if (library_ == nullptr) {
        failure_ = "the library did not load: " + loaded.reason;
        return;
    }
    const std::string missing = entry_points_.Resolve(library_);
    do_message_loop_work_ =
        reinterpret_cast<void (*)()>(FindLibraryEntryPoint(library_, "cef_do_message_loop_work"));
    if (!missing.empty() || do_message_loop_work_ == nullptr) {
        failure_ =
            "missing entry point " + (missing.empty() ? "cef_do_message_loop_work" : missing);
        return;
    }
    auto context = std::make_shared<std::atomic<bool>>(false);
    const auto app = EngineObjectPtr<EngineAppHandler>::Make(TCefProcessType::ptBrowser, context);
    cef_main_args_t args{};
    cef_settings_t settings = TCefApplication::DefaultSettings();
    settings.multi_threaded_message_loop = 0;
    if (entry_points_.cef_initialize(&args, &settings, app->NewReference(), nullptr) == 0) {
        failure_ = "cef_initialize refused";
        return;
    }
    // The context notice comes with the first pump.
    do_message_loop_work_();
    started_ = context->load();
    if (!started_) {
        failure_ = "no context notice in the first cef_do_message_loop_work";
    }
}

EngineSession::~EngineSession() {
    Shutdown();
    // The library's objects go back while its code is still there.
    for (const std::shared_ptr<Recorder>& recorder : recorders_) {
        recorder->ForgetBrowsers();
    }
    application_.reset();
    test_support::UnloadEngineLibraryIn(folder_.path());
}

void EngineSession::Shutdown() {
    if (shut_down_ || entry_points_.cef_shutdown == nullptr) {
        return;
    }
    shut_down_ = true;
    entry_points_.cef_shutdown();
}

std::shared_ptr<Recorder> EngineSession::NewRecorder() {
    recorders_.push_back(std::make_shared<Recorder>(entry_points_));
    return recorders_.back();
}

std::function<void()> EngineSession::Pump() const {
    if (do_message_loop_work_ == nullptr) {
        return {};
    }
    return [work = do_message_loop_work_] { work(); };
}

HeldReference<cef_browser_t> EngineSession::CreateBrowser(const std::shared_ptr<Recorder>& recorder,
                                                          const std::u16string& url) {
    const std::size_t before = recorder->Browsers().size();
    cef_window_info_t window_info{};
    cef_browser_settings_t settings{};
    settings.size = sizeof settings;
    const cef_string_t address = EngineStringView(url);
    if (entry_points_.cef_browser_host_create_browser(&window_info, NewRecordingClient(recorder),
                                                      &address, &settings, nullptr, nullptr) == 0) {
        return {};
    }
    if (!recorder->WaitUntil([&] { return recorder->Browsers().size() > before; },
                             std::chrono::seconds(20), Pump())) {
        return {};
    }
    return recorder->Browsers().at(before);
}

std::optional<std::u16string> EngineSession::Markup(
    const HeldReference<cef_browser_t>& browser) const {
    const auto frame = HeldReference<cef_frame_t>::Adopt(browser->get_main_frame(browser.get()));
    TextCatcher catcher;
    frame->get_source(frame.get(), catcher.Visitor());
    return catcher.Wait(std::chrono::seconds(20), Pump());
}

std::u16string EngineSession::Address(const HeldReference<cef_browser_t>& browser) const {
    const auto frame = HeldReference<cef_frame_t>::Adopt(browser->get_main_frame(browser.get()));
    cef_string_userfree_t url = frame->get_url(frame.get());
    std::u16string text = FromEngineString(url);
    entry_points_.cef_string_userfree_utf16_free(url);
    return text;
}

void EngineSession::Navigate(const HeldReference<cef_browser_t>& browser,
                             const std::u16string& address) const {
    const auto frame = HeldReference<cef_frame_t>::Adopt(browser->get_main_frame(browser.get()));
    const cef_string_t url = EngineStringView(address);
    frame->load_url(frame.get(), &url);
}

void EngineSession::RunScript(const HeldReference<cef_browser_t>& browser,
                              std::u16string_view code) const {
    const auto frame = HeldReference<cef_frame_t>::Adopt(browser->get_main_frame(browser.get()));
    const cef_string_t script = EngineStringView(code);
    const cef_string_t address = EngineStringView(u"about:blank");
    frame->execute_java_script(frame.get(), &script, &address, 0);
}

void EngineSession::Close(const HeldReference<cef_browser_t>& browser) const {
    cef_browser_host_t* host = browser->get_host(browser.get());
    host->close_browser(host, 1);
    ReleaseEngineReference(host);
}

}  // namespace quillmoor::scripted_engine_test
