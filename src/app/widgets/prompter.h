// Every message box and input box of the console goes through a Prompter, so the logic behind
// them can run with scripted answers.
#pragma once

#include <QString>
#include <optional>

namespace zov::app {

class Prompter {
public:
    enum class Icon { None, Information, Question, Warning, Critical };

    virtual ~Prompter() = default;

    // A message with an OK button; returns once it is dismissed.
    virtual void message(const QString& text, const QString& title = {},
                         Icon icon = Icon::None) = 0;

    // OK and Cancel, no icon; true for OK.
    virtual bool confirm(const QString& text, const QString& title) = 0;

    // A one-line text entry with OK and Cancel; nullopt for Cancel. Callers that treat a
    // cancelled box as an empty entry use value_or(QString()).
    virtual std::optional<QString> input(const QString& prompt, const QString& title = {},
                                         const QString& defaultText = {}) = 0;

protected:
    Prompter() = default;
    Prompter(const Prompter&) = default;
    Prompter& operator=(const Prompter&) = default;
};

}  // namespace zov::app
