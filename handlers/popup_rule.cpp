#include "handlers/popup_rule.h"

namespace quillmoor {

bool CancelsNewWindow(const PopupRequest& request) {
    switch (request.target_disposition) {
        case WOD_NEW_FOREGROUND_TAB:
        case WOD_NEW_BACKGROUND_TAB:
        case WOD_NEW_POPUP:
        case WOD_NEW_WINDOW:
            return true;
        default:
            return false;
    }
}

}  // namespace quillmoor
