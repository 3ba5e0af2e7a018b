#include "app/widgets/status_bar.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QResizeEvent>
#include <algorithm>

#include "app/widgets/legible_text.h"

namespace zov::app {

namespace {

struct PanelStart {
    const char* text;
    const char* toolTip;
    int stretch;
    // Width in average characters for a panel whose text comes from outside
    // (a reply, a frame, a port the user typed): it takes this much or what
    // the bar gives it, never what its text would need. 0: the panel is as
    // wide as its own text (the console's link settings, the clock).
    int fixedCharacters;
};

constexpr std::array<PanelStart, StatusBar::kPanelCount> kPanelStarts{{
    {"SET PORT!", "Comm Port Settings", 2, 0},
    {"Comm Ch.", "Selected Comm Port", 1, 24},
    {"", "Data Received", 3, 32},
    {"", "Data Transmitted", 3, 32},
    {"", "Today's Date", 0, 0},
    {"", "The Time Right Now!!", 0, 0},
}};

// A coarse timer may fire up to 5 % early; a tick that close to the next second shows that second.
constexpr int kEarlyTickSlackMs = 100;

}  // namespace

// One panel: the legible text, cut with "..." to the width the layout gives it.
class StatusBar::PanelLabel : public QLabel {
public:
    PanelLabel(int fixedCharacters, QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        if (fixedCharacters > 0) {
            setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            setMinimumWidth(fontMetrics().averageCharWidth() * fixedCharacters);
        }
    }

    void showLegible(const QString& legible) {
        if (legible == legible_) {
            return;  // a repeated reply or status message costs nothing more
        }
        legible_ = legible;
        setAccessibleName(legible);
        fit();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() {
        const int width = contentsRect().width() - 2 * margin() - 2 * indent();
        setText(sizePolicy().horizontalPolicy() == QSizePolicy::Ignored
                    ? fontMetrics().elidedText(legible_, Qt::ElideRight, std::max(width, 0))
                    : legible_);
    }

    QString legible_;
};

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < kPanelCount; ++i) {
        const PanelStart& start = kPanelStarts[size_t(i)];
        auto* label = new PanelLabel(start.fixedCharacters, this);
        label->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(i + 1));
        label->setToolTip(QString::fromLatin1(start.toolTip));
        label->setAccessibleDescription(QString::fromLatin1(start.toolTip));
        addPermanentWidget(label, start.stretch);
        panels_[size_t(i)].label = label;
        showText(panels_[size_t(i)], QString::fromLatin1(start.text));
    }
    indicator_ = makeAlarmLabel(QStringLiteral("StatusBar1_indicator"));
    warning_ = makeAlarmLabel(QStringLiteral("StatusBar1_warning"));
    clockTimer_.setSingleShot(true);
    clockTimer_.setTimerType(Qt::CoarseTimer);
    connect(&clockTimer_, &QTimer::timeout, this, &StatusBar::showClock);
    showClock();
}

void StatusBar::setPanelText(int panel, const QString& text) {
    if (panel < 1 || panel >= kDatePanel) {
        return;
    }
    showText(panels_[size_t(panel - 1)], text);
}

void StatusBar::restoreStartText(int panel) {
    if (panel >= 1 && panel < kDatePanel) {
        setPanelText(panel, QString::fromLatin1(kPanelStarts[size_t(panel - 1)].text));
    }
}

QString StatusBar::panelText(int panel) const {
    if (panel < 1 || panel > kPanelCount) {
        return {};
    }
    return panels_[size_t(panel - 1)].text;
}

void StatusBar::setIndicator(const QString& text, const QString& toolTip) {
    const QString shown = text.size() > kIndicatorLimit
                              ? text.left(kIndicatorLimit - 3) + QStringLiteral("...")
                              : text;
    indicator_->setText(shown);
    indicator_->setAccessibleName(shown);
    indicator_->setToolTip(toolTip);
    indicator_->setVisible(!shown.isEmpty());
}

QLabel* StatusBar::makeAlarmLabel(const QString& name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    label->setAccessibleDescription(name);
    label->hide();
    insertPermanentWidget(0, label);
    return label;
}

void StatusBar::setWarning(const QString& text) {
    warning_->setText(text);
    warning_->setAccessibleName(text);
    warning_->setVisible(!text.isEmpty());
}

QString StatusBar::warningText() const {
    return warning_->text();
}

QString StatusBar::indicatorText() const {
    return indicator_->text();
}

void StatusBar::showText(Panel& panel, const QString& text) {
    panel.text = text;
    panel.label->showLegible(legibleText(text, kShownLimit));
}

// One wake-up a second, re-aimed at the next whole second each time so the clock never drifts.
void StatusBar::showClock() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime shown = now.addMSecs(kEarlyTickSlackMs);
    const QTime second(shown.time().hour(), shown.time().minute(), shown.time().second());
    const QLocale locale;
    showText(panels_[kDatePanel - 1], locale.toString(shown.date(), QLocale::ShortFormat));
    showText(panels_[kTimePanel - 1], second.toString(QStringLiteral("HH:mm:ss")));
    const QDateTime next = QDateTime(shown.date(), second).addSecs(1);
    clockTimer_.start(int(std::clamp<qint64>(now.msecsTo(next), 1, 2000)));
}

}  // namespace zov::app
