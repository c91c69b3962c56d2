#include "ui/window_theme.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "ui/user_dialogs.h"

namespace quillmoor {
namespace {

QPalette SlateGrayPalette() {
    const QColor window(0x4f, 0x5b, 0x66);
    const QColor base(0x41, 0x4b, 0x55);
    const QColor button(0x64, 0x71, 0x7e);
    const QColor text(0xf2, 0xf4, 0xf6);
    const QColor disabled_text(0x9a, 0xa4, 0xad);
    const QColor highlight(0x5e, 0x9e, 0xd6);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabled_text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, button.lighter(130));
    palette.setColor(QPalette::Midlight, button.lighter(115));
    palette.setColor(QPalette::Mid, window.darker(120));
    palette.setColor(QPalette::Dark, window.darker(150));
    palette.setColor(QPalette::Shadow, QColor(0x22, 0x28, 0x2e));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x9c, 0xcc, 0xf5));
    palette.setColor(QPalette::LinkVisited, QColor(0xc0, 0xb0, 0xf0));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled_text);
    }
    return palette;
}

}  // namespace

ThemeResult ApplyWindowTheme(QApplication& application, UserDialogs& dialogs,
                             const QString& sheet_path) {
    QString problem;
    QString sheet;
    QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
    QFile file(sheet_path);
    if (style == nullptr) {
        problem = QStringLiteral("the Fusion style is not available");
    } else if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("its style sheet %1 cannot be read (%2)")
                      .arg(sheet_path, file.errorString());
    } else {
        sheet = QString::fromUtf8(file.readAll());
        if (sheet.trimmed().isEmpty()) {
            problem = QStringLiteral("its style sheet %1 is empty").arg(sheet_path);
        }
    }
    if (!problem.isEmpty()) {
        delete style;
        dialogs.ShowError(nullptr, QStringLiteral("Error"),
                          QStringLiteral("The window theme \"%1\" cannot be applied: %2.")
                              .arg(QString::fromLatin1(kWindowThemeName), problem));
        return ThemeResult::kNotApplied;
    }
    QApplication::setStyle(style);  // the application takes the style
    QApplication::setPalette(SlateGrayPalette());
    application.setStyleSheet(sheet);
    return ThemeResult::kApplied;
}

}  // namespace quillmoor
