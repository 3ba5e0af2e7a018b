#include "app/widgets/qt_prompter.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace zov::app {

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
        case Prompter::Icon::None:
            return QMessageBox::NoIcon;
        case Prompter::Icon::Information:
            return QMessageBox::Information;
        case Prompter::Icon::Question:
            return QMessageBox::Question;
        case Prompter::Icon::Warning:
            return QMessageBox::Warning;
        case Prompter::Icon::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString caption(const QString& title) {
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

// Plain English captions whatever translations are installed, like the rest of the console.
//
// The boxes are children of the window, and the window may be deleted while a box waits (a
// handler further up can close it). The window then deletes the box too, and the answer counts
// as Cancel; hence the guarded pointers.
bool showBox(QWidget* window, const QString& text, const QString& title, Prompter::Icon icon,
             QMessageBox::StandardButtons buttons) {
    QPointer<QMessageBox> box =
        new QMessageBox(boxIcon(icon), caption(title), text, buttons, window);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    if (buttons.testFlag(QMessageBox::Cancel)) {
        box->button(QMessageBox::Cancel)->setText(QStringLiteral("Cancel"));
    }
    box->setDefaultButton(QMessageBox::Ok);
    const int result = box->exec();
    const bool ok = box && result == QMessageBox::Ok;
    delete box;
    return ok;
}

}  // namespace

void QtPrompter::message(const QString& text, const QString& title, Icon icon) {
    showBox(window_, text, title, icon, QMessageBox::Ok);
}

bool QtPrompter::confirm(const QString& text, const QString& title) {
    return showBox(window_, text, title, Icon::None, QMessageBox::Ok | QMessageBox::Cancel);
}

std::optional<QString> QtPrompter::input(const QString& prompt, const QString& title,
                                         const QString& defaultText) {
    QPointer<QInputDialog> dialog = new QInputDialog(window_);
    dialog->setWindowTitle(caption(title));
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    dialog->setOkButtonText(QStringLiteral("OK"));
    dialog->setCancelButtonText(QStringLiteral("Cancel"));
    const int result = dialog->exec();
    std::optional<QString> answer;
    if (dialog && result == QDialog::Accepted) {
        answer = dialog->textValue();
    }
    delete dialog;
    return answer;
}

}  // namespace zov::app
