// Stale readings: what the panel holds keeps its value but is marked, for the
// eye and for assistive tools, once the link goes, an exchange that should
// refresh it gets no answer, or the update cycle stops refreshing it; the
// status bar says since when, and the next good reading clears the mark.
#include <QLabel>
#include <QtTest>

#include "app/stale_marks.h"
#include "supply/dac_settings_area.h"
#include "supply/system_status_area.h"
#include "supply/update_cycle.h"
#include "supply_rig.h"
#include "truth_groups.h"

using zov::app::showsStale;
using zov::core::Channel;
using zov::sim::ScriptedReply;
using zov::test::SupplyRig;

namespace {

struct StaleRig : SupplyRig {
    QWidget* widget(const char* name) { return window->findChild<QWidget*>(QLatin1String(name)); }
    QString warning() { return window->statusBar1().warningText(); }
    // The output on, as the unit reports it, and every field read once.
    void readAll() {
        sim.model().setOutput(true);
        areas.systemStatus->btn_REQSTAT_Click();
        areas.dacSettings->readSetpoint(Channel::A);
        identity.btn_MODNUM_Click();
    }
    void requireStale(const char* name, bool stale) {
        QWidget* shown = widget(name);
        QVERIFY2(showsStale(shown) == stale, name);
        QVERIFY2(shown->accessibleDescription().contains(QStringLiteral("(stale since ")) == stale,
                 name);
        QVERIFY2((shown->graphicsEffect() != nullptr) == stale, name);
    }
};

const char* const kReadOnce[] = {"lbl_HVSTAT", "led_HVSTAT", "lbl_INTRLKSTAT",
                                 "lbl_ARC",    "txt_DACA",   "txt_MODNUM"};

class StaleTruth : public QObject {
    Q_OBJECT
private slots:
    void lostLinkMarksEverything_data();
    void lostLinkMarksEverything();
    void noAnswerMarksWhatItShouldRefresh();
    void cycleThatStopsRefreshingMarksItsFields();
};

void StaleTruth::lostLinkMarksEverything_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("pty pulled") << false;
    QTest::newRow("TCP dropped") << true;
}

void StaleTruth::lostLinkMarksEverything() {
    QFETCH(bool, tcp);
    StaleRig rig;
    rig.choose(tcp);
    rig.readAll();
    for (const char* name : kReadOnce) {
        rig.requireStale(name, false);
    }
    QVERIFY(rig.warning().isEmpty());
    const QString description = rig.widget("txt_DACA")->accessibleDescription();

    if (tcp) {
        rig.sim.dropTcpConnections();
    } else {
        rig.sim.closePty();
    }
    QTRY_VERIFY(rig.warning().startsWith(QStringLiteral("Link lost at ")));
    QCOMPARE(rig.window->findChild<QLabel*>(QStringLiteral("StatusBar1_warning"))->accessibleName(),
             rig.warning());
    for (const char* name : kReadOnce) {
        rig.requireStale(name, true);
    }
    // The value stays as the unit last gave it.
    QCOMPARE(rig.window->findChild<QLabel*>(QStringLiteral("lbl_HVSTAT"))->text(),
             QStringLiteral("X-RAY ON"));

    // The adapter plugged back in, the port reopened by the watchdog and
    // nothing chosen again: each field clears with its own next reading only.
    if (!tcp) {
        QVERIFY(rig.sim.startPty(rig.linkPath));
        rig.exchange().tmr_COMMWDT().setInterval(50);
        QTRY_VERIFY(rig.exchange().serial().isOpen());
        rig.areas.dacSettings->readSetpoint(Channel::A);
        QVERIFY(rig.warning().isEmpty());
        rig.requireStale("txt_DACA", false);
        QCOMPARE(rig.widget("txt_DACA")->accessibleDescription(), description);
        rig.requireStale("txt_MODNUM", true);  // the unit may have been swapped
        rig.requireStale("lbl_HVSTAT", true);
    }
}

void StaleTruth::noAnswerMarksWhatItShouldRefresh() {
    StaleRig rig;
    rig.choose(false);
    rig.readAll();
    QVERIFY(rig.sim.script("VSET;", ScriptedReply::silence()));
    rig.areas.dacSettings->readSetpoint(Channel::A);
    QVERIFY(rig.warning().startsWith(QStringLiteral("No answer from the supply since ")));
    rig.requireStale("txt_DACA", true);
    rig.requireStale("lbl_HVSTAT", false);
    rig.requireStale("txt_MODNUM", false);
    // A fresh field keeps every colour rule: "X-RAY ON" stays red.
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QVERIFY(rig.warning().isEmpty());
    QCOMPARE(zov::supply::textColour(rig.window->findChild<QLabel*>(QStringLiteral("lbl_HVSTAT"))),
             zov::supply::kAlarmText);
    rig.areas.dacSettings->readSetpoint(Channel::A);
    rig.requireStale("txt_DACA", false);
}

// The cycle runs, but its timer no longer comes (as behind a hung exchange).
void StaleTruth::cycleThatStopsRefreshingMarksItsFields() {
    StaleRig rig;
    rig.choose(false);
    rig.window->staleMarks().setCycleStaleMs(300);
    rig.areas.updateCycle->mnu_AUTOUPDATE_Click();
    QTRY_VERIFY(!rig.sim.commands().filter(QStringLiteral("FLT;")).isEmpty());
    QTest::qWait(100);
    rig.requireStale("lbl_HVSTAT", false);
    rig.exchange().tmr_UPDATE().stop();
    QTRY_VERIFY_WITH_TIMEOUT(showsStale(rig.widget("lbl_HVSTAT")), 2000);
    rig.requireStale("txt_ADC2", true);
    rig.requireStale("txt_DACA", true);
    rig.requireStale("txt_MODNUM", false);  // read once, not by the cycle
    QVERIFY(rig.sim.commands().filter(QStringLiteral("STAT;")).size() >= 1);
    rig.areas.updateCycle->mnu_MANUAL_Click();
}

}  // namespace

ZOV_TRUTH_GROUP(StaleTruth);

#include "truth_stale.moc"
