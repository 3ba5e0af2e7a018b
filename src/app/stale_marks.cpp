#include "stale_marks.h"

#include <QGraphicsColorizeEffect>

namespace zov::app {
namespace {

constexpr const char* kStaleProperty = "stale";

void showGreyed(QWidget* widget, bool greyed) {
    if (!greyed) {
        widget->setGraphicsEffect(nullptr);
        return;
    }
    // Text, background and lamp alike lose their colour.
    auto* grey = new QGraphicsColorizeEffect(widget);
    grey->setColor(QColor(128, 128, 128));
    grey->setStrength(1.0);
    widget->setGraphicsEffect(grey);
}

}  // namespace

StaleMarks::StaleMarks(const core::MainState& state, QObject* parent)
    : QObject(parent), state_(state) {
    clock_.start();
    ageTimer_.setInterval(kAgeCheckMs);
    connect(&ageTimer_, &QTimer::timeout, this, &StaleMarks::checkAges);
}

void StaleMarks::watch(QWidget* shown, Refresh refresh, const QStringList& commands) {
    marks_.push_back({shown, refresh, commands, std::nullopt, false, {}});
}

StaleMarks::Mark* StaleMarks::find(const QWidget* shown) {
    for (Mark& mark : marks_) {
        if (mark.widget == shown) {
            return &mark;
        }
    }
    return nullptr;
}

const StaleMarks::Mark* StaleMarks::find(const QWidget* shown) const {
    return const_cast<StaleMarks*>(this)->find(shown);
}

void StaleMarks::fresh(QWidget* shown) {
    Mark* mark = find(shown);
    if (mark == nullptr || mark->widget == nullptr) {
        return;
    }
    mark->freshAtMs = clock_.elapsed();
    if (mark->refresh == Refresh::ByCycle && state_.AutoUpdate && !ageTimer_.isActive()) {
        ageTimer_.start();
    }
    if (!mark->stale) {
        return;
    }
    mark->stale = false;
    shown->setProperty(kStaleProperty, false);
    shown->setAccessibleDescription(mark->description);
    showGreyed(shown, false);
    emit staleChanged(shown, false);
}

void StaleMarks::noReading(QWidget* shown) {
    fresh(shown);
    if (Mark* mark = find(shown)) {
        mark->freshAtMs.reset();
    }
}

void StaleMarks::markStale(Mark& mark, const QDateTime& since) {
    if (mark.stale || mark.widget == nullptr || !mark.freshAtMs) {
        return;
    }
    mark.stale = true;
    QWidget* widget = mark.widget;
    mark.description = widget->accessibleDescription();
    widget->setProperty(kStaleProperty, true);
    widget->setAccessibleDescription(
        mark.description +
        QString::fromLatin1(kDescriptionSuffix).arg(since.toString(QStringLiteral("hh:mm:ss"))));
    showGreyed(widget, true);
    emit staleChanged(widget, true);
}

void StaleMarks::noAnswerTo(const QByteArray& command) {
    const QString sent = QString::fromLatin1(command);
    const QDateTime now = QDateTime::currentDateTime();
    for (Mark& mark : marks_) {
        if (mark.commands.contains(sent)) {
            markStale(mark, now);
        }
    }
}

void StaleMarks::linkGone() {
    const QDateTime now = QDateTime::currentDateTime();
    for (Mark& mark : marks_) {
        markStale(mark, now);
    }
}

void StaleMarks::checkAges() {
    if (!state_.AutoUpdate) {
        ageTimer_.stop();
        return;
    }
    const qint64 now = clock_.elapsed();
    const QDateTime wallNow = QDateTime::currentDateTime();
    for (Mark& mark : marks_) {
        if (mark.refresh == Refresh::ByCycle && mark.freshAtMs &&
            now - *mark.freshAtMs > cycleStaleMs_) {
            markStale(mark, wallNow);
        }
    }
}

bool StaleMarks::isStale(const QWidget* shown) const {
    const Mark* mark = find(shown);
    return mark != nullptr && mark->stale;
}

QList<QWidget*> StaleMarks::staleWidgets() const {
    QList<QWidget*> stale;
    for (const Mark& mark : marks_) {
        if (mark.stale && mark.widget != nullptr) {
            stale << mark.widget.data();
        }
    }
    return stale;
}

bool showsStale(const QWidget* shown) {
    return shown->property(kStaleProperty).toBool();
}

}  // namespace zov::app
