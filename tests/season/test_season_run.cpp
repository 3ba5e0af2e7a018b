// Tube seasoning against the simulated supply: the profile window, Start and
// its refusals, the run's ticks driven by the test, step changes, marked
// steps, the end of a run, Stop and the window closes, profile files, and one
// shortened run on real timers.
#include <QtTest>

#include "season_rig.h"

using zov::test::SeasonRig;
namespace season = zov::season;
namespace core = zov::core;

namespace {

const QStringList kNothing;

QStringList enablesIn(const QStringList& commands) {
    return commands.filter(QStringLiteral("ENBL"));
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QLatin1String(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

}  // namespace

class SeasonRunTest : public QObject {
    Q_OBJECT
private slots:
    void profileWindowLoadsTheDefaultProfile();
    void defaultProfileRunsItsWholeLength();
    void setpointCountsRoundHalfToEven();
    void laterStepOfZeroMinutesEndsTheRun();
    void firstStepOfZeroMinutesLastsOneTick();
    void stepsAreAnnouncedAsTheyAreSent();
    void allTwentyStepsRunToTheEnd();
    void markedStepSwitchesEveryThirtySeconds();
    void markedFirstStepBeginsFromOff();
    void stopSendsNothingAndTheNextRunStartsAfresh();
    void startRefusesWhatItCannotRun();
    void editsDuringARunAreNotRunAndAnUnusableScaleEndsIt();
    void closingTheProgressWindowIsStop();
    void menuDuringARunShowsTheRunningProfile();
    void closingTheProfileWindowEndsTheRunAndKeepsTheProgress();
    void closingBeforeStartDiscardsTheEdits();
    void saveAndLoadProfiles();
    void loadRefusesABadFileWhole();
    void windowsClosedWhileAStepChangeWaits();
    void closingTheMainWindowDuringARun();
    void shortenedProfileOnRealTimers();
};

void SeasonRunTest::profileWindowLoadsTheDefaultProfile() {
    SeasonRig rig;
    season::SeasoningWindow& profile = rig.openProfile();
    QVERIFY(profile.isVisible());
    QCOMPARE(profile.windowTitle(), QStringLiteral("Seansoning Profile"));
    QCOMPARE(profile.windowModality(), Qt::WindowModal);
    QCOMPARE(rig.window->findChild<QWidget*>(QStringLiteral("frm_seasoning")), &profile);
    QCOMPARE(rig.seasonTimer().objectName(), QStringLiteral("Timer_Season"));
    QCOMPARE(rig.window->findChild<QTimer*>(QStringLiteral("Timer_Season")), &rig.seasonTimer());
    QVERIFY(!rig.seasonTimer().isActive());
    QCOMPARE(profile.Command1()->text(), QStringLiteral("Start Season"));
    QCOMPARE(profile.Text1(20)->text(), QStringLiteral("Step"));
    QCOMPARE(profile.Text1(24)->text(), QStringLiteral("Cycle(30 sec)"));
    QCOMPARE(profile.Text1(19)->text(), QStringLiteral("20"));
    QVERIFY(profile.Text1(0)->isReadOnly());
    QCOMPARE(profile.combo_kv(0)->count(), 101);
    QCOMPARE(profile.combo_ma(5)->count(), 29);
    QCOMPARE(profile.combo_time(19)->count(), 61);
    QVERIFY(profile.combo_ma(0)->isEditable());
    QCOMPARE(profile.findChild<QComboBox*>(QStringLiteral("combo_ma(6)"))->currentText(),
             QStringLiteral("1.0"));
    QVERIFY(profile.profile() == core::defaultProfile());
    for (int i = 0; i < core::kSteps; ++i) {
        QCOMPARE(profile.chk_cycle(i)->isChecked(), i >= 14 && i <= 16);
    }
    // "1.2" can be typed although the list has no such entry; typing adds no entry.
    profile.combo_ma(0)->setEditText(QStringLiteral("1.2"));
    QCOMPARE(profile.row(0).ma, QStringLiteral("1.2"));
    QCOMPARE(profile.combo_ma(0)->findText(QStringLiteral("1.2")), -1);
    QCOMPARE(rig.sim.commands(), kNothing);
}

void SeasonRunTest::defaultProfileRunsItsWholeLength() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    QStringList sent;
    QList<int> enableSteps;
    QObject::connect(&rig.exchange(), &zov::core::CommandExchange::transmitted, &rig.seasoning(),
                     [&](const QByteArray& frame) {
                         if (frame.contains("ENBL")) {
                             enableSteps << rig.seasoning().clock().CurrentStep + 1;
                         }
                     });
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2730;", "IREF 1228;"}));
    season::SeasonProgressWindow* progress = rig.seasoning().progressWindow();
    QVERIFY(progress != nullptr && progress->isVisible());
    QCOMPARE(progress->windowTitle(), QStringLiteral("Season"));
    QCOMPARE(progress->txt_name()->text(), QStringLiteral("Season Profile Running"));
    QVERIFY(!rig.seasoning().profileWindow()->isVisible());
    QVERIFY(rig.seasonTimer().isActive());
    QCOMPARE(progress->txt_step1()->text(), QStringLiteral("1"));
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("5"));
    QVERIFY(rig.receiveTimersRunning());

    // Remaining minutes rounded up; the new step shows from the tick after its change.
    rig.tick(60);
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("5"));
    rig.tick();
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("4"));
    rig.tick(5 * 60 - 62);
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("1"));
    QCOMPARE(rig.takeCommands(), kNothing);
    rig.tick();  // the 300th: step 2
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2730;", "IREF 2048;"}));
    QCOMPARE(progress->txt_step1()->text(), QStringLiteral("1"));
    rig.tick();
    QCOMPARE(progress->txt_step1()->text(), QStringLiteral("2"));
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("10"));

    int ticks = 5 * 60 + 1;
    while (rig.seasoning().running() && ticks < 300 * 60) {
        rig.tick();
        ++ticks;
        sent << rig.takeCommands();
    }
    QCOMPARE(ticks, 238 * 60);
    QVERIFY(!enableSteps.isEmpty());
    for (const int step : enableSteps) {
        QVERIFY2(step >= 15 && step <= 17, qPrintable(QString::number(step)));
    }
    // Step 15 begins from off (one switch-on), steps 16 and 17 from on (off, on),
    // and every 30 s in between.
    QCOMPARE(enablesIn(sent).size(), 1 + 2 + 2 + 3 * 30);
    QCOMPARE(sent.filter(QStringLiteral("VREF")).size(), 18);
    QCOMPARE(sent.back(), QStringLiteral("IREF 10238;"));
    // The end of the run: both windows unloaded, no message, nothing more.
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    QVERIFY(rig.seasoning().progressWindow() == nullptr);
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    QVERIFY(rig.loaded("frm_run_season") == nullptr);
    QVERIFY(rig.prompter.shown().size() <= 1);  // the port prompt at most
    rig.tick(3);
    QCOMPARE(rig.takeCommands(), kNothing);
    QCOMPARE(rig.state().CommErrors, 0);
}

void SeasonRunTest::setpointCountsRoundHalfToEven() {
    SeasonRig rig;
    rig.connect();
    rig.state().KvScaleFactor = 0.5;
    rig.state().mAScaleFactor = 0.5;
    rig.openProfile();
    rig.setRow(0, "1.25", "1.75", "1", false);
    rig.setRow(1, "40", "1.2", "1", false);
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2;", "IREF 4;"}));
    rig.state().KvScaleFactor = SeasonRig::kKvScale;
    rig.state().mAScaleFactor = 0.001;
    rig.tick(60);
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2730;", "IREF 1200;"}));
}

void SeasonRunTest::laterStepOfZeroMinutesEndsTheRun() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.setRow(1, "40", "0.25", "0", false);
    rig.start();
    rig.takeCommands();
    rig.tick(5 * 60 - 1);
    QVERIFY(rig.seasoning().running());
    rig.tick();
    QVERIFY(!rig.seasoning().running());
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    QVERIFY(rig.seasoning().progressWindow() == nullptr);
}

void SeasonRunTest::stepsAreAnnouncedAsTheyAreSent() {
    SeasonRig rig;
    rig.connect();
    QStringList steps;
    connect(&rig.window->sessionEvents(), &zov::core::SessionEvents::supplyEvent, this,
            [&steps](zov::core::SupplyEvent kind, const QString& detail) {
                if (kind == zov::core::SupplyEvent::SeasoningStep) {
                    steps << detail;
                }
            });
    rig.openProfile();
    rig.setRow(0, "10", "0.1", "1", false);
    rig.setRow(1, "20", "0.2", "1", false);
    rig.setRow(2, "30", "0.3", "0", false);
    rig.start();
    QCOMPARE(steps, QStringList{"step 1: 10 kV, 0.1 mA, 1 min"});
    rig.tick(60);
    QCOMPARE(steps, (QStringList{"step 1: 10 kV, 0.1 mA, 1 min", "step 2: 20 kV, 0.2 mA, 1 min"}));
    // A step of 0 minutes ends the run unsent, and unannounced.
    rig.tick(60);
    QVERIFY(!rig.seasoning().running());
    QCOMPARE(steps.size(), 2);
}

void SeasonRunTest::firstStepOfZeroMinutesLastsOneTick() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.setRow(0, "10", "0.1", "0", false);
    rig.setRow(1, "20", "0.2", "1", false);
    rig.setRow(2, "0", "0", "0", false);
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 682;", "IREF 819;"}));
    rig.tick();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 1365;", "IREF 1638;"}));
    // The step after it is a whole minute long.
    rig.tick(59);
    QVERIFY(rig.seasoning().running());
    rig.tick();
    QVERIFY(!rig.seasoning().running());
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::allTwentyStepsRunToTheEnd() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    for (int i = 0; i < core::kSteps; ++i) {
        rig.setRow(i, qPrintable(QString::number(i + 1)), "0.1", "1", false);
    }
    rig.start();
    rig.tick(core::kSteps * 60 - 1);
    QVERIFY(rig.seasoning().running());
    QCOMPARE(rig.seasoning().clock().CurrentStep, std::int16_t(19));
    rig.tick();
    QVERIFY(!rig.seasoning().running());
    const QStringList commands = rig.takeCommands();
    QCOMPARE(commands.size(), 2 * core::kSteps);
    QCOMPARE(commands.mid(commands.size() - 2), (QStringList{"VREF 1365;", "IREF 819;"}));
    QCOMPARE(rig.sim.model().setpoint(zov::sim::Channel::Voltage), 1365);
}

void SeasonRunTest::markedStepSwitchesEveryThirtySeconds() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.setRow(0, "10", "0.1", "1", false);
    rig.setRow(1, "20", "0.1", "2", true);
    rig.setRow(2, "30", "0.1", "1", false);
    rig.setRow(3, "30", "0.1", "0", false);
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 682;", "IREF 819;"}));
    rig.tick(60);
    // At a step change the setpoints come first, then the switching.
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 1365;", "IREF 819;", "ENBL 1;"}));
    QVERIFY(rig.sim.model().outputOn());
    QMap<int, QStringList> byTick;
    for (int t = 1; t <= 120; ++t) {
        rig.tick();
        const QStringList commands = rig.takeCommands();
        if (!commands.isEmpty()) {
            byTick[t] = commands;
        }
    }
    QCOMPARE(byTick.keys(), (QList<int>{30, 60, 90, 120}));
    QCOMPARE(byTick[30], QStringList{"ENBL 0;"});
    QCOMPARE(byTick[60], QStringList{"ENBL 1;"});
    QCOMPARE(byTick[90], QStringList{"ENBL 0;"});
    // The 120th tick switches on and is also the step change.
    QCOMPARE(byTick[120], (QStringList{"ENBL 1;", "VREF 2048;", "IREF 819;"}));
    // An unmarked step leaves the output as the marked one left it.
    rig.tick(60);
    QVERIFY(!rig.seasoning().running());
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(rig.sim.model().outputOn());
    QVERIFY(rig.xraySwitch().value());
}

void SeasonRunTest::markedFirstStepBeginsFromOff() {
    SeasonRig rig;
    rig.connect();
    rig.xraySwitch().click();
    QVERIFY(rig.xraySwitch().value());
    rig.takeCommands();
    rig.openProfile();
    rig.setRow(0, "40", "0.15", "1", true);
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"ENBL 0;", "ENBL 1;", "VREF 2730;", "IREF 1228;"}));
    QCOMPARE(rig.seasoning().cycle().count, std::int16_t(0));
    rig.tick(29);
    QCOMPARE(rig.takeCommands(), kNothing);
    rig.tick();
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 0;"});

    // With the switch off, only the switch-on.
    SeasonRig off;
    off.connect();
    off.openProfile();
    off.setRow(0, "40", "0.15", "1", true);
    off.start();
    QCOMPARE(off.takeCommands(), (QStringList{"ENBL 1;", "VREF 2730;", "IREF 1228;"}));
}

void SeasonRunTest::stopSendsNothingAndTheNextRunStartsAfresh() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.start();
    rig.tick(90);
    rig.takeCommands();
    QCOMPARE(rig.seasoning().clock().timeSec, std::int16_t(30));
    rig.seasoning().progressWindow()->Command1()->click();
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(!rig.seasoning().running());
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    QVERIFY(rig.seasoning().progressWindow() == nullptr);
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    QVERIFY(rig.loaded("frm_run_season") == nullptr);
    rig.tick(5);
    QCOMPARE(rig.takeCommands(), kNothing);

    // A new load, the default profile, a first minute of 60 ticks.
    season::SeasoningWindow& again = rig.openProfile();
    QVERIFY(again.profile() == core::defaultProfile());
    rig.start();
    rig.takeCommands();
    rig.tick(60);
    QCOMPARE(rig.seasoning().progressWindow()->txt_time()->text(), QStringLiteral("5"));
    rig.tick();
    QCOMPARE(rig.seasoning().progressWindow()->txt_time()->text(), QStringLiteral("4"));
}

void SeasonRunTest::startRefusesWhatItCannotRun() {
    SeasonRig rig;
    rig.choose(false, false);
    // The scale is not read yet.
    season::SeasoningWindow& profile = rig.openProfile();
    rig.start();
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(!rig.seasoning().running());
    QVERIFY(profile.isVisible());
    QVERIFY(rig.seasoning().progressWindow() == nullptr);
    QVERIFY(!rig.seasonTimer().isActive());
    QVERIFY2(rig.prompter.texts().back().startsWith(QStringLiteral("Step 1, kV: the unit's kV "
                                                                   "scale has not been read")),
             qPrintable(rig.prompter.texts().back()));

    rig.state().KvScaleFactor = SeasonRig::kKvScale;
    rig.state().mAScaleFactor = SeasonRig::kMaScale;
    struct Case {
        int row;
        const char* kv;
        const char* ma;
        const char* minutes;
        const char* text;
    };
    const Case cases[] = {
        {4, "", "0.7", "15", "Step 5, kV: the box is empty."},
        {4, "55", "lots", "15", "Step 5, mA: \"lots\" is not a number."},
        {4, "55", "0.7", "-2", "Step 5, Time: \"-2\" is not from 0 to 32767 minutes."},
        {4, "55", "0.7", "40000", "Step 5, Time: \"40000\" is not from 0 to 32767 minutes."},
        {4, "55", "5", "15", "Step 5, mA: 5 mA makes 40950 counts, outside -32768 to 32767."},
        {4, "-5", "0.7", "15", "Step 5, kV: -5 kV makes -341 counts, below 0."},
        {4, "55", "-0.1", "15", "Step 5, mA: -0.1 mA makes -819 counts, below 0."},
    };
    for (const Case& c : cases) {
        rig.setRow(c.row, c.kv, c.ma, c.minutes, false);
        rig.start();
        QCOMPARE(rig.takeCommands(), kNothing);
        QVERIFY(!rig.seasoning().running());
        QCOMPARE(
            rig.prompter.texts().back(),
            QLatin1String(c.text) + QStringLiteral("\nThe run was not started; nothing was sent."));
    }
    // Values above the unit's rating run as entered.
    rig.setRow(4, "100", "1.5", "15", false);
    rig.start();
    QVERIFY(rig.seasoning().running());
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2730;", "IREF 1228;"}));
}

void SeasonRunTest::editsDuringARunAreNotRunAndAnUnusableScaleEndsIt() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.setRow(1, "40", "0.25", "1", true);
    rig.start();
    rig.takeCommands();
    // Edited while the run goes on: the run keeps the profile it was started with.
    rig.seasoning().profileWindow()->combo_ma(1)->setEditText(QStringLiteral("0,25"));
    const auto messages = rig.prompter.shown().size();
    rig.tick(5 * 60);
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2730;", "IREF 2048;", "ENBL 1;"}));
    QVERIFY(rig.seasoning().running());
    QCOMPARE(rig.seasoning().run().profile()[1].ma, QStringLiteral("0.25"));
    QCOMPARE(rig.prompter.shown().size(), messages);
    rig.seasoning().progressWindow()->Command1()->click();
    QVERIFY(!rig.seasoning().running());

    // A scale that became unusable during the run ends it before the step.
    rig.openProfile();
    rig.start();
    rig.takeCommands();
    rig.state().KvScaleFactor = 0.0;
    rig.tick(5 * 60);
    QVERIFY(!rig.seasoning().running());
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    QVERIFY(rig.seasoning().progressWindow() == nullptr);
    QCOMPARE(rig.prompter.shown().size(), messages + 1);
    const QString text = rig.prompter.texts().back();
    QVERIFY2(text.startsWith(QStringLiteral("The seasoning run ended before step 2. Step 2, kV: "
                                            "the unit's kV scale")),
             qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("\nNothing of step 2 was sent.")), qPrintable(text));
}

void SeasonRunTest::closingTheProgressWindowIsStop() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.start();
    rig.tick(10);
    rig.takeCommands();
    QVERIFY(rig.seasoning().progressWindow()->close());
    QVERIFY(!rig.seasoning().running());
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    QVERIFY(rig.loaded("frm_run_season") == nullptr);
    rig.tick(400);
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::menuDuringARunShowsTheRunningProfile() {
    SeasonRig rig;
    rig.connect();
    season::SeasoningWindow& first = rig.openProfile();
    rig.setRow(0, "30", "0.1", "2", false);
    rig.start();
    rig.tick(70);
    rig.takeCommands();
    season::SeasoningWindow& shown = rig.openProfile();
    QCOMPARE(&shown, &first);
    QVERIFY(shown.isVisible());
    QCOMPARE(shown.row(0).kv, QStringLiteral("30"));
    // The run goes on meanwhile.
    QVERIFY(rig.seasoning().running());
    rig.tick(10);
    QCOMPARE(rig.seasoning().clock().timeSec, std::int16_t(20));
    QCOMPARE(rig.seasoning().progressWindow()->txt_time()->text(), QStringLiteral("1"));
    // "Start Season" restarts it from step 1.
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2048;", "IREF 819;"}));
    QCOMPARE(rig.seasoning().clock().CurrentStep, std::int16_t(0));
    QCOMPARE(rig.seasoning().clock().CurrentTime, std::int16_t(2));
    QCOMPARE(rig.seasoning().clock().timeSec, std::int16_t(0));
    QVERIFY(!shown.isVisible());
    QCOMPARE(rig.seasoning().progressWindow()->txt_time()->text(), QStringLiteral("2"));
    rig.tick(120);
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 2730;", "IREF 2048;"}));
}

void SeasonRunTest::closingTheProfileWindowEndsTheRunAndKeepsTheProgress() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.start();
    rig.tick(100);
    rig.takeCommands();
    season::SeasonProgressWindow* progress = rig.seasoning().progressWindow();
    rig.openProfile().close();
    QVERIFY(!rig.seasoning().running());
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    // The progress window stays as it was, until "Stop".
    QCOMPARE(rig.seasoning().progressWindow(), progress);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("4"));
    rig.tick(500);
    QCOMPARE(progress->txt_time()->text(), QStringLiteral("4"));
    QCOMPARE(rig.takeCommands(), kNothing);
    progress->Command1()->click();
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_run_season") == nullptr);
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::closingBeforeStartDiscardsTheEdits() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.setRow(0, "12", "0.3", "7", true);
    rig.seasoning().profileWindow()->close();
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    QVERIFY(rig.openProfile().profile() == core::defaultProfile());
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::saveAndLoadProfiles() {
    SeasonRig rig;
    rig.connect();
    season::SeasoningWindow& profile = rig.openProfile();
    rig.setRow(0, "20", "0.2", "3", true);
    const QString path = rig.directory.filePath(QStringLiteral("tube-a.csv"));
    rig.paths.save = path;
    profile.btn_SaveProfile()->click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    QVERIFY(saved.startsWith("step,kV,mA,minutes,cycling\n1,20,0.2,3,yes\n2,40,0.25,10,no\n"));
    QCOMPARE(saved.count('\n'), 21);
    // Written by temporary file and rename: nothing else is left beside it.
    QCOMPARE(QDir(rig.directory.path()).entryList({QStringLiteral("tube-a*")}, QDir::Files),
             QStringList{"tube-a.csv"});

    // Saving again replaces the file whole.
    rig.setRow(0, "25", "0.2", "3", false);
    profile.btn_SaveProfile()->click();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("step,kV,mA,minutes,cycling\n1,25,0.2,3,no\n"));
    file.close();

    // A new load has the default profile; loading the file brings the edits back.
    profile.close();
    rig.dropUnloaded();
    season::SeasoningWindow& fresh = rig.openProfile();
    QVERIFY(fresh.profile() == core::defaultProfile());
    rig.paths.load = path;
    fresh.btn_LoadProfile()->click();
    QCOMPARE(fresh.row(0), (core::StepText{"25", "0.2", "3", false}));
    QCOMPARE(fresh.combo_kv(0)->currentIndex(), 25);
    QCOMPARE(fresh.row(19), core::defaultProfile()[19]);

    // Cancelled choosers do nothing.
    rig.paths.save.reset();
    rig.paths.load.reset();
    const int asked = rig.paths.asked;
    fresh.btn_SaveProfile()->click();
    fresh.btn_LoadProfile()->click();
    QCOMPARE(rig.paths.asked, asked + 2);
    QCOMPARE(fresh.row(0).kv, QStringLiteral("25"));

    // A profile that a file could not hold is not saved, and no file is asked for.
    rig.setRow(3, "50", "0.55", "1;2", false);
    const QString other = rig.directory.filePath(QStringLiteral("tube-b.csv"));
    rig.paths.save = other;
    fresh.btn_SaveProfile()->click();
    QVERIFY(!QFile::exists(other));
    QCOMPARE(rig.paths.asked, asked + 2);
    QCOMPARE(rig.prompter.texts().back(),
             QStringLiteral("Step 4, Time: the box is empty.\nThe profile was not saved.")
                 .replace(QStringLiteral("the box is empty"),
                          QStringLiteral("\"1;2\" is not a number")));

    // A folder that cannot be written.
    rig.setRow(3, "50", "0.55", "15", false);
    rig.paths.save = rig.directory.filePath(QStringLiteral("no-such-folder/tube.csv"));
    fresh.btn_SaveProfile()->click();
    QVERIFY(rig.prompter.texts().back().startsWith(QStringLiteral("Cannot save the profile to ")));
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::loadRefusesABadFileWhole() {
    SeasonRig rig;
    rig.connect();
    season::SeasoningWindow& profile = rig.openProfile();
    rig.paths.load = writeFile(rig.directory, "bad.csv",
                               "step,kV,mA,minutes,cycling\n1,10,0.1,1,no\n2,20,x,1,no\n");
    profile.btn_LoadProfile()->click();
    QVERIFY(profile.profile() == core::defaultProfile());
    QCOMPARE(rig.prompter.texts().back(),
             QStringLiteral("Line 3 of %1: Step 2, mA: \"x\" is not a number.\nNothing of the "
                            "file was loaded.")
                 .arg(QDir::toNativeSeparators(*rig.paths.load)));

    rig.paths.load = rig.directory.filePath(QStringLiteral("missing.csv"));
    profile.btn_LoadProfile()->click();
    QVERIFY(rig.prompter.texts().back().startsWith(QStringLiteral("Cannot read ")));

    rig.paths.load =
        writeFile(rig.directory, "huge.csv", QByteArray(core::kProfileFileByteLimit + 10, '\n'));
    profile.btn_LoadProfile()->click();
    QVERIFY(rig.prompter.texts().back().contains(QStringLiteral("too long to be a profile")));
    QVERIFY(profile.profile() == core::defaultProfile());
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::windowsClosedWhileAStepChangeWaits() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.setRow(0, "10", "0.1", "1", false);
    rig.setRow(1, "20", "0.2", "1", true);
    rig.start();
    rig.takeCommands();
    rig.tick(59);
    // The progress window is closed by its frame while "VREF" waits for its
    // late reply: the step's pair goes out whole, then nothing more.
    QVERIFY(rig.sim.script("VREF*",
                           zov::sim::ScriptedReply::own().late(std::chrono::milliseconds(100))));
    QPointer<season::SeasonProgressWindow> progress = rig.seasoning().progressWindow();
    QTimer::singleShot(20, progress, [progress] { progress->close(); });
    rig.tick();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 1365;", "IREF 1638;"}));
    QVERIFY(!rig.seasoning().running());
    rig.dropUnloaded();
    QVERIFY(progress.isNull());
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    rig.tick(100);
    QCOMPARE(rig.takeCommands(), kNothing);

    // The profile window, reopened during the run and closed while a marked
    // step's switch-off waits: the run ends there.
    rig.openProfile();
    rig.setRow(0, "10", "0.1", "1", true);
    rig.start();
    rig.takeCommands();
    rig.openProfile();
    QVERIFY(rig.sim.script("ENBL*",
                           zov::sim::ScriptedReply::own().late(std::chrono::milliseconds(100))));
    QPointer<season::SeasoningWindow> profile = rig.seasoning().profileWindow();
    QTimer::singleShot(20, profile, [profile] { profile->close(); });
    rig.tick(30);
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 0;"});
    QVERIFY(!rig.seasoning().running());
    rig.dropUnloaded();
    QVERIFY(profile.isNull());
    QVERIFY(rig.seasoning().progressWindow() != nullptr);
    rig.tick(60);
    QCOMPARE(rig.takeCommands(), kNothing);
}

void SeasonRunTest::closingTheMainWindowDuringARun() {
    SeasonRig rig;
    rig.connect();
    rig.openProfile();
    rig.start();
    rig.tick(10);
    rig.takeCommands();
    rig.window->close();
    QCOMPARE(rig.programEnds, 1);
    QVERIFY(!rig.seasoning().running());
    rig.dropUnloaded();
    QVERIFY(rig.loaded("frm_seasoning") == nullptr);
    QVERIFY(rig.loaded("frm_run_season") == nullptr);
    QCOMPARE(rig.takeCommands(), kNothing);
}

// The done-when run: a profile shortened in a file, run on real timers
// (shortened to 10 ms a second) against the simulated unit, whose monitors
// follow each step, while another timer keeps asking the unit's status.
void SeasonRunTest::shortenedProfileOnRealTimers() {
    SeasonRig rig;
    rig.connect();
    rig.sim.model().options().rampTenths = 0;
    rig.sim.model().setMonitorNoise(false);
    rig.xraySwitch().click();
    QVERIFY(rig.sim.model().outputOn());
    rig.takeCommands();

    season::SeasoningWindow& profile = rig.openProfile();
    rig.paths.load = writeFile(rig.directory, "short.csv",
                               "step,kV,mA,minutes,cycling\n"
                               "1,10,0.1,1,no\n"
                               "2,20,0.2,1,yes\n"
                               "3,30,0.3,1,no\n");
    profile.btn_LoadProfile()->click();
    QCOMPARE(profile.row(3), (core::StepText{"0", "0", "0", false}));
    rig.seasonTimer().setInterval(10);

    // The status button's handler on a timer of its own competes for the link
    // (its period longer than its two exchanges take, as a background timer's is).
    QTimer competitor;
    competitor.setInterval(45);
    rig.exchange().connectTimer(competitor, &competitor, [&rig] {
        rig.window->findChild<QPushButton*>(QStringLiteral("btn_REQSTAT"))->click();
    });
    QList<int> voltages;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        const int count = rig.sim.model().monitor(zov::sim::Monitor::Voltage);
        if (voltages.isEmpty() || voltages.back() != count) {
            voltages << count;
        }
    });
    // Late status replies, so that many of the run's ticks fall inside a wait.
    QVERIFY(rig.sim.script("STAT;",
                           zov::sim::ScriptedReply::own().late(std::chrono::milliseconds(25)),
                           zov::sim::kUntilCleared));
    bool nested = false;
    QObject::connect(&rig.exchange(), &zov::core::CommandExchange::transmitted, &watch,
                     [&] { nested = nested || rig.exchange().isWaiting(); });
    int ticksInsideWaits = 0;
    QObject::connect(&rig.seasonTimer(), &QTimer::timeout, &watch,
                     [&] { ticksInsideWaits += rig.exchange().isWaiting() ? 1 : 0; });
    competitor.start();
    watch.start();
    rig.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.seasoning().running(), 60000);
    competitor.stop();
    watch.stop();
    rig.settle(50);

    const QStringList commands = rig.takeCommands();
    const QStringList setpoints =
        commands.filter(QRegularExpression(QStringLiteral("^(VREF|IREF) ")));
    QCOMPARE(setpoints, (QStringList{"VREF 682;", "IREF 819;", "VREF 1365;", "IREF 1638;",
                                     "VREF 2048;", "IREF 2457;"}));
    QVERIFY(commands.count(QStringLiteral("STAT;")) > 10);
    // Marked step 2 began from on (off, on), then 30 s off and 60 s on.
    QCOMPARE(enablesIn(commands), (QStringList{"ENBL 0;", "ENBL 1;", "ENBL 0;", "ENBL 1;"}));
    QCOMPARE(rig.state().CommErrors, 0);
    QVERIFY(!nested);
    QVERIFY(ticksInsideWaits > 0);
    // The voltage monitor followed every step and ended at step 3's setpoint.
    QVERIFY2(voltages.contains(682) && voltages.contains(1365),
             qPrintable(QString::number(voltages.size())));
    QCOMPARE(voltages.indexOf(682) < voltages.indexOf(1365), true);
    QCOMPARE(rig.sim.model().monitor(zov::sim::Monitor::Voltage), 2048);
    QCOMPARE(rig.sim.model().setpoint(zov::sim::Channel::Current), 2457);
    QVERIFY(rig.seasoning().profileWindow() == nullptr);
    QVERIFY(rig.seasoning().progressWindow() == nullptr);
}

QTEST_MAIN(SeasonRunTest)
#include "test_season_run.moc"
