#include "window_parts.h"

#include <QPointer>

#include "app/main_window.h"

namespace zov::config {

QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

void setUpServiceWindow(QDialog& dialog, const char* name, const QString& caption, QSize size) {
    dialog.setObjectName(QLatin1String(name));
    if (size.isValid()) {
        dialog.resize(size);
    }
    dialog.setWindowTitle(caption);
    dialog.setAttribute(Qt::WA_DeleteOnClose);
}

void runModal(app::MainWindow& window, QDialog* dialog) {
    const QPointer<QDialog> loaded(dialog);
    window.modalRunner().run(*dialog);
    if (loaded) {
        loaded->close();
    }
}

}  // namespace zov::config
