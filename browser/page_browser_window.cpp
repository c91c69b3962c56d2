#include "browser/page_browser_window.h"

#include "handlers/engine_address.h"
#include "handlers/page_scripts.h"

namespace quillmoor {

void PageBrowserWindow::Navigate(const std::u16string& path) {
    owner_.Check();
    window_.AddressEdt()->setText(QStringView(path).toString());
    window_.GoBtnClick();
}

void PageBrowserWindow::PickLanguage() {
    owner_.Check();
    window_.btn10Click();
}

// The page run pumps around the scrolls itself: the scripts run without the pumps of the
// window's buttons.
void PageBrowserWindow::ScrollToBottom() {
    owner_.Check();
    window_.RunPageScript(kScrollToBottomScript);
}

void PageBrowserWindow::ScrollToMiddle() {
    owner_.Check();
    window_.RunPageScript(kScrollToMiddleScript);
}

void PageBrowserWindow::ScrollToTop() {
    owner_.Check();
    window_.RunPageScript(kScrollToTopScript);
}

void PageBrowserWindow::RetrieveMarkup() {
    owner_.Check();
    window_.btn9Click();
}

void PageBrowserWindow::ReplaceBrowser() {
    owner_.Check();
    window_.ReplaceBrowser();
}

bool PageBrowserWindow::IsReady() const {
    owner_.Check();
    return window_.ChromiumWindow1()->Initialized();
}

bool PageBrowserWindow::ShowsPage(const std::u16string& path) const {
    owner_.Check();
    return IsReady() && IsSameDocumentAddress(window_.ChromiumWindow1()->MainFrameAddress(),
                                              EngineAddressOf(path));
}

}  // namespace quillmoor
