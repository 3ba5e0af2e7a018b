// Scale factors read from the unit, and the local/remote switch with the two
// ways the console hands the supply back.
#include <QtTest>

#include "supply/dac_settings_area.h"
#include "supply/local_remote_area.h"
#include "supply_rig.h"

using zov::test::SupplyRig;
namespace supply = zov::supply;
namespace core = zov::core;

namespace {

constexpr double kStartMaFactor = 0.000341;
constexpr double kEarlierKvFactor = 30.0 / 4095;

}  // namespace

class ScalingRemoteTest : public QObject {
    Q_OBJECT
private slots:
    void scaleCutSearchesFromCharacterFive();
    void scalingChangesLaterReadbacks_data();
    void scalingChangesLaterReadbacks();
    void unusableScaleRepliesKeepFactors_data();
    void unusableScaleRepliesKeepFactors();
    void localRemoteFollowsAcknowledge_data();
    void localRemoteFollowsAcknowledge();
    void operatorClickRequestsTheOtherMode();
    void shutdownGoesLocalFirst();
    void closingReleasesTheSwitch();
};

void ScalingRemoteTest::scaleCutSearchesFromCharacterFive() {
    const auto kv = [](const std::string& body) {
        const auto fullScale = core::fullScaleFrom("\x02" + body + "\r\n");
        return fullScale ? core::scaleFactorFor(*fullScale, core::kVoltageScaleUnitsPerKv)
                         : std::nullopt;
    };
    QVERIFY(!kv("6;"));
    QVERIFY(!kv("60;"));
    QVERIFY(!kv("6;00;"));
    QCOMPARE(*kv("600;"), 6.0 / 4095);
    QCOMPARE(*kv(" 6000 ;"), 60.0 / 4095);
    // More digits than a double holds: not a number at all, so the read ends
    // there (a factor of 0 that is then refused would let it go on).
    QVERIFY(!core::fullScaleFrom("\x02" + std::string(400, '9') + ";\r\n"));
    // A huge full scale that is a number still gives no usable factor.
    QVERIFY(!core::scaleFactorFor(1e308, core::kVoltageScaleUnitsPerKv / 1e10));
}

void ScalingRemoteTest::scalingChangesLaterReadbacks_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void ScalingRemoteTest::scalingChangesLaterReadbacks() {
    QFETCH(bool, tcp);
    SupplyRig rig;
    rig.choose(tcp);
    QVERIFY(rig.sim.model().setSetpoint(zov::sim::Channel::Voltage, 4095));
    QVERIFY(rig.sim.model().setSetpoint(zov::sim::Channel::Current, 4095));

    rig.window->supply().readScaling();
    QCOMPARE(rig.sim.commands(), (QStringList{"SLVR ;", "SLIR ;"}));
    QCOMPARE(rig.state().KvScaleFactor, 6000 / 100.0 / 4095);
    QCOMPARE(rig.state().mAScaleFactor, 500 / 1000.0 / 4095);
    QVERIFY(rig.receiveTimersRunning());

    rig.areas.dacSettings->readSetpoint(core::Channel::A);
    rig.areas.dacSettings->readSetpoint(core::Channel::B);
    QCOMPARE(rig.field("txt_DACA")->text(), QStringLiteral("60.000 kV"));
    QCOMPARE(rig.field("txt_DACB")->text(), QStringLiteral("0.500 mA"));

    // A unit of another size changes what the same counts mean.
    rig.sim.model().factory().fullScaleVoltage = 3000;
    rig.window->findChild<QPushButton*>("getScaling")->click();
    rig.areas.dacSettings->readSetpoint(core::Channel::A);
    QCOMPARE(rig.field("txt_DACA")->text(), QStringLiteral("30.000 kV"));
}

void ScalingRemoteTest::unusableScaleRepliesKeepFactors_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<bool>("kvRead");
    QTest::addColumn<bool>("maRead");
    const QStringList both{"SLVR ;", "SLIR ;"};
    const QStringList voltageOnly{"SLVR ;"};
    QTest::newRow("refused: ';' at character 3") << "refused" << voltageOnly << false << false;
    // An unusable full scale keeps its factor; the current scale is still read.
    QTest::newRow("zero full scale") << "zero" << both << false << true;
    QTest::newRow("negative full scale") << "negative" << both << false << true;
    QTest::newRow("not a number") << "garbage" << voltageOnly << false << false;
    QTest::newRow("silent unit") << "silent" << both << false << false;
    QTest::newRow("silent on the current scale") << "silent current" << both << true << false;
}

void ScalingRemoteTest::unusableScaleRepliesKeepFactors() {
    QFETCH(QString, fault);
    QFETCH(QStringList, sent);
    QFETCH(bool, kvRead);
    QFETCH(bool, maRead);
    SupplyRig rig;
    rig.choose(false, false);
    auto& faults = rig.sim.faults();
    if (fault == QLatin1String("refused")) {
        faults.refuseAll = true;
    } else if (fault == QLatin1String("zero")) {
        rig.sim.model().factory().fullScaleVoltage = 0;
    } else if (fault == QLatin1String("negative")) {
        rig.sim.model().factory().fullScaleVoltage = -6000;
    } else if (fault == QLatin1String("garbage")) {
        faults.leadingGarbage = "x";
    } else if (fault == QLatin1String("silent")) {
        faults.dropEvery = 1;
    } else {
        faults.only = "SLIR ;";
        faults.dropEvery = 1;
    }
    rig.state().KvScaleFactor = kEarlierKvFactor;
    rig.state().mAScaleFactor = kStartMaFactor;

    rig.window->supply().readScaling();
    QCOMPARE(rig.sim.commands(), sent);
    QCOMPARE(rig.state().KvScaleFactor, kvRead ? 60.0 / 4095 : kEarlierKvFactor);
    QCOMPARE(rig.state().mAScaleFactor, maRead ? 0.5 / 4095 : kStartMaFactor);
    QCOMPARE(rig.state().CommErrors, 0);
    QVERIFY(rig.receiveTimersRunning());

    // A later readback converts only with a scale the unit gave: it asks
    // again, and a unit whose full scale is no usable one gives no number.
    faults = {};
    QVERIFY(rig.sim.model().setSetpoint(zov::sim::Channel::Voltage, 4095));
    rig.areas.dacSettings->readSetpoint(core::Channel::A);
    const bool unusable = fault == QLatin1String("zero") || fault == QLatin1String("negative");
    QCOMPARE(rig.field("txt_DACA")->text(),
             unusable ? QStringLiteral("no scale") : QStringLiteral("60.000 kV"));
}

void ScalingRemoteTest::localRemoteFollowsAcknowledge_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<bool>("remoteBefore");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("remoteAfter");
    for (const bool tcp : {false, true}) {
        const char* link = tcp ? "tcp" : "serial";
        QTest::addRow("%s: local to remote", link) << tcp << false << ""
                                                   << "99,1," << true;
        QTest::addRow("%s: remote to local", link) << tcp << true << ""
                                                   << "99,0," << false;
        QTest::addRow("%s: no reply keeps remote", link) << tcp << true << "silent"
                                                         << "99,0," << true;
        QTest::addRow("%s: no reply keeps local", link) << tcp << false << "silent"
                                                        << "99,1," << false;
        QTest::addRow("%s: refusal keeps local", link) << tcp << false << "refused"
                                                       << "99,1," << false;
        QTest::addRow("%s: cut short keeps remote", link) << tcp << true << "cut short"
                                                          << "99,0," << true;
    }
}

void ScalingRemoteTest::localRemoteFollowsAcknowledge() {
    QFETCH(bool, tcp);
    QFETCH(bool, remoteBefore);
    QFETCH(QString, fault);
    QFETCH(QString, sent);
    QFETCH(bool, remoteAfter);
    SupplyRig rig;
    rig.choose(tcp);
    supply::LocalRemoteArea& area = *rig.areas.localRemote;
    area.btn_local_remote()->setValue(remoteBefore);
    if (fault == QLatin1String("silent")) {
        rig.sim.faults().dropEvery = 1;
    } else if (fault == QLatin1String("refused")) {
        rig.sim.faults().refuseAll = true;
    } else if (fault == QLatin1String("cut short")) {
        rig.cutRepliesShort();
    }

    area.btn_local_remote_Click();
    QCOMPARE(rig.sim.commands(), QStringList{sent});
    QCOMPARE(area.btn_local_remote()->value(), remoteAfter);
    QCOMPARE(rig.state().CommErrors, 0);
    QVERIFY(rig.receiveTimersRunning());
    if (fault.isEmpty()) {
        QCOMPARE(rig.sim.model().remote(), remoteAfter);
    }
    rig.answerWhole();
}

void ScalingRemoteTest::operatorClickRequestsTheOtherMode() {
    SupplyRig rig;
    rig.choose(false);
    zov::app::InstrumentButton* remote = rig.areas.localRemote->btn_local_remote();
    QVERIFY(rig.areas.localRemote->isHidden());
    remote->click();
    QCOMPARE(rig.sim.commands(), QStringList{"99,1,"});
    QVERIFY(remote->value());
    QVERIFY(rig.sim.model().remote());

    // Refused: the switch stays where it was before the click.
    rig.sim.faults().refuseAll = true;
    remote->click();
    QCOMPARE(rig.sim.commands().last(), QStringLiteral("99,0,"));
    QVERIFY(remote->value());
}

void ScalingRemoteTest::shutdownGoesLocalFirst() {
    SupplyRig rig;
    rig.choose(false);
    rig.window->mnu_SHUTDOWN_Click();
    // The local request has been answered before the first exit tick.
    QCOMPARE(rig.sim.commands(), QStringList{"99,0,"});
    QVERIFY(!rig.areas.localRemote->btn_local_remote()->value());
    QTRY_COMPARE_WITH_TIMEOUT(rig.programEnds, 1, 2000);
    QTRY_COMPARE(rig.sim.commands(), (QStringList{"99,0,", "10,0,", "11,0,", "12,0,", "13,0,"}));
    QVERIFY(!rig.sim.model().remote());
}

void ScalingRemoteTest::closingReleasesTheSwitch() {
    SupplyRig rig;
    rig.choose(true);
    rig.areas.localRemote->btn_local_remote()->setValue(true);
    rig.window->close();
    QCOMPARE(rig.programEnds, 1);
    QVERIFY(!rig.areas.localRemote->btn_local_remote()->value());
    rig.settle(50);
    QVERIFY(rig.sim.commands().isEmpty());
}

QTEST_MAIN(ScalingRemoteTest)
#include "test_scaling_remote.moc"
