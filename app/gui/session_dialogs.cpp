#include "app/gui/session_dialogs.h"

#include <QUrl>

namespace quillmoor {

namespace {

// One log line per box: line breaks of the text are written as "\n".
QString OneLine(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"))
        .replace(u'\n', QStringLiteral("\\n"));
}

QString AnswerName(UserDialogs::Answer answer) {
    switch (answer) {
        case UserDialogs::Answer::kYes:
            return QStringLiteral("yes");
        case UserDialogs::Answer::kNo:
            return QStringLiteral("no");
        case UserDialogs::Answer::kOk:
            return QStringLiteral("ok");
        case UserDialogs::Answer::kCancel:
            return QStringLiteral("cancel");
    }
    return QString();
}

}  // namespace

void SessionDialogs::OpenLog(const QString& path) {
    log_.close();
    if (!path.isEmpty()) {
        log_.setFileName(path);
        log_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    }
}

void SessionDialogs::Note(const QString& line) {
    if (log_.isOpen()) {
        log_.write((OneLine(line) + u'\n').toUtf8());
        log_.flush();
    }
}

UserDialogs::Answer SessionDialogs::Ask(QWidget*, const QString& text, Question question) {
    Answer answer = question == Question::kYesNo ? Answer::kNo : Answer::kCancel;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    Note(QStringLiteral("ask ") + text + QStringLiteral(" -> ") + AnswerName(answer));
    return answer;
}

void SessionDialogs::ShowMessage(QWidget*, const QString& text) {
    Note(QStringLiteral("message ") + text);
}

void SessionDialogs::ShowError(QWidget*, const QString& title, const QString& text) {
    Note(QStringLiteral("error ") + title + QStringLiteral(": ") + text);
}

QStringList SessionDialogs::ChooseFiles(QWidget*, const QString&, const QString&) {
    QStringList chosen;
    chosen.swap(chosen_files_);
    Note(QStringLiteral("choose files -> ") + chosen.join(u'|'));
    return chosen;
}

QString SessionDialogs::ChooseFolder(QWidget*, const QString&) {
    Note(QStringLiteral("choose folder -> "));
    return QString();
}

void SessionDialogs::OpenLink(const QUrl& url) {
    Note(QStringLiteral("open ") + url.toString());
}

}  // namespace quillmoor
