// The one way the windows talk to the user through dialogs: message boxes, questions, the
// open and folder dialogs and links handed to the desktop. The program shows real dialogs;
// tests answer them without a person and without blocking.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace quillmoor {

class UserDialogs {
  public:
    enum class Question { kYesNo, kOkCancel };
    enum class Answer { kYes, kNo, kOk, kCancel };

    virtual ~UserDialogs() = default;

    // A confirmation box with the question's two buttons; the answer pressed. Closing the
    // box without a button counts as No or Cancel.
    virtual Answer Ask(QWidget* parent, const QString& text, Question question) = 0;

    // A plain message box with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;

    // An error box with its title.
    virtual void ShowError(QWidget* parent, const QString& title, const QString& text) = 0;

    // The open dialog: several files selectable, resizable, filter in the file dialog's
    // syntax ("Caption (*.a *.b);;..."), selected_filter in force when it opens. The full
    // paths chosen, in the dialog's order; empty when the user cancels.
    virtual QStringList ChooseFiles(QWidget* parent, const QString& filter,
                                    const QString& selected_filter) = 0;

    // The folder chooser, opened at start_folder; the folder confirmed, or empty. The folder
    // may not exist yet.
    virtual QString ChooseFolder(QWidget* parent, const QString& start_folder) = 0;

    // Hands a link to the desktop, which opens it with the user's program for it.
    virtual void OpenLink(const QUrl& url) = 0;
};

// Declares every method of UserDialogs as an override, in a class that implements them all.
#define QUILLMOOR_USER_DIALOGS_OVERRIDES                                                 \
    Answer Ask(QWidget* parent, const QString& text, Question question) override;        \
    void ShowMessage(QWidget* parent, const QString& text) override;                     \
    void ShowError(QWidget* parent, const QString& title, const QString& text) override; \
    QStringList ChooseFiles(QWidget* parent, const QString& filter,                      \
                            const QString& selected_filter) override;                    \
    QString ChooseFolder(QWidget* parent, const QString& start_folder) override;         \
    void OpenLink(const QUrl& url) override

}  // namespace quillmoor
