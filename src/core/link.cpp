// SPDX-License-Identifier: Apache-2.0
#include "link.h"

#include <QEventLoop>
#include <QTimer>

namespace zov::core {

void Link::waitOnLink(int limitMs, int quietMs, const std::function<void()>& collect,
                      const std::function<bool()>& done) {
    collect();
    if (done()) {
        return;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer quiet;
    quiet.setSingleShot(true);
    connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection looking = connect(this, &Link::activity, &loop, [&] {
        collect();
        if (done()) {
            loop.quit();
        } else if (quietMs > 0) {
            quiet.start(quietMs);
        }
    });
    deadline.start(limitMs);
    if (quietMs > 0) {
        quiet.start(quietMs);
    }
    // User input waits for the exchange to end; timers and repaint go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    disconnect(looking);
}

}  // namespace zov::core
