#include "ui/desktop_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace quillmoor {

UserDialogs::Answer DesktopDialogs::Ask(QWidget* parent, const QString& text, Question question) {
    if (question == Question::kYesNo) {
        const auto pressed =
            QMessageBox::question(parent, QStringLiteral("Confirm"), text,
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        return pressed == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
    }
    const auto pressed =
        QMessageBox::question(parent, QStringLiteral("Confirm"), text,
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    return pressed == QMessageBox::Ok ? Answer::kOk : Answer::kCancel;
}

void DesktopDialogs::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("Quillmoor"), text);
}

void DesktopDialogs::ShowError(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::critical(parent, title, text);
}

QStringList DesktopDialogs::ChooseFiles(QWidget* parent, const QString& filter,
                                        const QString& selected_filter) {
    // No title and no start folder: the dialog's own defaults. Qt's dialog has no
    // read-only box to hide and can always be resized.
    QString selected = selected_filter;
    return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter, &selected);
}

QString DesktopDialogs::ChooseFolder(QWidget* parent, const QString& start_folder) {
    return QFileDialog::getExistingDirectory(parent, QString(), start_folder);
}

void DesktopDialogs::OpenLink(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace quillmoor
