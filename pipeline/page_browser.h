// The hidden browser as the page run drives it.
#pragma once

#include <string>

namespace quillmoor {

// The commands of the hidden browser window. All are called on the GUI thread and return
// at once; what they cause in the page shows only later, through the job signals (see
// JobSignals), which the window's engine handlers set on the engine's thread. None of
// them dispatches messages: the run pumps around them itself where it has to.
//
// The window program fills it with the hidden browser window; the tests with a scripted
// browser.
class PageBrowser {
  public:
    virtual ~PageBrowser() = default;

    // Puts path (a plain file-system path) into the address box and presses Go: the main
    // frame loads it. Nothing happens while the browser is not ready; the box keeps the
    // path, and the first navigation after the browser is created loads it.
    virtual void Navigate(const std::u16string& path) = 0;

    // Runs the script that clicks the first entry of the widget's language menu.
    virtual void PickLanguage() = 0;

    // Run the scroll scripts: to the height of the body, to half of it, to the start.
    virtual void ScrollToBottom() = 0;
    virtual void ScrollToMiddle() = 0;
    virtual void ScrollToTop() = 0;

    // Asks the engine for the markup of the main frame's current document. It arrives
    // later through JobSignals::OnMarkupDelivered, or never (no ready browser, no valid
    // main frame, a page whose scripts never yield).
    virtual void RetrieveMarkup() = 0;

    // Starts replacing the browser, whose page may no longer answer: closes the current
    // browser (without waiting for its page) and asks the engine for a new one, retrying
    // until the engine accepts. The address box is set back to "about:blank" first, so
    // the new browser does not load the page that hung the old one. From this call on,
    // IsReady is false until the new browser has been reported created. The run waits for
    // that itself, dispatching messages meanwhile.
    virtual void ReplaceBrowser() = 0;

    // True when the engine has reported the browser created and it is not closing.
    virtual bool IsReady() const = 0;

    // Whether the main frame still shows the document that Navigate(path) loaded: the file
    // address of path, whatever fragment the page gave itself. False once the page went
    // elsewhere (a refresh, a redirect, a script that set its location) or without a browser.
    virtual bool ShowsPage(const std::u16string& path) const = 0;
};

// Declares every method of PageBrowser as an override, in a class that implements them all.
#define QUILLMOOR_PAGE_BROWSER_OVERRIDES                \
    void Navigate(const std::u16string& path) override; \
    void PickLanguage() override;                       \
    void ScrollToBottom() override;                     \
    void ScrollToMiddle() override;                     \
    void ScrollToTop() override;                        \
    void RetrieveMarkup() override;                     \
    void ReplaceBrowser() override;                     \
    bool IsReady() const override;                      \
    bool ShowsPage(const std::u16string& path) const override

}  // namespace quillmoor
