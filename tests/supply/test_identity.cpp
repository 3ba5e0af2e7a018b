// The unit's identity in "SYSTEM INFORMATION", read from the simulated supply.
#include <QPushButton>
#include <QtTest>

#include "supply_rig.h"

using zov::test::background;
using zov::test::SupplyRig;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);

const char* const kFields[] = {"txt_HWREV", "txt_MODNUM", "txt_SWREV", "txt_SWBUILD",
                               "txt_serialNum_rqst"};

void clickButton(SupplyRig& rig, const char* name) {
    auto* button = rig.window->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(button != nullptr, name);
    button->click();
}

}  // namespace

class IdentityTest : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void answersFillTheFields_data();
    void answersFillTheFields();
    void silentUnitShowsUnknown();
    void shortAndMalformedReplies_data();
    void shortAndMalformedReplies();
};

void IdentityTest::startState() {
    SupplyRig rig;
    QVERIFY(rig.field("txt_serialNum_rqst")->isHidden());
    QVERIFY(rig.window->findChild<QPushButton*>("btn_serialNum_rqst")->isHidden());
    // Automatic update finds all five buttons by name.
    rig.window->disableCommandButtons();
    for (const char* name :
         {"btn_HWREV", "btn_MODNUM", "btn_SWREV", "btn_SWBuild", "btn_serialNum_rqst"}) {
        QVERIFY2(!rig.window->findChild<QPushButton*>(QLatin1String(name))->isEnabled(), name);
    }
}

void IdentityTest::answersFillTheFields_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void IdentityTest::answersFillTheFields() {
    QFETCH(bool, tcp);
    SupplyRig rig;
    rig.choose(tcp);
    for (const char* name : kFields) {
        zov::app::showNoReply(rig.field(name));
    }

    rig.state().CommStatusFlag = false;
    clickButton(rig, "btn_HWREV");
    QCOMPARE(rig.field("txt_HWREV")->text(), QStringLiteral("A01"));
    QCOMPARE(background(rig.field("txt_HWREV")), kWhite);
    QVERIFY(rig.state().CommStatusFlag);
    QVERIFY(rig.receiveTimersRunning());

    clickButton(rig, "btn_MODNUM");
    clickButton(rig, "btn_SWREV");
    QCOMPARE(rig.field("txt_SWBUILD")->text(), QStringLiteral("0412"));
    rig.sim.model().identity().softwareBuild = "0413";
    clickButton(rig, "btn_SWBuild");
    clickButton(rig, "btn_serialNum_rqst");
    QCOMPARE(rig.sim.commands(), (QStringList{"HWVR;", "MODR;", "FREV;", "SOFT;", "SNUR;"}));
    QCOMPARE(rig.field("txt_MODNUM")->text(), QStringLiteral("ZOV80N100"));
    QCOMPARE(rig.field("txt_SWREV")->text(), QStringLiteral("REV 03.06.1"));
    QCOMPARE(rig.field("txt_SWBUILD")->text(), QStringLiteral("0413"));
    QCOMPARE(rig.field("txt_serialNum_rqst")->text(), QStringLiteral("101407139-A00041"));
    for (const char* name : kFields) {
        QCOMPARE(background(rig.field(name)), kWhite);
    }
    QCOMPARE(rig.state().CommErrors, 0);

    // The start of automatic update reads all five in the same order.
    rig.sim.clearCommands();
    rig.identity.readAll();
    QCOMPARE(rig.sim.commands(), (QStringList{"HWVR;", "MODR;", "FREV;", "SOFT;", "SNUR;"}));
}

void IdentityTest::silentUnitShowsUnknown() {
    {
        // No link chosen yet.
        SupplyRig rig(SupplyRig::Supply::None);
        rig.identity.readAll();
        for (const char* name : kFields) {
            QCOMPARE(rig.field(name)->text(), QStringLiteral("Unknown"));
            QCOMPARE(background(rig.field(name)), kRed);
        }
        QCOMPARE(rig.state().CommErrors, 5);
    }
    {
        // A unit that has stopped answering; the software revision marks both fields.
        SupplyRig rig;
        rig.choose(true);
        rig.sim.faults().dropEvery = 1;
        rig.state().CommStatusFlag = false;
        clickButton(rig, "btn_SWREV");
        QCOMPARE(rig.field("txt_SWREV")->text(), QStringLiteral("Unknown"));
        QCOMPARE(rig.field("txt_SWBUILD")->text(), QStringLiteral("Unknown"));
        QCOMPARE(background(rig.field("txt_SWBUILD")), kRed);
        QCOMPARE(rig.state().CommErrors, 1);
        QVERIFY(!rig.state().CommStatusFlag);
        QVERIFY(rig.receiveTimersRunning());
    }
}

void IdentityTest::shortAndMalformedReplies_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void IdentityTest::shortAndMalformedReplies() {
    QFETCH(bool, tcp);
    SupplyRig rig;
    rig.choose(tcp);

    // A hardware revision reply of STX and one character shows that character.
    rig.sim.model().identity().hardwareRevision = "A";
    rig.sim.faults().splitPieces = tcp ? 2 : 3;
    rig.sim.faults().splitGap = std::chrono::milliseconds(2 * SupplyRig::kReplyLimitMs);
    clickButton(rig, "btn_HWREV");
    QCOMPARE(rig.field("txt_HWREV")->text(), QStringLiteral("A"));
    QCOMPARE(background(rig.field("txt_HWREV")), kWhite);
    rig.answerWhole();

    // Trailing characters after the ";" do not belong to the model.
    rig.sim.faults().trailingBytes = "X01;";
    clickButton(rig, "btn_MODNUM");
    QCOMPARE(rig.field("txt_MODNUM")->text(), QStringLiteral("ZOV80N100"));
    rig.sim.faults() = {};

    // A revision reply too short to hold a build after character 17 changes
    // the revision only.
    rig.sim.model().identity().softwareRevision = "R1";
    zov::app::showNoReply(rig.field("txt_SWBUILD"));
    rig.state().CommStatusFlag = false;
    clickButton(rig, "btn_SWREV");
    QCOMPARE(rig.field("txt_SWREV")->text(), QStringLiteral("R1,BLD0412,"));
    QCOMPARE(rig.field("txt_SWBUILD")->text(), QStringLiteral("Unknown"));
    QCOMPARE(background(rig.field("txt_SWBUILD")), kRed);
    QVERIFY(!rig.state().CommStatusFlag);

    // Replies cut short before their ";" leave the fields as they were.
    rig.field("txt_serialNum_rqst")->clear();  // read when the link was chosen
    for (const char* button : {"btn_MODNUM", "btn_SWBuild", "btn_serialNum_rqst"}) {
        rig.cutRepliesShort();
        clickButton(rig, button);
        rig.answerWhole();
    }
    QCOMPARE(rig.field("txt_MODNUM")->text(), QStringLiteral("ZOV80N100"));
    QCOMPARE(rig.field("txt_SWBUILD")->text(), QStringLiteral("Unknown"));
    QCOMPARE(background(rig.field("txt_SWBUILD")), kRed);
    QVERIFY(rig.field("txt_serialNum_rqst")->text().isEmpty());
    QVERIFY(!rig.state().CommStatusFlag);
    QCOMPARE(rig.state().CommErrors, 0);
    QVERIFY(rig.receiveTimersRunning());
}

QTEST_MAIN(IdentityTest)
#include "test_identity.moc"
