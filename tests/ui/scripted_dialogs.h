// Dialogs answered by the test: each call is recorded, questions take the answers queued
// for them (a question nobody expected fails the test and is answered No), the open and
// folder dialogs return what the test put ready.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <vector>

#include "ui/user_dialogs.h"

namespace quillmoor::test_support {

class ScriptedDialogs final : public UserDialogs {
  public:
    QUILLMOOR_USER_DIALOGS_OVERRIDES;

    // Put ready by the test.
    std::deque<Answer> answers;
    QStringList files_to_choose;
    QString folder_to_choose;

    // Seen by the dialogs.
    struct Asked {
        QString text;
        Question question;
    };
    std::vector<Asked> asked;
    QStringList messages;
    QStringList errors;  // "title: text"
    int file_dialogs = 0;
    QString filter;
    QString selected_filter;
    int folder_dialogs = 0;
    QString start_folder;
    std::vector<QUrl> links;
};

}  // namespace quillmoor::test_support
