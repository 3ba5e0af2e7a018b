// Read-only fields that show what the supply answered. The background tells
// the operator how the last query went: white for an answer, red for no
// reply, yellow for a value the unit refused.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>
#include <string_view>

namespace zov::app {

inline const QColor kAnswerColour{255, 255, 255};
inline const QColor kNoReplyColour{255, 0, 0};
inline const QColor kRefusedColour{255, 255, 0};

// Text cut from a reply (8-bit, as the unit sent it) for display.
inline QString fromReply(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A read-only field named `name` with its start text and a name an operator
// understands for assistive tools.
QLineEdit* makeReplyField(const QString& name, const QString& startText,
                          const QString& accessibleName, QWidget* parent = nullptr);

void setFieldBackground(QLineEdit* field, const QColor& colour);
[[nodiscard]] QColor fieldBackground(const QLineEdit* field);

// Text on white.
void showAnswer(QLineEdit* field, const QString& text);
// "Unknown" on red.
void showNoReply(QLineEdit* field);

}  // namespace zov::app
