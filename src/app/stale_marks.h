// What the panel shows carries its age. Every field and lamp filled from the
// unit is watched here: it turns stale when the link is lost, closed or
// changed, when the exchange that should refresh it got no answer, or, for
// what the automatic update cycle reads, when the cycle has not refreshed it
// for a while. A stale widget keeps what it shows, greyed at a glance, and
// tells assistive tools since when; its next good reading clears the mark.
// Nothing is ever sent for this.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

#include "core/main_state.h"

namespace zov::app {

class StaleMarks : public QObject {
    Q_OBJECT
public:
    enum class Refresh { OnRequest, ByCycle };
    // A field the automatic cycle reads (every 0.8 s at most) is stale when
    // it has not been refreshed for this long while the cycle runs.
    static constexpr int kCycleStaleMs = 3000;
    static constexpr int kAgeCheckMs = 500;
    // Appended to a stale widget's accessible description; "%1" is hh:mm:ss.
    static constexpr const char* kDescriptionSuffix = " (stale since %1)";

    StaleMarks(const core::MainState& state, QObject* parent = nullptr);

    // `shown` is filled from the replies to `commands` (sent unframed, as
    // "VSET;" or "22,"); a reply one of them misses makes it stale.
    void watch(QWidget* shown, Refresh refresh, const QStringList& commands);
    // The unit just gave what `shown` shows.
    void fresh(QWidget* shown);
    // `shown` holds no reading now ("Unknown", "No Comms"): nothing to mark
    // until the unit gives it one.
    void noReading(QWidget* shown);
    // `command` got no answer.
    void noAnswerTo(const QByteArray& command);
    // The link went away or another was chosen: all that holds a reading is stale.
    void linkGone();

    [[nodiscard]] bool isStale(const QWidget* shown) const;
    // Widgets that hold a reading and are stale now, for checks from outside.
    [[nodiscard]] QList<QWidget*> staleWidgets() const;

    // Tests shorten the cycle's age limit here.
    void setCycleStaleMs(int ms) { cycleStaleMs_ = ms; }

signals:
    void staleChanged(QWidget* shown, bool stale);

private:
    struct Mark {
        QPointer<QWidget> widget;
        Refresh refresh;
        QStringList commands;
        std::optional<qint64> freshAtMs;  // never given: shows its start text
        bool stale = false;
        QString description;  // the accessible description without the suffix
    };
    Mark* find(const QWidget* shown);
    const Mark* find(const QWidget* shown) const;
    void markStale(Mark& mark, const QDateTime& since);
    void checkAges();

    const core::MainState& state_;
    std::vector<Mark> marks_;
    QElapsedTimer clock_;
    QTimer ageTimer_;
    int cycleStaleMs_ = kCycleStaleMs;
};

// Whether a widget carries the stale mark, for code that has only the widget.
[[nodiscard]] bool showsStale(const QWidget* shown);

}  // namespace zov::app
