// Which new windows a page may open from the hidden browser: both front ends answer the
// engine's new-window question with this rule.
#pragma once

#include "handlers/browser_events.h"

namespace quillmoor {

// True (cancel) exactly for a new tab or window: dispositions 3 to 6 (new foreground tab,
// new background tab, new popup, new window). Any thread.
bool CancelsNewWindow(const PopupRequest& request);

}  // namespace quillmoor
