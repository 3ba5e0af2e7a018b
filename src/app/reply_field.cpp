#include "reply_field.h"

#include <QPalette>

namespace zov::app {

QLineEdit* makeReplyField(const QString& name, const QString& startText,
                          const QString& accessibleName, QWidget* parent) {
    auto* field = new QLineEdit(startText, parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setAccessibleName(accessibleName);
    return field;
}

void setFieldBackground(QLineEdit* field, const QColor& colour) {
    QPalette palette = field->palette();
    // Styles paint a read-only field with either role.
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    field->setPalette(palette);
}

QColor fieldBackground(const QLineEdit* field) {
    return field->palette().color(QPalette::Base);
}

void showAnswer(QLineEdit* field, const QString& text) {
    field->setText(text);
    setFieldBackground(field, kAnswerColour);
}

void showNoReply(QLineEdit* field) {
    field->setText(QStringLiteral("Unknown"));
    setFieldBackground(field, kNoReplyColour);
}

}  // namespace zov::app
