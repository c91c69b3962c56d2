// The about window: the program's picture, name, version, a short notice of rights and
// links that the desktop opens. Small, fixed in size and shown without being modal.
//
// Lives on and is used from the GUI thread only.
#pragma once

#include <QDialog>
#include <QSize>

class QLabel;
class QPushButton;

namespace quillmoor {

class UserDialogs;

class TfrmAbout : public QDialog {
    Q_OBJECT

  public:
    static constexpr QSize kSize{380, 236};

    explicit TfrmAbout(UserDialogs& dialogs, QWidget* parent = nullptr);

    // Shows the window without making it modal and brings it to the front.
    void ShowAbout();

    QLabel* Picture = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Links = nullptr;
    QPushButton* OKButton = nullptr;

  private:
    UserDialogs& dialogs_;
};

}  // namespace quillmoor
