#include "file_dialog.h"

#include <QPointer>

namespace zov::app {

std::optional<QString> askForCsvFile(QWidget* parent, const QString& title, const QString& kind,
                                     QFileDialog::AcceptMode mode, const QString& suggested) {
    QPointer<QFileDialog> dialog = new QFileDialog(parent, title);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                        : QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setNameFilters({kind + QStringLiteral(" (*.csv)"), QStringLiteral("All files (*)")});
    if (!suggested.isEmpty()) {
        dialog->selectFile(suggested);
    }
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog) {
        return std::nullopt;
    }
    const QStringList files = dialog->selectedFiles();
    delete dialog;
    if (!accepted || files.isEmpty()) {
        return std::nullopt;
    }
    return files.front();
}

}  // namespace zov::app
