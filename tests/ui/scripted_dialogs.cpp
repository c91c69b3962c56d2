#include "tests/ui/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace quillmoor::testing {

UserDialogs::Answer ScriptedDialogs::Ask(QWidget*, const QString& text, Question question) {
    asked.push_back({text, question});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return question == Question::kYesNo ? Answer::kNo : Answer::kCancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedDialogs::ShowMessage(QWidget*, const QString& text) {
    messages.append(text);
}

void ScriptedDialogs::ShowError(QWidget*, const QString& title, const QString& text) {
    errors.append(title + QStringLiteral(": ") + text);
}

QStringList ScriptedDialogs::ChooseFiles(QWidget*, const QString& filter_text,
                                         const QString& selected) {
    ++file_dialogs;
    filter = filter_text;
    selected_filter = selected;
    return files_to_choose;
}

QString ScriptedDialogs::ChooseFolder(QWidget*, const QString& start) {
    ++folder_dialogs;
    start_folder = start;
    return folder_to_choose;
}

void ScriptedDialogs::OpenLink(const QUrl& url) {
    links.push_back(url);
}

}  // namespace quillmoor::testing
