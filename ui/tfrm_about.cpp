#include "ui/tfrm_about.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "ui/program_picture.h"
#include "ui/user_dialogs.h"

namespace quillmoor {
namespace {

constexpr int kPictureSize = 64;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TfrmAbout::TfrmAbout(UserDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setModal(false);
    // Closing the main window ends the program even while this window is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Picture = MakeLabel(this, "Picture", QString());
    Picture->setPixmap(ProgramPicture(kPictureSize));
    Picture->setFixedSize(kPictureSize, kPictureSize);

    ProductName = MakeLabel(this, "ProductName", QStringLiteral("Quillmoor"));
    QFont name_font = font();
    name_font.setPointSize(name_font.pointSize() * 2);
    name_font.setBold(true);
    ProductName->setFont(name_font);

    Version = MakeLabel(this, "Version",
                        QStringLiteral("Version: %1").arg(QStringLiteral(QUILLMOOR_VERSION)));
    Copyright = MakeLabel(this, "Copyright",
                          QStringLiteral("Copyright \u00a9 The Quillmoor authors. All rights "
                                         "reserved.\nThe translations are made by Google's "
                                         "website translator; the rights in a page stay with "
                                         "its owner."));
    Copyright->setWordWrap(true);

    Links =
        MakeLabel(this, "Links",
                  QStringLiteral("<a href=\"https://translate.google.com/\">Google Translate</a>"
                                 " &middot; "
                                 "<a href=\"https://bitbucket.org/chromiumembedded/cef\">Chromium "
                                 "Embedded Framework</a>"));
    Links->setTextFormat(Qt::RichText);
    Links->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Links->setOpenExternalLinks(false);
    connect(Links, &QLabel::linkActivated, this,
            [this](const QString& link) { dialogs_.OpenLink(QUrl(link)); });

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setFixedWidth(75);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setHorizontalSpacing(14);
    layout->setVerticalSpacing(4);
    layout->addWidget(Picture, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(ProductName, 0, 1);
    layout->addWidget(Version, 1, 1);
    layout->addWidget(Copyright, 2, 1);
    layout->addWidget(Links, 3, 1);
    layout->setRowStretch(4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    layout->addLayout(buttons, 5, 0, 1, 2);

    setFixedSize(kSize);
}

void TfrmAbout::ShowAbout() {
    show();
    raise();
    activateWindow();
}

}  // namespace quillmoor
