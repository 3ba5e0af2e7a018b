// Whether the supply is answering, told to the operator in one line: "No
// answer from the supply since hh:mm:ss" from the first exchange that got no
// answer, or "Link lost at hh:mm:ss" while the link is down, until the next
// good reply. It also keeps the panel's stale marks in step with the link.
#pragma once

#include <QObject>
#include <QString>

#include "app/stale_marks.h"
#include "core/command_exchange.h"
#include "core/session_events.h"

namespace zov::app {

class AnswerWatch : public QObject {
    Q_OBJECT
public:
    AnswerWatch(core::CommandExchange& exchange, core::SessionEvents& events, StaleMarks& marks,
                QObject* parent = nullptr);

    // Empty while the supply answers.
    [[nodiscard]] QString warning() const { return warning_; }

signals:
    void warningChanged(const QString& warning);

private:
    void setWarning(const QString& warning);

    core::CommandExchange& exchange_;
    StaleMarks& marks_;
    QString warning_;
    bool replyMissed_ = false;  // the exchange under way got no whole reply
};

}  // namespace zov::app
