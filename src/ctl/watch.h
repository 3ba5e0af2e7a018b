// zovctl watch: the console's automatic update cycle without a window,
// printing one flushed line per reading as its step reads it. It ends after
// the cycles or the time asked for, or on SIGINT or SIGTERM: the step under
// way finishes, nothing more is sent, and every line printed is whole.
#pragma once

#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include "core/poller.h"
#include "core/supply.h"
#include "ctl/invocation.h"
#include "ctl/samples.h"

namespace zov::ctl {

class Watch : public QObject {
    Q_OBJECT
public:
    Watch(const Invocation& invocation, core::Supply& supply);

    // Runs the event loop until the watch ends; returns the exit code.
    int run();

    // The header line of the CSV form, the session record's columns.
    [[nodiscard]] static QByteArray csvHeader();
    [[nodiscard]] static QByteArray csvLine(const Sample& sample, bool stale);
    [[nodiscard]] static QByteArray jsonLine(const Sample& sample, bool stale);

private:
    void onStep(core::UpdateStep step);
    void onUnsolicited(const core::CombinedStatus& status);
    void print(const Sample& sample);
    void check();
    // Stops the cycle and ends once no exchange is running.
    void finish(int exitCode, const QString& error = {});

    struct Printed {
        QDateTime at;
        bool stale = false;
    };

    const Invocation& invocation_;
    core::Supply& supply_;
    core::Poller poller_;
    QTimer signalCheck_;
    QDeadlineTimer deadline_;
    QHash<QString, Printed> printed_;
    qint64 steps_ = 0;
    qint64 readingsPrinted_ = 0;
    bool finishing_ = false;
};

}  // namespace zov::ctl
