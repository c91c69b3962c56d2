#include "win/host/hidden_browser.h"

namespace quillmoor::win {

HiddenBrowser::HiddenBrowser(RunningEngine& engine, RunClock* clock)
    : clock_(clock != nullptr ? *clock : steady_clock_),
      window_(&engine, signals_, clock_),
      browser_(window_) {}

bool HiddenBrowser::IsReady() const {
    owner_.Check();
    return browser_.IsReady();
}

bool HiddenBrowser::WaitUntilReady(std::chrono::milliseconds limit) {
    owner_.Check();
    const auto start = std::chrono::steady_clock::now();
    while (!browser_.IsReady() && !flags_.CancelRequested() &&
           std::chrono::steady_clock::now() - start < limit) {
        pump_.Pump();
        clock_.Sleep(kPollSleep);
    }
    return browser_.IsReady();
}

PageRun HiddenBrowser::MakeRun(RunProgressView& view, PageBrowser* browser) {
    owner_.Check();
    return PageRun(browser != nullptr ? *browser : browser_, clock_, pump_, view, signals_, flags_);
}

}  // namespace quillmoor::win
