#include "tests/win/ui/scripted_dialogs.h"

#include <gtest/gtest.h>

#include "platform/utf.h"

namespace quillmoor::win::test_support {

Dialogs::Answer ScriptedDialogs::Ask(std::u16string_view text, Question question) {
    asked.push_back({std::u16string(text), question});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << Utf16ToUtf8(text);
        return question == Question::kYesNo ? Answer::kNo : Answer::kCancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedDialogs::ShowMessage(std::u16string_view text) {
    messages.emplace_back(text);
}

void ScriptedDialogs::ShowError(std::u16string_view title, std::u16string_view text) {
    ADD_FAILURE() << "error box " << Utf16ToUtf8(title) << ": " << Utf16ToUtf8(text);
}

std::vector<std::u16string> ScriptedDialogs::ChooseFiles(const std::vector<FilterChoice>& choices) {
    ++file_dialogs;
    filter = choices;
    std::vector<std::u16string> chosen;
    chosen.swap(files_to_choose);
    return chosen;
}

std::u16string ScriptedDialogs::ChooseFolder(const std::u16string&) {
    return {};
}

void ScriptedDialogs::OpenLink(const std::u16string& address) {
    links.push_back(address);
}

}  // namespace quillmoor::win::test_support
