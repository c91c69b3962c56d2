// The real dialogs: Qt's message boxes and file dialogs, links opened by the desktop.
#pragma once

#include "ui/user_dialogs.h"

namespace quillmoor {

class DesktopDialogs final : public UserDialogs {
  public:
    Answer Ask(QWidget* parent, const QString& text, Question question) override;
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& title, const QString& text) override;
    QStringList ChooseFiles(QWidget* parent, const QString& filter,
                            const QString& selected_filter) override;
    QString ChooseFolder(QWidget* parent, const QString& start_folder) override;
    void OpenLink(const QUrl& url) override;
};

}  // namespace quillmoor
