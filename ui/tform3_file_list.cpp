// The file tab of the main window: the list of source files and its buttons.
#include <QDir>
#include <QItemSelectionModel>
#include <QTreeWidget>

#include "pipeline/source_file_choice.h"
#include "ui/tform3.h"
#include "ui/user_dialogs.h"

namespace quillmoor {

void TForm3::Button7Click() {
    const std::vector<FilterChoice> choices = ParseBarFilter(kSourceFileFilter);
    const QString filter = QString::fromStdU16String(DialogFilterText(choices));
    const QString first = QString::fromStdU16String(DialogFilterEntry(choices.front()));
    const QStringList chosen = dialogs_.ChooseFiles(this, filter, first);
    if (chosen.isEmpty() || (chosen.size() == 1 && chosen.front().isEmpty())) {
        return;
    }
    AddFileRows(chosen);
}

void TForm3::AddFileRows(const QStringList& full_paths) {
    // The dialog may return forward slashes; the list holds the system's own style.
    for (const QString& full_path : full_paths) {
        if (full_path.isEmpty()) {
            continue;
        }
        const FileListRow row =
            FileListRowFor(QDir::toNativeSeparators(full_path).toStdU16String());
        auto* item = new QTreeWidgetItem(ListView1);
        item->setText(0, QString::fromStdU16String(row.file));
        item->setText(1, QString::fromStdU16String(row.path));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    }
}

void TForm3::Button1Click() {
#ifdef _WIN32
    const QString start = QStringLiteral("C:\\Windows");
#else
    const QString start = QDir::rootPath();
#endif
    const QString folder = dialogs_.ChooseFolder(this, start);
    if (folder.isEmpty()) {
        return;
    }
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir(folder).exists()) {
        if (dialogs_.Ask(this,
                         QStringLiteral("The folder %1 does not exist. Create it?").arg(shown),
                         UserDialogs::Question::kYesNo) != UserDialogs::Answer::kYes) {
            return;
        }
        QDir().mkpath(folder);
    }
    dialogs_.ShowMessage(this, shown);
}

void TForm3::Button3Click() {
    ListView1->selectAll();
}

void TForm3::Button8Click() {
    ListView1->clearSelection();
}

void TForm3::Button4Click() {
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = ListView1->topLevelItem(row);
        item->setSelected(!item->isSelected());
    }
}

void TForm3::Button5Click() {
    if (dialogs_.Ask(this, QStringLiteral("Delete Select Items?"), UserDialogs::Question::kYesNo) !=
        UserDialogs::Answer::kYes) {
        return;
    }
    for (int row = ListView1->topLevelItemCount() - 1; row >= 0; --row) {
        if (ListView1->topLevelItem(row)->isSelected()) {
            delete ListView1->takeTopLevelItem(row);
        }
    }
}

void TForm3::Button6Click() {
    if (dialogs_.Ask(this, QStringLiteral("Delete All Items?"), UserDialogs::Question::kYesNo) !=
        UserDialogs::Answer::kYes) {
        return;
    }
    for (int row = ListView1->topLevelItemCount() - 1; row >= 0; --row) {
        delete ListView1->takeTopLevelItem(row);
    }
}

int TForm3::FileCount() const {
    return ListView1->topLevelItemCount();
}

QString TForm3::FileName(int row) const {
    return ListView1->topLevelItem(row)->text(0);
}

QString TForm3::FilePath(int row) const {
    return ListView1->topLevelItem(row)->text(1);
}

}  // namespace quillmoor
