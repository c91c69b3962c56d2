#include "handlers/browser_host.h"

#include "engine/engine_string.h"
#include "handlers/browser_client.h"
#include "handlers/engine_address.h"
#include "handlers/string_visitor.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillmoor {
namespace {

constexpr std::u16string_view kInitialAddress = u"about:blank";

}  // namespace

BrowserHost::BrowserHost(RunningEngine* engine, NoticePoster post_notice)
    : engine_(engine), post_notice_(std::move(post_notice)) {}

std::shared_ptr<const BrowserEvents> BrowserHost::MakeEvents() {
    auto events = std::make_shared<BrowserEvents>();
    events->on_load_end = OnLoadEnd;
    events->on_text_result_available = OnTextResultAvailable;
    events->on_before_popup = OnBeforePopup;
    events->on_before_close = OnBeforeClose;
    // The notices run on the GUI thread, and only while this host lives: the poster stops
    // taking them, and drops those still queued, before the host goes.
    const NoticePoster post = post_notice_;
    events->hand_over_after_created = [this, post](HeldReference<cef_browser_t> browser) {
        post([this, browser] { BrowserCreated(browser); });
    };
    if (OnClose) {
        events->hand_over_close = [this, post](HeldReference<cef_browser_t> browser) {
            const int identifier = browser ? browser->get_identifier(browser.get()) : 0;
            post([this, identifier] { BrowserClosing(identifier); });
        };
    }
    events->hand_over_closed = [this, post](int identifier) {
        post([this, identifier] { BrowserGone(identifier); });
    };
    return events;
}

bool BrowserHost::CreateBrowser(const cef_window_info_t& window_info) {
    owner_.Check();
    if (state_ != BrowserState::kAbsent || browser_) {
        return false;
    }
    if (engine_ == nullptr || !engine_->GlobalContextInitialized()) {
        return false;
    }
    const EngineEntryPoints& engine = engine_->EntryPoints();
    if (engine.cef_browser_host_create_browser == nullptr) {
        return false;
    }
    std::shared_ptr<const BrowserEvents> events = MakeEvents();
    auto client = EngineObjectPtr<BrowserClient>::Make(events);
    if (!client) {
        return false;
    }
    cef_browser_settings_t settings{};
    settings.size = sizeof settings;
    const cef_string_t address = EngineStringView(kInitialAddress);
    cef_request_context_t* context = engine.cef_request_context_get_global_context != nullptr
                                         ? engine.cef_request_context_get_global_context()
                                         : nullptr;
    // The client and the request context go to the engine with a reference each.
    if (engine.cef_browser_host_create_browser(&window_info, client->NewReference(), &address,
                                               &settings, nullptr, context) == 0) {
        return false;
    }
    events_ = std::move(events);
    state_ = BrowserState::kRequested;
    return true;
}

void BrowserHost::BrowserCreated(HeldReference<cef_browser_t> browser) {
    owner_.Check();
    // Only the browser asked for becomes the host's; a window that a page opened (allowed
    // by OnBeforePopup) runs on without it.
    if (state_ != BrowserState::kRequested || !browser || browser->is_popup(browser.get()) != 0) {
        return;
    }
    browser_ = std::move(browser);
    browser_identifier_ = browser_->get_identifier(browser_.get());
    state_ = BrowserState::kReady;
    if (OnAfterCreated) {
        OnAfterCreated();
    }
}

void BrowserHost::BrowserClosing(int identifier) {
    owner_.Check();
    if (OnClose) {
        OnClose();
    }
#if !defined(_WIN32)
    (void)identifier;
#else
    // The close was answered "handled here": the engine waits for the browser's own window
    // to go.
    if (closing_browser_ &&
        identifier == closing_browser_->get_identifier(closing_browser_.get())) {
        if (cef_browser_host_t* host = closing_browser_->get_host(closing_browser_.get())) {
            const HWND window = host->get_window_handle(host);
            ReleaseEngineReference(host);
            if (window != nullptr) {
                DestroyWindow(window);
            }
        }
    }
#endif
}

void BrowserHost::BrowserGone(int identifier) {
    owner_.Check();
    if (identifier == 0) {
        return;
    }
    if (closing_browser_ &&
        identifier == closing_browser_->get_identifier(closing_browser_.get())) {
        closing_browser_.Reset();
    }
    if (identifier == browser_identifier_) {
        browser_.Reset();
        browser_identifier_ = 0;
        state_ = BrowserState::kAbsent;
    }
}

void BrowserHost::LoadURL(const std::u16string& text) {
    owner_.Check();
    HeldReference<cef_frame_t> frame = Initialized() ? MainFrame() : HeldReference<cef_frame_t>();
    if (!frame || frame->is_valid(frame.get()) == 0) {
        return;
    }
    const std::u16string address = EngineAddressOf(text);
    const cef_string_t url = EngineStringView(address);
    frame->load_url(frame.get(), &url);
}

void BrowserHost::RetrieveHTML() {
    owner_.Check();
    HeldReference<cef_frame_t> frame = Initialized() ? MainFrame() : HeldReference<cef_frame_t>();
    if (!frame || frame->is_valid(frame.get()) == 0) {
        return;
    }
    auto visitor = EngineObjectPtr<StringVisitor>::Make(events_);
    frame->get_source(frame.get(), visitor->NewReference());
}

void BrowserHost::NotifyMoveOrResizeStarted() {
    owner_.Check();
    if (!Initialized()) {
        return;
    }
    cef_browser_host_t* host = browser_->get_host(browser_.get());
    if (host != nullptr) {
        host->notify_move_or_resize_started(host);
        ReleaseEngineReference(host);
    }
}

HeldReference<cef_frame_t> BrowserHost::MainFrame() const {
    owner_.Check();
    if (!browser_) {
        return HeldReference<cef_frame_t>();
    }
    return HeldReference<cef_frame_t>::Adopt(browser_->get_main_frame(browser_.get()));
}

std::u16string BrowserHost::MainFrameAddress() const {
    owner_.Check();
    const HeldReference<cef_frame_t> frame = MainFrame();
    if (!frame || frame->get_url == nullptr || engine_ == nullptr) {
        return {};
    }
    cef_string_userfree_t address = frame->get_url(frame.get());
    std::u16string text = FromEngineString(address);
    if (address != nullptr && engine_->EntryPoints().cef_string_userfree_utf16_free != nullptr) {
        engine_->EntryPoints().cef_string_userfree_utf16_free(address);
    }
    return text;
}

cef_window_handle_t BrowserHost::BrowserWindow() const {
    owner_.Check();
    if (!browser_) {
        return cef_window_handle_t{};
    }
    cef_browser_host_t* host = browser_->get_host(browser_.get());
    if (host == nullptr) {
        return cef_window_handle_t{};
    }
    const cef_window_handle_t window = host->get_window_handle(host);
    ReleaseEngineReference(host);
    return window;
}

void BrowserHost::CloseBrowser() {
    owner_.Check();
    if (state_ != BrowserState::kReady) {
        return;
    }
    closing_browser_ = std::move(browser_);
    browser_.Reset();
    browser_identifier_ = 0;
    state_ = BrowserState::kAbsent;
    cef_browser_host_t* host = closing_browser_->get_host(closing_browser_.get());
    if (host != nullptr) {
        host->close_browser(host, 1);
        ReleaseEngineReference(host);
    }
}

}  // namespace quillmoor
