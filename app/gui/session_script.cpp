#include "app/gui/session_script.h"

#include <QRegularExpression>

namespace quillmoor {

SessionScript ParseSessionScript(const QString& script) {
    using Kind = SessionStep::Kind;
    SessionScript result;
    const QStringList lines = script.split(QRegularExpression(QStringLiteral("\r?\n")));
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString line = lines[number].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype blank = line.indexOf(u' ');
        const QString word = blank < 0 ? line : line.left(blank);
        const QString rest = blank < 0 ? QString() : line.mid(blank + 1).trimmed();
        const auto fail = [&](const QString& why) {
            result.steps.clear();
            result.problem = QStringLiteral("line %1: %2").arg(number + 1).arg(why);
            return result;
        };
        const auto needs_text = [&](Kind kind) -> bool {
            if (rest.isEmpty()) {
                return false;
            }
            result.steps.push_back({kind, rest, 0});
            return true;
        };
        if (word == u"log" || word == u"add" || word == u"tick" || word == u"screenshot") {
            const Kind kind = word == u"log"    ? Kind::kLog
                              : word == u"add"  ? Kind::kAdd
                              : word == u"tick" ? Kind::kTick
                                                : Kind::kScreenshot;
            if (!needs_text(kind)) {
                return fail(word + QStringLiteral(" needs a value"));
            }
        } else if (word == u"answer") {
            static const QStringList kAnswers = {QStringLiteral("ok"), QStringLiteral("cancel"),
                                                 QStringLiteral("yes"), QStringLiteral("no")};
            if (!kAnswers.contains(rest)) {
                return fail(QStringLiteral("answer is ok, cancel, yes or no"));
            }
            result.steps.push_back({Kind::kAnswer, rest, 0});
        } else if (word == u"screenshot-after") {
            const qsizetype gap = rest.indexOf(u' ');
            bool number_ok = false;
            const int milliseconds = gap < 0 ? 0 : rest.left(gap).toInt(&number_ok);
            if (!number_ok || milliseconds < 0 || rest.mid(gap + 1).trimmed().isEmpty()) {
                return fail(QStringLiteral("screenshot-after needs milliseconds and a path"));
            }
            result.steps.push_back(
                {Kind::kScreenshotAfter, rest.mid(gap + 1).trimmed(), milliseconds});
        } else if (word == u"translate" || word == u"close" || word == u"exit") {
            if (!rest.isEmpty()) {
                return fail(word + QStringLiteral(" takes no value"));
            }
            const Kind kind = word == u"translate" ? Kind::kTranslate
                              : word == u"close"   ? Kind::kClose
                                                   : Kind::kExit;
            result.steps.push_back({kind, QString(), 0});
        } else {
            return fail(QStringLiteral("unknown step \"%1\"").arg(word));
        }
    }
    return result;
}

}  // namespace quillmoor
