#include "answer_watch.h"

#include <QTime>

namespace zov::app {
namespace {

QString now() {
    return QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace

AnswerWatch::AnswerWatch(core::CommandExchange& exchange, core::SessionEvents& events,
                         StaleMarks& marks, QObject* parent)
    : QObject(parent), exchange_(exchange), marks_(marks) {
    connect(&exchange, &core::CommandExchange::transmitted, this, [this] { replyMissed_ = false; });
    connect(&exchange, &core::CommandExchange::replyMissing, this, [this] {
        replyMissed_ = true;
        marks_.noAnswerTo(exchange_.lastCommand());
        if (warning_.isEmpty()) {
            setWarning(QStringLiteral("No answer from the supply since ") + now());
        }
    });
    // After a missing reply, `received` carries what came of it: no answer.
    connect(&exchange, &core::CommandExchange::received, this, [this] {
        if (!replyMissed_) {
            setWarning({});
        }
    });
    connect(&events, &core::SessionEvents::supplyEvent, this, [this](core::SupplyEvent kind) {
        if (kind == core::SupplyEvent::LinkLost) {
            marks_.linkGone();
            setWarning(QStringLiteral("Link lost at ") + now());
        } else if (kind == core::SupplyEvent::LinkChosen) {
            // What the panel holds came over another link, maybe from another unit.
            marks_.linkGone();
        }
    });
}

void AnswerWatch::setWarning(const QString& warning) {
    if (warning == warning_) {
        return;
    }
    warning_ = warning;
    emit warningChanged(warning_);
}

}  // namespace zov::app
