// A Prompter that answers from a script and records every box the code under test shows.
#pragma once

#include <QString>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/widgets/prompter.h"

namespace zov::test {

// Messages need no answer and are only recorded. Each confirm() and input() takes the next
// scripted answer, which must be of its kind. An unscripted or mismatched box fails the running
// test at once and is answered Cancel, so the code under test goes on without blocking.
class ScriptedPrompter : public app::Prompter {
public:
    enum class Kind { Message, Confirm, Input };

    struct Shown {
        Kind kind;
        QString text;
        QString title;
        Icon icon = Icon::None;
        QString defaultText;
    };

    void answerConfirm(bool ok) { script_.push_back({Kind::Confirm, ok, {}}); }
    void answerInput(const QString& entry) { script_.push_back({Kind::Input, true, entry}); }
    void cancelInput() { script_.push_back({Kind::Input, false, {}}); }
    // Runs whenever an input box opens, before it is answered: the time an
    // operator spends at a real box, during which the window's events go on.
    void whileInputShown(std::function<void()> action) { whileInput_ = std::move(action); }

    const std::vector<Shown>& shown() const { return shown_; }
    // Message texts and prompts in the order shown.
    QStringList texts() const {
        QStringList texts;
        for (const Shown& box : shown_) {
            texts << box.text;
        }
        return texts;
    }
    bool scriptDone() const { return script_.empty(); }
    // Forgets answers scripted for boxes that did not come, as when a step
    // that refuses its first entry never asks for the second.
    void dropUnusedAnswers() { script_.clear(); }
    const QStringList& errors() const { return errors_; }

    void message(const QString& text, const QString& title = {}, Icon icon = Icon::None) override {
        shown_.push_back({Kind::Message, text, title, icon, {}});
    }

    bool confirm(const QString& text, const QString& title) override {
        shown_.push_back({Kind::Confirm, text, title, Icon::None, {}});
        const std::optional<Answer> answer = take(Kind::Confirm, text);
        return answer && answer->ok;
    }

    std::optional<QString> input(const QString& prompt, const QString& title = {},
                                 const QString& defaultText = {}) override {
        shown_.push_back({Kind::Input, prompt, title, Icon::None, defaultText});
        if (whileInput_) {
            whileInput_();
        }
        const std::optional<Answer> answer = take(Kind::Input, prompt);
        if (!answer || !answer->ok) {
            return std::nullopt;
        }
        return answer->entry;
    }

private:
    struct Answer {
        Kind kind;
        bool ok;
        QString entry;
    };

    std::optional<Answer> take(Kind kind, const QString& text) {
        if (script_.empty() || script_.front().kind != kind) {
            const QString error = QStringLiteral("unscripted %1 box: \"%2\"")
                                      .arg(kind == Kind::Confirm ? "confirm" : "input", text);
            errors_ << error;
            QTest::qFail(qPrintable(error), __FILE__, __LINE__);
            return std::nullopt;
        }
        const Answer answer = script_.front();
        script_.pop_front();
        return answer;
    }

    std::deque<Answer> script_;
    std::vector<Shown> shown_;
    QStringList errors_;
    std::function<void()> whileInput_;
};

}  // namespace zov::test
