#include "win/ui/session_dialogs.h"

#include "platform/utf.h"

namespace quillmoor::win {
namespace {

// One log line per box: line breaks of the text are written as "\n".
std::u16string OneLine(std::u16string_view text) {
    std::u16string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;
        }
        if (text[i] == u'\n') {
            line += u"\\n";
        } else {
            line += text[i];
        }
    }
    return line;
}

std::u16string_view AnswerName(Dialogs::Answer answer) {
    switch (answer) {
        case Dialogs::Answer::kYes:
            return u"yes";
        case Dialogs::Answer::kNo:
            return u"no";
        case Dialogs::Answer::kOk:
            return u"ok";
        case Dialogs::Answer::kCancel:
            return u"cancel";
    }
    return u"";
}

}  // namespace

SessionDialogs::~SessionDialogs() {
    if (log_ != nullptr) {
        std::fclose(log_);
    }
}

void SessionDialogs::OpenLog(const std::u16string& path) {
    gui_thread_.Check();
    if (log_ != nullptr) {
        std::fclose(log_);
        log_ = nullptr;
    }
    if (!path.empty()) {
        log_ = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb");
    }
}

void SessionDialogs::QueueAnswer(Answer answer) {
    gui_thread_.Check();
    answers_.push_back(answer);
}

void SessionDialogs::QueueChosenFile(const std::u16string& path) {
    gui_thread_.Check();
    chosen_files_ = {path};
}

void SessionDialogs::Note(std::u16string_view line) {
    gui_thread_.Check();
    if (log_ != nullptr) {
        const std::string bytes = Utf16ToUtf8(OneLine(line)) + "\n";
        std::fwrite(bytes.data(), 1, bytes.size(), log_);
        std::fflush(log_);
    }
}

Dialogs::Answer SessionDialogs::Ask(std::u16string_view text, Question question) {
    gui_thread_.Check();
    Answer answer = question == Question::kYesNo ? Answer::kNo : Answer::kCancel;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    Note(u"ask " + std::u16string(text) + u" -> " + std::u16string(AnswerName(answer)));
    return answer;
}

void SessionDialogs::ShowMessage(std::u16string_view text) {
    gui_thread_.Check();
    Note(u"message " + std::u16string(text));
}

void SessionDialogs::ShowError(std::u16string_view title, std::u16string_view text) {
    gui_thread_.Check();
    Note(u"error " + std::u16string(title) + u": " + std::u16string(text));
}

std::vector<std::u16string> SessionDialogs::ChooseFiles(const std::vector<FilterChoice>&) {
    gui_thread_.Check();
    std::vector<std::u16string> chosen;
    chosen.swap(chosen_files_);
    std::u16string line = u"choose files -> ";
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        line += (i > 0 ? u"|" : u"") + chosen[i];
    }
    Note(line);
    return chosen;
}

std::u16string SessionDialogs::ChooseFolder(const std::u16string&) {
    gui_thread_.Check();
    Note(u"choose folder -> ");
    return {};
}

void SessionDialogs::OpenLink(const std::u16string& address) {
    gui_thread_.Check();
    Note(u"open " + address);
}

}  // namespace quillmoor::win
