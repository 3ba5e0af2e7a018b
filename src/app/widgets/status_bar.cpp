#include "app/widgets/status_bar.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <algorithm>

namespace zov::app {

namespace {

struct PanelStart {
    const char* text;
    const char* toolTip;
    int stretch;
};

constexpr std::array<PanelStart, StatusBar::kPanelCount> kPanelStarts{{
    {"SET PORT!", "Comm Port Settings", 2},
    {"Comm Ch.", "Selected Comm Port", 1},
    {"", "Data Received", 3},
    {"", "Data Transmitted", 3},
    {"", "Today's Date", 0},
    {"", "The Time Right Now!!", 0},
}};

// A coarse timer may fire up to 5 % early; a tick that close to the next second shows that second.
constexpr int kEarlyTickSlackMs = 100;

constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;

QString visible(const QString& text) {
    QString shown = text;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20) {
            c = QChar(char16_t(kControlPictures + c.unicode()));
        } else if (c.unicode() == 0x7F) {
            c = QChar(kDeletePicture);
        }
    }
    return shown;
}

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < kPanelCount; ++i) {
        const PanelStart& start = kPanelStarts[size_t(i)];
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setToolTip(QString::fromLatin1(start.toolTip));
        label->setAccessibleName(QString::fromLatin1(start.toolTip));
        addPermanentWidget(label, start.stretch);
        panels_[size_t(i)].label = label;
        showText(panels_[size_t(i)], QString::fromLatin1(start.text));
    }
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

QString StatusBar::panelText(int panel) const {
    if (panel < 1 || panel > kPanelCount) {
        return {};
    }
    return panels_[size_t(panel - 1)].text;
}

void StatusBar::showText(Panel& panel, const QString& text) {
    panel.text = text;
    panel.label->setText(visible(text));
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
