#include "app/gui/session_runner.h"

#include <QCheckBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "pipeline/language_catalogue.h"
#include "ui/tform3.h"

namespace quillmoor {

SessionRunner::SessionRunner(std::vector<SessionStep> steps, TForm3& form, SessionDialogs& dialogs)
    : steps_(std::move(steps)), form_(form), dialogs_(dialogs) {}

void SessionRunner::Start() {
    QTimer::singleShot(0, this, [this] {
        for (const SessionStep& step : steps_) {
            Perform(step);
        }
        dialogs_.Note(QStringLiteral("session done"));
    });
}

void SessionRunner::Perform(const SessionStep& step) {
    using Kind = SessionStep::Kind;
    switch (step.kind) {
        case Kind::kLog:
            dialogs_.OpenLog(QString::fromStdU16String(step.text));
            return;
        case Kind::kAnswer: {
            const std::u16string& word = step.text;
            dialogs_.QueueAnswer(word == u"ok"    ? UserDialogs::Answer::kOk
                                 : word == u"yes" ? UserDialogs::Answer::kYes
                                 : word == u"no"  ? UserDialogs::Answer::kNo
                                                  : UserDialogs::Answer::kCancel);
            return;
        }
        case Kind::kAdd:
            dialogs_.QueueChosenFile(QString::fromStdU16String(step.text));
            form_.AddFile1Click();
            return;
        case Kind::kTick: {
            const auto& codes = LanguageCodes();
            const auto at = std::find(codes.begin(), codes.end(), step.text);
            const auto index = static_cast<std::size_t>(at - codes.begin());
            if (at == codes.end() || index >= form_.LanguageBoxes.size() ||
                form_.LanguageBoxes[index] == nullptr) {
                dialogs_.Note(QStringLiteral("tick: no box for ") +
                              QString::fromStdU16String(step.text));
                return;
            }
            form_.LanguageBoxes[index]->setChecked(true);
            return;
        }
        case Kind::kScreenshot:
            Screenshot(QString::fromStdU16String(step.text));
            return;
        case Kind::kScreenshotAfter: {
            const QString path = QString::fromStdU16String(step.text);
            QTimer::singleShot(step.milliseconds, this, [this, path] { Screenshot(path); });
            return;
        }
        case Kind::kPressAfter: {
            const bool pause = step.text == u"pause";
            QTimer::singleShot(step.milliseconds, this, [this, pause] {
                dialogs_.Note(pause ? QStringLiteral("press Pause")
                                    : QStringLiteral("press Cancel"));
                (pause ? form_.btnPause : form_.btnCancel)->click();
            });
            return;
        }
        case Kind::kTranslate:
            dialogs_.Note(QStringLiteral("press Translate"));
            form_.btnTranslate->click();
            dialogs_.Note(QStringLiteral("Translate returned"));
            return;
        case Kind::kClose:
            dialogs_.Note(QStringLiteral("close"));
            form_.close();
            return;
        case Kind::kExit:
            dialogs_.Note(QStringLiteral("exit"));
            form_.Exit1Click();
            return;
    }
}

void SessionRunner::Screenshot(const QString& path) {
    const bool saved = form_.grab().save(path);
    dialogs_.Note((saved ? QStringLiteral("screenshot ") : QStringLiteral("screenshot failed ")) +
                  path);
}

}  // namespace quillmoor
