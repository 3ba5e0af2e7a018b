#include "typed_entry.h"

#include "app/widgets/legible_text.h"
#include "app/widgets/prompter.h"
#include "protocol/numbers.h"

namespace zov::config {
namespace {

constexpr int kEntryShown = 40;
}  // namespace

bool checkSendable(app::Prompter& prompter, const QString& text) {
    const std::optional<QString> part = unsendablePart(text);
    if (part) {
        prompter.message(
            QStringLiteral("\"%1\" holds %2.\r\nNothing was sent: a \";\", a \",\" or a control "
                           "character would let the text carry a second command to the unit.")
                .arg(app::legibleText(text, kEntryShown), *part),
            QStringLiteral("Entry Refused"), app::Prompter::Icon::Warning);
    }
    return !part;
}

void reportOutsideConverter(app::Prompter& prompter, const QString& what, const QString& entry,
                            double fullScale, const QString& unit) {
    prompter.message(QStringLiteral("A %1 of %2 %3 is not from 0 to %4 %3.\r\nNothing was sent.")
                         .arg(what, app::legibleText(entry, kEntryShown), unit,
                              QString::fromStdString(protocol::plainNumber(fullScale))),
                     QStringLiteral("Entry Refused"), app::Prompter::Icon::Warning);
}

std::optional<std::string> askSendableEntry(app::Prompter& prompter, const QString& prompt,
                                            const QString& title, const QString& defaultText) {
    const QString entry = prompter.input(prompt, title, defaultText).value_or(QString());
    if (!checkSendable(prompter, entry)) {
        return std::nullopt;
    }
    return entry.toLatin1().toStdString();
}

}  // namespace zov::config
