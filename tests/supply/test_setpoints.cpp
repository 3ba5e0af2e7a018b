// Setpoint readback of the four channels against the simulated supply.
#include <QPushButton>
#include <QtTest>

#include "supply/dac_settings_area.h"
#include "supply/raw_data_window.h"
#include "supply_rig.h"

using zov::sim::Channel;
using zov::supply::rawDataWindow;
using zov::test::background;
using zov::test::SupplyRig;
namespace supply = zov::supply;
namespace core = zov::core;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);

QLineEdit* displayBox(SupplyRig& rig, core::Channel channel) {
    return rig.areas.dacSettings->displayBox(channel);
}

QLineEdit* rawBox(SupplyRig& rig, core::Channel channel) {
    return rawDataWindow(*rig.window).rawDacBox(channel);
}

}  // namespace

class SetpointTest : public QObject {
    Q_OBJECT
private slots:
    void areaAsDesigned();
    void readbacksOfAllChannels_data();
    void readbacksOfAllChannels();
    void repliesThatAreNoReading();
    void failedReadLeavesBoxesAndTimers_data();
    void failedReadLeavesBoxesAndTimers();
};

void SetpointTest::areaAsDesigned() {
    SupplyRig rig;
    for (const char* hidden : {"btn_FILLIM", "btn_FILPREHEAT", "txt_DACC", "txt_DACD"}) {
        QVERIFY2(rig.window->findChild<QWidget*>(QLatin1String(hidden))->isHidden(), hidden);
    }
    // Automatic update finds the four read buttons by name.
    rig.window->disableCommandButtons();
    for (const char* name : {"btn_KVSET", "btn_EMI", "btn_FILLIM", "btn_FILPREHEAT"}) {
        QVERIFY2(!rig.window->findChild<QPushButton*>(QLatin1String(name))->isEnabled(), name);
    }
}

void SetpointTest::readbacksOfAllChannels_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void SetpointTest::readbacksOfAllChannels() {
    QFETCH(bool, tcp);
    SupplyRig rig;
    rig.choose(tcp);
    rig.state().KvScaleFactor = 60.0 / 4095;
    rig.state().mAScaleFactor = 0.5 / 4095;
    auto& model = rig.sim.model();
    QVERIFY(model.setSetpoint(Channel::Voltage, 2048));
    QVERIFY(model.setSetpoint(Channel::Current, 4095));
    QVERIFY(model.setSetpoint(Channel::FilamentLimit, 4095));
    QVERIFY(model.setSetpoint(Channel::FilamentPreheat, 819));
    zov::app::setFieldBackground(displayBox(rig, core::Channel::A), kRed);

    rig.state().CommStatusFlag = false;
    rig.window->findChild<QPushButton*>("btn_KVSET")->click();
    QCOMPARE(displayBox(rig, core::Channel::A)->text(), QStringLiteral("30.007 kV"));
    QCOMPARE(background(displayBox(rig, core::Channel::A)), kWhite);
    QCOMPARE(rawBox(rig, core::Channel::A)->text(), QStringLiteral("2048"));
    QVERIFY(rig.state().CommStatusFlag);
    QVERIFY(rig.receiveTimersRunning());
    // Writing the raw count never shows the unscaled-data window.
    QVERIFY(!rawDataWindow(*rig.window).isVisible());

    rig.window->findChild<QPushButton*>("btn_EMI")->click();
    rig.window->findChild<QPushButton*>("btn_FILLIM")->click();
    rig.areas.dacSettings->readSetpoint(core::Channel::D);
    QCOMPARE(rig.sim.commands(), (QStringList{"VSET;", "ISET;", "16,", "17,"}));
    QCOMPARE(displayBox(rig, core::Channel::B)->text(), QStringLiteral("0.500 mA"));
    QCOMPARE(displayBox(rig, core::Channel::C)->text(), QStringLiteral("5.000 A"));
    QCOMPARE(displayBox(rig, core::Channel::D)->text(), QStringLiteral("0.500 A"));
    QCOMPARE(rawBox(rig, core::Channel::B)->text(), QStringLiteral("4095"));
    QCOMPARE(rawBox(rig, core::Channel::C)->text(), QStringLiteral("4095"));
    QCOMPARE(rawBox(rig, core::Channel::D)->text(), QStringLiteral("819"));
    QCOMPARE(rig.state().CommErrors, 0);
}

void SetpointTest::repliesThatAreNoReading() {
    const auto& preheat = core::setpointChannel(core::Channel::D);
    QVERIFY(core::readingFrom(preheat,
                              "\x02"
                              "17,819,\r\n",
                              1.0));
    // The filament limit's reply is never shown as the preheat.
    QVERIFY(!core::readingFrom(preheat,
                               "\x02"
                               "16,819,\r\n",
                               1.0));
    QVERIFY(!core::readingFrom(preheat,
                               "\x02"
                               "819,\r\n",
                               1.0));
    // A count of 400 digits is no count, not "0.000 kV".
    const auto& kv = core::setpointChannel(core::Channel::A);
    QVERIFY(!core::readingFrom(kv, "\x02" + std::string(400, '9') + ";\r\n", 60.0 / 4095));
}

void SetpointTest::failedReadLeavesBoxesAndTimers_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("fault");
    for (const bool automatic : {false, true}) {
        const char* mode = automatic ? "automatic" : "manual";
        for (const char* fault : {"silent", "not a number", "cut short"}) {
            for (const bool tcp : {false, true}) {
                QTest::addRow("%s, %s, %s", mode, fault, tcp ? "tcp" : "serial")
                    << tcp << automatic << QString::fromLatin1(fault);
            }
        }
    }
}

void SetpointTest::failedReadLeavesBoxesAndTimers() {
    QFETCH(bool, tcp);
    QFETCH(bool, automatic);
    QFETCH(QString, fault);
    SupplyRig rig;
    rig.choose(tcp);
    rig.state().KvScaleFactor = 60.0 / 4095;
    rig.areas.dacSettings->readSetpoint(core::Channel::A);
    rig.areas.dacSettings->readSetpoint(core::Channel::C);
    zov::app::setFieldBackground(displayBox(rig, core::Channel::C), kRed);
    const QString kvBefore = displayBox(rig, core::Channel::A)->text();
    rig.state().CommStatusFlag = false;
    rig.state().AutoUpdate = automatic;
    if (automatic) {
        // The mode only: no cycle step may read the channels meanwhile.
        rig.exchange().tmr_UPDATE().setInterval(3600 * 1000);
        rig.exchange().tmr_UPDATE().start();
    }
    QVERIFY(rig.sim.model().setSetpoint(Channel::Voltage, 1234));
    QVERIFY(rig.sim.model().setSetpoint(Channel::FilamentLimit, 1234));

    for (const core::Channel channel : {core::Channel::A, core::Channel::C}) {
        if (fault == QLatin1String("silent")) {
            rig.sim.faults().dropEvery = 1;
        } else if (fault == QLatin1String("not a number")) {
            // Bytes ahead of the STX move every character position along.
            rig.sim.faults().leadingGarbage = "x";
        } else {
            rig.cutRepliesShort();
        }
        rig.areas.dacSettings->readSetpoint(channel);
        QVERIFY(rig.receiveTimersRunning());
        QCOMPARE(rig.exchange().tmr_UPDATE().isActive(), automatic);
        rig.answerWhole();
    }

    QCOMPARE(displayBox(rig, core::Channel::A)->text(), kvBefore);
    QCOMPARE(rawBox(rig, core::Channel::A)->text(), QStringLiteral("0"));
    QCOMPARE(displayBox(rig, core::Channel::C)->text(), QStringLiteral("0.000 A"));
    QCOMPARE(background(displayBox(rig, core::Channel::C)), kRed);
    QCOMPARE(rawBox(rig, core::Channel::C)->text(), QStringLiteral("0"));
    QVERIFY(!rig.state().CommStatusFlag);
    // A setpoint read never counts a communication error.
    QCOMPARE(rig.state().CommErrors, 0);
    rig.exchange().tmr_UPDATE().stop();
}

QTEST_MAIN(SetpointTest)
#include "test_setpoints.moc"
