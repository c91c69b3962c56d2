// The page run's browser in the Win32 front end: the hidden browser window, driven through
// its address box, its Go button and its page commands.
#pragma once

#include "pipeline/page_browser.h"
#include "platform/thread_owner.h"
#include "win/host/tfrm_simple_browser.h"

namespace quillmoor::win {

class PageBrowserWindow final : public PageBrowser {
  public:
    // window must outlive this object. GUI thread, as every command (each checks it).
    explicit PageBrowserWindow(TfrmSimpleBrowser& window) : window_(window) {}

    QUILLMOOR_PAGE_BROWSER_OVERRIDES;

  private:
    // The GUI thread, which made this object.
    ThreadOwner owner_;
    TfrmSimpleBrowser& window_;  // GUI thread
};

}  // namespace quillmoor::win
