#include "bridge/window_request.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quillmoor::bridge {

WindowRequest WindowRequest::FromWindowOpen(const nlohmann::json& params) {
    WindowRequest request;
    request.known_ = true;
    request.url_ = params.value("url", "");
    request.window_name_ = params.value("windowName", "");
    request.user_gesture_ = params.value("userGesture", false);
    if (auto features = params.find("windowFeatures");
        features != params.end() && features->is_array()) {
        for (const auto& feature : *features) {
            if (feature.is_string()) {
                request.features_.push_back(feature.get<std::string>());
            }
        }
    }
    return request;
}

bool WindowRequest::Has(const char* feature) const {
    return std::find(features_.begin(), features_.end(), feature) != features_.end();
}

bool WindowRequest::NumberOf(const char* name, int& value) const {
    const std::size_t length = std::strlen(name);
    for (const std::string& feature : features_) {
        if (feature.size() > length + 1 && feature.compare(0, length, name) == 0 &&
            feature[length] == '=') {
            const char* first = feature.data() + length + 1;
            const char* last = feature.data() + feature.size();
            auto [end, error] = std::from_chars(first, last, value);
            return error == std::errc() && end == last;
        }
    }
    return false;
}

cef_window_open_disposition_t WindowRequest::Disposition() const {
    if (!known_) {
        return WOD_NEW_WINDOW;
    }
    const bool all_bars = Has("menubar") && Has("toolbar") && Has("status") && Has("scrollbars");
    if (!all_bars) {
        return WOD_NEW_POPUP;
    }
    return Has("noopener") ? WOD_NEW_FOREGROUND_TAB : WOD_NEW_WINDOW;
}

cef_popup_features_t WindowRequest::PopupFeatures() const {
    cef_popup_features_t features{};
    features.xSet = NumberOf("left", features.x) ? 1 : 0;
    features.ySet = NumberOf("top", features.y) ? 1 : 0;
    features.widthSet = NumberOf("width", features.width) ? 1 : 0;
    features.heightSet = NumberOf("height", features.height) ? 1 : 0;
    if (!known_) {
        features.menuBarVisible = features.statusBarVisible = features.toolBarVisible =
            features.scrollbarsVisible = 1;
        return features;
    }
    features.menuBarVisible = Has("menubar") ? 1 : 0;
    features.statusBarVisible = Has("status") ? 1 : 0;
    features.toolBarVisible = Has("toolbar") ? 1 : 0;
    features.scrollbarsVisible = Has("scrollbars") ? 1 : 0;
    return features;
}

}  // namespace quillmoor::bridge
