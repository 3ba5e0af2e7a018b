#include "extras_window.h"

#include <QFormLayout>

#include "app/widgets/accessibility.h"

namespace zov::app {
namespace {

QLineEdit* addField(QFormLayout* form, const char* name, const QString& caption,
                    const QString& start) {
    auto* field = new QLineEdit(start);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setAccessibleName(caption);
    form->addRow(caption, field);
    return field;
}

}  // namespace

ExtrasWindow::ExtrasWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_EXTRAS"));
    setWindowTitle(QStringLiteral("EXTRAS!"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout(this);
    buffer_ =
        addField(form, "txt_MSCOMMBUFF", QStringLiteral("MSComm Buffer"), QStringLiteral("Text1"));
    lastError_ =
        addField(form, "txt_LASTERROR", QStringLiteral("Last Error"), QStringLiteral("Text1"));
    commErrors_ = addField(form, "txt_COMMERRORS", QStringLiteral("Comm Errors"), QString());
    applyProtocolNames(this);
}

void ExtrasWindow::setSerialRemainder(const QByteArray& text) {
    buffer_->setText(QString::fromLatin1(text));
}

void ExtrasWindow::setLastError(const QString& code) {
    lastError_->setText(code);
}

void ExtrasWindow::setCommErrors(qint64 count) {
    commErrors_->setText(QString::number(count));
}

}  // namespace zov::app
