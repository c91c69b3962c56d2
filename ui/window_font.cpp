#include "ui/window_font.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QString>

namespace quillmoor {
namespace {

constexpr int kPointSize = 8;

bool HasFamily(const QString& family) {
    return QFontDatabase::families().contains(family);
}

// Wine's own Tahoma, which Debian installs outside the system's font folders.
void LoadWineTahoma() {
    for (const char* file :
         {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        const QString path = QString::fromLatin1(file);
        if (QFile::exists(path)) {
            QFontDatabase::addApplicationFont(path);
        }
    }
}

}  // namespace

QFont WindowFont() {
    const QString tahoma = QStringLiteral("Tahoma");
    if (!HasFamily(tahoma)) {
        LoadWineTahoma();
    }
    QFont font;
    if (HasFamily(tahoma)) {
        font.setFamily(tahoma);
    } else if (HasFamily(QStringLiteral("DejaVu Sans"))) {
        font.setFamily(QStringLiteral("DejaVu Sans"));
    }
    font.setPointSize(kPointSize);
    return font;
}

void UseWindowFont() {
    QApplication::setFont(WindowFont());
}

}  // namespace quillmoor
