// A new window that a page asks for, as Chromium reports it before the window exists
// (the opener's Page.windowOpen), and the engine's view of it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/cef_base_types.h"

namespace quillmoor::bridge {

class WindowRequest {
  public:
    WindowRequest() = default;  // nothing known: a plain new window
    // From the parameters of Page.windowOpen.
    static WindowRequest FromWindowOpen(const nlohmann::json& params);

    const std::string& Url() const { return url_; }
    const std::string& WindowName() const { return window_name_; }
    bool UserGesture() const { return user_gesture_; }

    // True when the opener gets the new window (window.open without "noopener").
    bool KeepsOpener() const;
    // As Chromium decides it: a window that the page asked to be a popup (Chromium
    // reports it without menu, tool, status and scroll bars: window features such as
    // "width=...") is a popup; every other new window (window.open without features, a
    // link with a target) opens as a new foreground tab. Nothing clicks in a browser that
    // nobody sees, so no key or button turns a request into a new window or a background
    // tab.
    cef_window_open_disposition_t Disposition() const;
    // The position, size and bars the page asked for.
    cef_popup_features_t PopupFeatures() const;

  private:
    bool Has(const char* feature) const;
    // The number after "name=", when the page gave one.
    bool NumberOf(const char* name, int& value) const;

    std::string url_;
    std::string window_name_;
    bool user_gesture_ = false;
    bool known_ = false;
    std::vector<std::string> features_;
};

}  // namespace quillmoor::bridge
