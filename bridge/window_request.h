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

    // A link with a target (Chromium reports it with "noopener") opens a foreground tab; a
    // request for a window without menu, tool, status or scroll bars ("width=..."
    // and the like) is a popup; everything else is a new window.
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
