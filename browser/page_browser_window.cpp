#include "browser/page_browser_window.h"

#include "browser/page_scripts.h"

namespace quillmoor {

void PageBrowserWindow::Navigate(const std::u16string& path) {
    window_.AddressEdt()->setText(QStringView(path).toString());
    window_.GoBtnClick();
}

void PageBrowserWindow::PickLanguage() {
    window_.btn10Click();
}

// The page run pumps around the scrolls itself: the scripts run without the pumps of the
// window's buttons.
void PageBrowserWindow::ScrollToBottom() {
    window_.RunPageScript(kScrollToBottomScript);
}

void PageBrowserWindow::ScrollToMiddle() {
    window_.RunPageScript(kScrollToMiddleScript);
}

void PageBrowserWindow::ScrollToTop() {
    window_.RunPageScript(kScrollToTopScript);
}

void PageBrowserWindow::RetrieveMarkup() {
    window_.btn9Click();
}

void PageBrowserWindow::ReplaceBrowser() {
    window_.ReplaceBrowser();
}

bool PageBrowserWindow::IsReady() const {
    return window_.ChromiumWindow1()->Initialized();
}

}  // namespace quillmoor
