#include "ui/tform3.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <initializer_list>

#include "pipeline/main_window_layout.h"
#include "ui/program_picture.h"

namespace quillmoor {

// The fixed heights of the job panel and the progress panel, and of what they hold.
constexpr int kJobPanelHeight = 41;
constexpr int kJobButtonHeight = 39;
constexpr int kProgressPanelHeight = 49;
constexpr int kProgressLineHeight = 13;

namespace {

// A panel: a plain surface with one pixel of raised bevel.
QFrame* MakePanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setProperty("panel", true);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

// One button of a tab's button row: the member that holds it, its object name, its caption
// and the handler its click calls.
struct RowButton {
    QPushButton* TForm3::*member;
    const char* name;
    const char* caption;
    void (TForm3::*clicked)();
};

// A tab's button row: a panel below the tab's body with the buttons, all of one width.
constexpr int kButtonPanelHeight = 37;
constexpr int kButtonTop = 6;
constexpr int kButtonHeight = 25;
template <std::size_t N>
QFrame* MakeButtonRow(TForm3* form, QWidget* sheet, const char* name, int button_width,
                      const RowButton (&buttons)[N]) {
    QFrame* panel = MakePanel(sheet, name);
    panel->setFixedHeight(kButtonPanelHeight);
    for (const RowButton& row_button : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(row_button.caption), panel);
        button->setObjectName(QString::fromLatin1(row_button.name));
        button->setGeometry(0, kButtonTop, button_width, kButtonHeight);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, form, row_button.clicked);
        form->*row_button.member = button;
    }
    return panel;
}

// The file tab's buttons, in the panel's own order, which SetInputsEnabled follows.
constexpr int kFileButtonWidth = 92;
constexpr RowButton kFileButtons[] = {
    {&TForm3::Button7, "Button7", "Add File(s)", &TForm3::Button7Click},
    {&TForm3::Button1, "Button1", "Add Folder", &TForm3::Button1Click},
    {&TForm3::Button3, "Button3", "Select All", &TForm3::Button3Click},
    {&TForm3::Button8, "Button8", "Select None", &TForm3::Button8Click},
    {&TForm3::Button4, "Button4", "Inverse Select", &TForm3::Button4Click},
    {&TForm3::Button5, "Button5", "Delete Selected", &TForm3::Button5Click},
    {&TForm3::Button6, "Button6", "Delete All", &TForm3::Button6Click},
};

// The language tab's buttons.
constexpr int kLanguageButtonWidth = 80;
constexpr RowButton kLanguageButtons[] = {
    {&TForm3::Button9, "Button9", "Select All", &TForm3::Button9Click},
    {&TForm3::Button10, "Button10", "Select None", &TForm3::Button10Click},
    {&TForm3::Button11, "Button11", "Inverse Select", &TForm3::Button11Click},
};

// A menu of bar, with its object name.
QMenu* MakeMenu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* menu = bar->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

// An item of menu, with its object name, whose choice calls chosen on form.
QAction* MakeMenuItem(QMenu* menu, const char* name, const char* caption, TForm3* form,
                      void (TForm3::*chosen)()) {
    QAction* item = menu->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    QObject::connect(item, &QAction::triggered, form, chosen);
    return item;
}

// A tab page of tabs, with its object name and caption.
QWidget* MakeTabSheet(QTabWidget* tabs, const char* name, const char* caption) {
    auto* sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(name));
    tabs->addTab(sheet, QString::fromLatin1(caption));
    return sheet;
}

// A layout that makes child fill parent's inside.
void Fill(QWidget* parent, QWidget* child) {
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(child);
}

// A tab page: body above, taking what room there is, and the button row below it.
void StackBodyOverButtons(QWidget* sheet, QWidget* body, QWidget* buttons) {
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(body, 1);
    layout->addWidget(buttons);
}

}  // namespace

TForm3::TForm3(UserDialogs& dialogs, JobFlags& job_flags, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), job_flags_(job_flags) {
    setObjectName(QStringLiteral("Form3"));
    setWindowIcon(QIcon(ProgramPicture(64)));
    BuildFrame();
    BuildFileTab();
    BuildLanguageTab();
    BuildMemoTabs();
    BuildMenu();
    FormCreate();
    // Every component exists now: the resizes of the panels and of the scroll box that the
    // layout arithmetic reads may run it (see eventFilter).
    for (QWidget* watched : std::initializer_list<QWidget*>{Panel5, Panel7, Panel8, ScrollBox1}) {
        watched->installEventFilter(this);
    }

    // The client area keeps its designed size; the menu bar comes on top of it.
    resize(kClientSize + QSize(0, MainMenu1->sizeHint().height()));
    CentreOnScreen();
}

// The frame's size is known only once the window exists on the screen; the first show
// centres again with it.
void TForm3::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    QRect frame(QPoint(0, 0), frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

TForm3::~TForm3() = default;

void TForm3::BuildFrame() {
    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(Client);

    Panel2 = MakePanel(Client, "Panel2");
    Panel8 = MakePanel(Client, "Panel8");
    Panel8->setFixedHeight(kJobPanelHeight);
    Panel3 = MakePanel(Client, "Panel3");
    Panel3->setFixedHeight(kProgressPanelHeight);

    auto* client_layout = new QVBoxLayout(Client);
    client_layout->setContentsMargins(0, 0, 0, 0);
    client_layout->setSpacing(0);
    client_layout->addWidget(Panel2, 1);
    client_layout->addWidget(Panel8);
    client_layout->addWidget(Panel3);

    PageControl1 = new QTabWidget(Panel2);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(false);
    Fill(Panel2, PageControl1);

    // Job buttons, aligned to the panel's left edge; FormResize gives them their widths.
    btnTranslate = new QPushButton(QStringLiteral("Translate"), Panel8);
    btnTranslate->setObjectName(QStringLiteral("btnTranslate"));
    btnPause = new QPushButton(QStringLiteral("Pause"), Panel8);
    btnPause->setObjectName(QStringLiteral("btnPause"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), Panel8);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton* button : {btnTranslate, btnPause, btnCancel}) {
        button->setAutoDefault(false);
        button->resize(button->width(), kJobButtonHeight);
    }
    connect(btnTranslate, &QPushButton::clicked, this, &TForm3::btnTranslateClick);
    connect(btnPause, &QPushButton::clicked, this, &TForm3::btnPauseClick);
    connect(btnCancel, &QPushButton::clicked, this, &TForm3::btnCancelClick);

    // Progress lines, stacked from the top of their panel, full width, text centred.
    lbl1 = new QLabel(Panel3);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    lbl2 = new QLabel(Panel3);
    lbl2->setObjectName(QStringLiteral("lbl2"));
    auto* progress_layout = new QVBoxLayout(Panel3);
    progress_layout->setContentsMargins(0, 0, 0, 0);
    progress_layout->setSpacing(0);
    for (QLabel* line : {lbl1, lbl2}) {
        line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        line->setFixedHeight(kProgressLineHeight);
        progress_layout->addWidget(line);
    }
    progress_layout->addStretch(1);
}

void TForm3::BuildFileTab() {
    TabSheet1 = MakeTabSheet(PageControl1, "TabSheet1", "File");

    Panel4 = MakePanel(TabSheet1, "Panel4");
    ListView1 = new QTreeWidget(Panel4);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Path")});
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionResizeMode(QHeaderView::Stretch);
    ListView1->header()->setSectionsMovable(false);
    Fill(Panel4, ListView1);

    Panel5 = MakeButtonRow(this, TabSheet1, "Panel5", kFileButtonWidth, kFileButtons);
    Button1->hide();
    StackBodyOverButtons(TabSheet1, Panel4, Panel5);
}

void TForm3::BuildLanguageTab() {
    TabSheet2 = MakeTabSheet(PageControl1, "TabSheet2", "Language");

    Panel6 = MakePanel(TabSheet2, "Panel6");
    ScrollBox1 = new QScrollArea(Panel6);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1Contents = new QWidget;
    ScrollBox1Contents->setObjectName(QStringLiteral("ScrollBox1Contents"));
    ScrollBox1->setWidget(ScrollBox1Contents);
    Fill(Panel6, ScrollBox1);

    Panel7 = MakeButtonRow(this, TabSheet2, "Panel7", kLanguageButtonWidth, kLanguageButtons);
    StackBodyOverButtons(TabSheet2, Panel6, Panel7);
}

void TForm3::BuildMemoTabs() {
    const auto make_memo = [this](const char* sheet_name, const char* memo_name, QWidget*& sheet,
                                  QPlainTextEdit*& memo) {
        sheet = MakeTabSheet(PageControl1, sheet_name, sheet_name);
        memo = new QPlainTextEdit(sheet);
        memo->setObjectName(QString::fromLatin1(memo_name));
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Fill(sheet, memo);
    };
    make_memo("TabSheet3", "Memo1", TabSheet3, Memo1);
    make_memo("TabSheet4", "Memo2", TabSheet4, Memo2);
}

void TForm3::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    File1 = MakeMenu(MainMenu1, "File1", "File");
    AddFile1 = MakeMenuItem(File1, "AddFile1", "Add File(s)", this, &TForm3::AddFile1Click);
    AddAllFilesFromFolder1 = MakeMenuItem(File1, "AddAllFilesFromFolder1", "Add Folder", this,
                                          &TForm3::AddAllFilesFromFolder1Click);
    AddAllFilesFromFolder1->setVisible(false);
    Exit1 = MakeMenuItem(File1, "Exit1", "Exit", this, &TForm3::Exit1Click);
    Help1 = MakeMenu(MainMenu1, "Help1", "Help");
    About1 = MakeMenuItem(Help1, "About1", "About", this, &TForm3::About1Click);
}

void TForm3::FormCreate() {
    setWindowTitle(QStringLiteral("Quillmoor"));
    // The text buffers' pages stay, but the user cannot bring them to the front.
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet4), false);
    PageControl1->setCurrentWidget(TabSheet1);
}

void TForm3::FormShow() {
    btnTranslate->setEnabled(true);
    btnPause->setEnabled(false);
    btnCancel->setEnabled(false);
}

void TForm3::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!centred_) {
        centred_ = true;
        CentreOnScreen();
    }
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TForm3::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

// Qt lays nested widgets out after the window's own resize, so the panels and the scroll
// box whose widths the arithmetic reads report their new sizes later: each of them runs
// the arithmetic again when its size changes.
bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize &&
        (watched == Panel5 || watched == Panel7 || watched == Panel8 || watched == ScrollBox1)) {
        FormResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm3::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
    QMainWindow::closeEvent(event);
}

void TForm3::FormCloseQuery() {
    if (btnCancel->isEnabled()) {
        btnCancelClick();
    }
}

void TForm3::FormResize() {
    PlaceButtons();
    PlaceLanguageBoxes();
}

void TForm3::PlaceButtons() {
    const int gap = ButtonGap(Button10->width());

    const int job_width = JobButtonWidth(Panel8->width());
    const QRect inside = Panel8->contentsRect();
    int left = inside.left();
    for (QPushButton* button : {btnTranslate, btnPause, btnCancel}) {
        button->setGeometry(left, inside.top(), job_width, kJobButtonHeight);
        left += job_width;
    }

    const LanguageButtonLefts languages = PlaceLanguageButtons(
        Panel7->width(), {Button9->width(), Button10->width(), Button11->width()}, gap);
    Button10->move(languages.select_none, Button10->y());
    Button9->move(languages.select_all, Button9->y());
    Button11->move(languages.inverse, Button11->y());

    const FileButtonLefts files =
        PlaceFileButtons(Panel5->width(),
                         {Button7->width(), Button1->width(), Button3->width(), Button8->width(),
                          Button4->width(), Button5->width(), Button6->width()},
                         gap);
    Button8->move(files.select_none, Button8->y());
    Button3->move(files.select_all, Button3->y());
    Button1->move(files.add_folder, Button1->y());
    Button7->move(files.add_files, Button7->y());
    Button4->move(files.inverse, Button4->y());
    Button5->move(files.delete_selected, Button5->y());
    Button6->move(files.delete_all, Button6->y());
}

void TForm3::btnTranslateClick() {
    Q_EMIT translateRequested();
}

void TForm3::btnPauseClick() {
    // The caption is the state.
    if (btnPause->text() == QStringLiteral("Pause")) {
        btnPause->setText(QStringLiteral("Continue"));
        job_flags_.RequestPause();
    } else if (btnPause->text() == QStringLiteral("Continue")) {
        btnPause->setText(QStringLiteral("Pause"));
        job_flags_.Resume();
    }
}

void TForm3::btnCancelClick() {
    // Pause is dropped too, so that a paused batch leaves its wait and stops.
    job_flags_.RequestCancel();
    btnTranslate->setEnabled(true);
    btnPause->setEnabled(false);
    btnCancel->setEnabled(false);
}

void TForm3::JobStarted() {
    job_flags_.Clear();
    btnTranslate->setEnabled(false);
    btnPause->setEnabled(true);
    btnCancel->setEnabled(true);
}

void TForm3::JobEndedNormally() {
    job_flags_.Clear();
    btnTranslate->setEnabled(true);
    btnPause->setEnabled(false);
    btnCancel->setEnabled(false);
}

void TForm3::SetInputsEnabled(InputsState state) {
    const bool enabled = state == InputsState::kEnabled;
    for (QObject* child : Panel5->children()) {
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            button->setEnabled(enabled);
        }
    }
    for (QCheckBox* box : LanguageBoxes) {
        if (box != nullptr) {
            box->setEnabled(enabled);
        }
    }
}

void TForm3::ResetProgress() {
    lbl1->setText(QStringLiteral("0/0 File(s)"));
    lbl2->setText(QStringLiteral("0/0 Language(s)"));
    SetInputsEnabled(InputsState::kEnabled);
}

void TForm3::AddFile1Click() {
    Button7Click();
}

void TForm3::AddAllFilesFromFolder1Click() {
    Button1Click();
}

// Asks the application to end once control is back in its main loop. No close, so no
// Cancel and no change to the job flags.
void TForm3::Exit1Click() {
    QCoreApplication::exit(0);
}

void TForm3::About1Click() {
    Q_EMIT aboutRequested();
}

}  // namespace quillmoor
