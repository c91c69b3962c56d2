#include "browser/tfrm_simple_browser.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "engine/engine_string.h"
#include "handlers/page_scripts.h"
#include "handlers/popup_rule.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillmoor {
TfrmSimpleBrowser::TfrmSimpleBrowser(RunningEngine* engine, JobSignals& signals, RunClock& clock,
                                     QWidget* parent)
    : QWidget(parent), engine_(engine), signals_(signals), clock_(clock) {
    setWindowTitle(QStringView(kInitialCaption).toString());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    address_pnl_ = new QWidget(this);
    address_pnl_->setObjectName("AddressPnl");
    address_pnl_->setFixedHeight(kAddressPanelHeight);
    address_pnl_->setEnabled(false);
    auto* panel_layout = new QHBoxLayout(address_pnl_);
    panel_layout->setContentsMargins(kAddressPanelMargin, kAddressPanelMargin, kAddressPanelMargin,
                                     kAddressPanelMargin);
    panel_layout->setSpacing(0);
    address_edt_ = new QLineEdit(QStringView(kDefaultAddress).toString(), address_pnl_);
    address_edt_->setObjectName("AddressEdt");
    go_btn_ = new QPushButton("Go", address_pnl_);
    go_btn_->setObjectName("GoBtn");
    go_btn_->setFixedWidth(kGoButtonWidth);
    panel_layout->addWidget(address_edt_);
    panel_layout->addWidget(go_btn_);
    QObject::connect(go_btn_, &QPushButton::clicked, this, [this] { GoBtnClick(); });
    layout->addWidget(address_pnl_);

    chromium_window1_ = new TChromiumWindow(engine_, this);
    chromium_window1_->setObjectName("ChromiumWindow1");
    layout->addWidget(chromium_window1_, 1);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(kCreateRetryMilliseconds);
    QObject::connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // Client area 1038 x 624 in the centre of the screen; the layout is worked out now,
    // since the window is never shown.
    resize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - kClientWidth) / 2,
             area.y() + (area.height() - kClientHeight) / 2);
    }
    layout->activate();
    panel_layout->activate();

    FormCreate();
}

TfrmSimpleBrowser::~TfrmSimpleBrowser() = default;

void TfrmSimpleBrowser::FormCreate() {
    owner_.Check();
    TChromiumWindow& host = *chromium_window1_;
    JobSignals& signals = signals_;
    RunClock& clock = clock_;
    host.OnTextResultAvailable = [&signals, &clock](const std::u16string& text) {
        BrowserTextResultAvailable(signals, clock, text);
    };
    host.OnLoadEnd = [&signals, &clock](cef_browser_t*, cef_frame_t*, int) {
        BrowserLoadEnd(signals, clock);
    };
    host.OnBeforePopup = [](const PopupRequest& request) { return BrowserBeforePopup(request); };
    host.OnAfterCreated = [this] { ChromiumWindow1AfterCreated(); };
    host.OnClose = [this] { ChromiumWindow1Close(); };
    host.OnBeforeClose = [](cef_browser_t* browser) { ChromiumWindow1BeforeClose(browser); };
    if (!host.CreateBrowser()) {
        timer1_->start();
    }
}

void TfrmSimpleBrowser::Timer1Timer() {
    owner_.Check();
    timer1_->stop();
    if (!chromium_window1_->CreateBrowser() && !chromium_window1_->Initialized()) {
        timer1_->start();
    }
}

void TfrmSimpleBrowser::ChromiumWindow1AfterCreated() {
    owner_.Check();
    setWindowTitle(QStringView(kReadyCaption).toString());
    address_pnl_->setEnabled(true);
    go_btn_->click();
}

void TfrmSimpleBrowser::ChromiumWindow1Close() {
    owner_.Check();
}

void TfrmSimpleBrowser::ChromiumWindow1BeforeClose(cef_browser_t* /*browser*/) {}

void TfrmSimpleBrowser::GoBtnClick() {
    owner_.Check();
    chromium_window1_->LoadURL(address_edt_->text().toStdU16String());
}

void TfrmSimpleBrowser::btn9Click() {
    owner_.Check();
    chromium_window1_->RetrieveHTML();
}

void TfrmSimpleBrowser::btn10Click() {
    owner_.Check();
    RunPageScript(kPickLanguageScript);
    RunPageScript(kPickLanguageInCurrentMenuScript);
}

void TfrmSimpleBrowser::RunPageScript(std::u16string_view script) {
    owner_.Check();
    const HeldReference<cef_frame_t> frame = chromium_window1_->MainFrame();
    if (!frame) {
        return;
    }
    const cef_string_t code = EngineStringView(script);
    const cef_string_t address = EngineStringView(kPageScriptAddress);
    frame->execute_java_script(frame.get(), &code, &address, 0);
}

void TfrmSimpleBrowser::ReplaceBrowser() {
    owner_.Check();
    address_edt_->setText(QStringView(kDefaultAddress).toString());
    chromium_window1_->CloseBrowser();
    timer1_->stop();
    if (!chromium_window1_->CreateBrowser()) {
        timer1_->start();
    }
}

void TfrmSimpleBrowser::Pump() {
    QCoreApplication::processEvents();
}

void TfrmSimpleBrowser::BrowserLoadEnd(JobSignals& signals, RunClock& clock) {
    signals.OnLoadEnd(clock.Now());
}

void TfrmSimpleBrowser::BrowserTextResultAvailable(JobSignals& signals, RunClock& clock,
                                                   const std::u16string& text) {
    signals.OnMarkupDelivered(text, clock.Now());
}

bool TfrmSimpleBrowser::BrowserBeforePopup(const PopupRequest& request) {
    return CancelsNewWindow(request);
}

void TfrmSimpleBrowser::WMMove() {
    owner_.Check();
    if (chromium_window1_ != nullptr) {
        chromium_window1_->NotifyMoveOrResizeStarted();
    }
}

void TfrmSimpleBrowser::WMEnterMenuLoop(std::uintptr_t popup_menu_flag) {
    owner_.Check();
    if (popup_menu_flag == 0 && engine_ != nullptr) {
        engine_->SetOsmodalLoop(true);
    }
}

void TfrmSimpleBrowser::WMExitMenuLoop(std::uintptr_t popup_menu_flag) {
    owner_.Check();
    if (popup_menu_flag == 0 && engine_ != nullptr) {
        engine_->SetOsmodalLoop(false);
    }
}

void TfrmSimpleBrowser::moveEvent(QMoveEvent* event) {
    owner_.Check();
    QWidget::moveEvent(event);
    WMMove();
}

// The window messages that Qt has no event for. WM_MOVE arrives as a move event.
bool TfrmSimpleBrowser::nativeEvent(const QByteArray& event_type, void* message, qintptr* result) {
    owner_.Check();
    const bool handled = QWidget::nativeEvent(event_type, message, result);
#if defined(_WIN32)
    const MSG* msg = static_cast<const MSG*>(message);
    switch (msg->message) {
        case WM_MOVING:
            WMMove();
            break;
        case WM_ENTERMENULOOP:
            WMEnterMenuLoop(static_cast<std::uintptr_t>(msg->wParam));
            break;
        case WM_EXITMENULOOP:
            WMExitMenuLoop(static_cast<std::uintptr_t>(msg->wParam));
            break;
        default:
            break;
    }
#else
    (void)message;
#endif
    return handled;
}

}  // namespace quillmoor
