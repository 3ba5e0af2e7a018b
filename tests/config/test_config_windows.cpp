// The service windows and commands against the simulated supply: what each
// reads from and writes to the unit, the access codes, and the texts that
// must never reach the unit.
#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

#include "app/extras_window.h"
#include "config/about_window.h"
#include "config/factory_config_window.h"
#include "config/serial_number_window.h"
#include "config/service_commands.h"
#include "config/user_options_window.h"
#include "config_rig.h"
#include "supply/system_status_area.h"

using zov::config::FactoryConfigWindow;
using zov::config::SerialNumberWindow;
using zov::config::UserOptionsWindow;
using zov::core::FactoryField;
using zov::core::kProgrammingButtons;
using zov::core::Option;
using zov::sim::ScriptedReply;
using zov::test::background;
using zov::test::ConfigRig;
namespace config = zov::config;
namespace core = zov::core;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QString kRefused = QStringLiteral("Entry Refused");

const core::ProgrammingButton& programming(FactoryField field) {
    return kProgrammingButtons[static_cast<std::size_t>(field)];
}

QPushButton* button(QWidget& window, const char* name) {
    return window.findChild<QPushButton*>(QLatin1String(name));
}

void setExampleFactoryData(zov::sim::SupplyModel& unit) {
    unit.factory() = {8000, 1388, 2048, 1, 0, 1024};
}

// "Factory Config", unlocked, worked by `work` while it is open.
void withUnlockedFactoryWindow(ConfigRig& rig,
                               const std::function<void(FactoryConfigWindow&)>& work) {
    rig.prompter.answerInput(QStringLiteral("7955"));
    rig.whileOpen<FactoryConfigWindow>([&rig, work](FactoryConfigWindow& window) {
        window.Command2_Click();
        rig.letUnitAnswer(1);
        work(window);
    });
    rig.trigger("mnu_Config");
}

}  // namespace

class ConfigWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void factoryWindowWaitsForItsCode();
    void factoryWindowReadsAndPrograms();
    void filamentTurnOnNeedsAScale();
    void typedTextsNeverCarryASecondCommand();
    void userOptionsReadAndSaved();
    void userOptionsWarningsAndEdits();
    void userOptionsWithoutAUnit();
    void userOptionOutOfRangeIsKept();
    void serialNumberCodesAndRead();
    void serialNumberWritten();
    void hardwareRevision();
    void totalHoursAndWatchdog();
    void aboutWindowAndSpecialMode();
    void everyServiceWindowIsAWindow();
};

void ConfigWindowsTest::factoryWindowWaitsForItsCode() {
    ConfigRig rig;
    const char* const functions[] = {"btn_getConf", "hardware", "model", "progScale",
                                     "filaPreHeat", "ramp",     "arc",   "Btn_filTurnOn"};
    for (const auto& [answer, right] :
         {std::pair<const char*, bool>{"7954", false}, {nullptr, false}, {"7955", true}}) {
        answer ? rig.prompter.answerInput(QLatin1String(answer)) : rig.prompter.cancelInput();
        rig.whileOpen<FactoryConfigWindow>([&](FactoryConfigWindow& window) {
            for (const char* name : functions) {
                QVERIFY2(!button(window, name)->isEnabled(), name);
            }
            button(window, "Command2")->click();
            QCOMPARE(window.isVisible(), right);
            for (const char* name : functions) {
                QCOMPARE(button(window, name)->isEnabled(), right);
            }
        });
        rig.trigger("mnu_Config");
    }
    rig.letUnitAnswer(1);
    QCOMPARE(rig.sim.commands(), QStringList{"PASS 7955;"});
    QVERIFY(rig.sim.model().factoryUnlocked());
    QCOMPARE(rig.dialogsShown, (QStringList{"frm_config", "frm_config", "frm_config"}));
    QVERIFY(rig.receiveTimersRunning());
}

void ConfigWindowsTest::factoryWindowReadsAndPrograms() {
    ConfigRig rig;
    setExampleFactoryData(rig.sim.model());
    withUnlockedFactoryWindow(rig, [&](FactoryConfigWindow& window) {
        window.btn_getConf_Click();
        const QStringList expected{"A01", "ZOV80N100", "80.00,1.388", "1.0002442002442",
                                   "1",   "0",         "20.00"};
        for (std::size_t i = 0; i < std::size(kProgrammingButtons); ++i) {
            QCOMPARE(window.field(kProgrammingButtons[i].field)->text(), expected[int(i)]);
        }
        QCOMPARE(window.kvVoltage(), std::string("80.00"));

        // The voltage's reply is awaited, the current's left unread.
        QSignalSpy replies(&rig.exchange(), &zov::core::CommandExchange::received);
        rig.prompter.answerInput(QStringLiteral("88.89,1.388"));
        window.program(programming(FactoryField::Scaling));
        QCOMPARE(replies.count(), 1);
        QCOMPARE(window.kvVoltage(), std::string("88.89"));

        for (const auto& [field, entry] : {std::pair{FactoryField::HardwareRevision, "A02"},
                                           {FactoryField::Preheat, "1.5"},
                                           {FactoryField::RampRate, "0"},
                                           {FactoryField::Arc, "1"},
                                           {FactoryField::FilamentTurnOn, "40"}}) {
            rig.prompter.answerInput(QLatin1String(entry));
            window.program(programming(field));
            QCOMPARE(window.field(field)->text(), QLatin1String(entry));
        }
        // A cancelled model prompt is an empty entry, sent as such.
        rig.prompter.cancelInput();
        window.program(programming(FactoryField::Model));
        QCOMPARE(window.field(FactoryField::Model)->text(), QString());
    });
    rig.letUnitAnswer(10);
    QCOMPARE(rig.sim.commands(),
             (QStringList{"PASS 7955;", "CONF;", "SLVP 8889;", "SLIP 1388;", "HWVP A02;",
                          "FILP 3071;", "RAMP 0;", "ARCP 1;", "FTON 1843;", "MODP ;"}));
    const auto& factory = rig.sim.model().factory();
    QCOMPARE(factory.fullScaleVoltage, 8889);
    QCOMPARE(factory.fullScaleCurrent, 1388);
    QCOMPARE(factory.filamentPreheat, 3071);
    QCOMPARE(factory.rampSpeed, 0);
    QCOMPARE(factory.arcMode, 1);
    QCOMPARE(rig.sim.model().identity().hardwareRevision, std::string("A02"));
    QCOMPARE(rig.state().CommErrors, 0);
    QVERIFY(rig.prompter.scriptDone());
    QVERIFY(rig.receiveTimersRunning());
}

void ConfigWindowsTest::filamentTurnOnNeedsAScale() {
    ConfigRig rig;
    setExampleFactoryData(rig.sim.model());
    withUnlockedFactoryWindow(rig, [&](FactoryConfigWindow& window) {
        rig.prompter.answerInput(QStringLiteral("40"));
        window.program(programming(FactoryField::FilamentTurnOn));
        QCOMPARE(rig.messages(), QStringList{": Please Set Unit Scaling!"});
        QCOMPARE(window.field(FactoryField::FilamentTurnOn)->text(), QStringLiteral("40"));

        // The full scale read here: 40 of 80 kV is 2047.5 counts, even 2048.
        window.btn_getConf_Click();
        rig.prompter.answerInput(QStringLiteral("40"));
        window.program(programming(FactoryField::FilamentTurnOn));
        rig.letUnitAnswer(3);

        // The main window's scale factor comes first: 20 of 60 kV.
        rig.sim.model().factory().fullScaleVoltage = 6000;
        rig.window->supply().readScaling();
        rig.prompter.answerInput(QStringLiteral("20"));
        window.program(programming(FactoryField::FilamentTurnOn));
    });
    rig.letUnitAnswer(6);
    QCOMPARE(rig.sim.commands(),
             (QStringList{"PASS 7955;", "CONF;", "FTON 2048;", "SLVR ;", "SLIR ;", "FTON 1365;"}));
    QCOMPARE(rig.sim.model().factory().filamentTurnOn, 1365);
}

void ConfigWindowsTest::typedTextsNeverCarryASecondCommand() {
    ConfigRig rig;
    const QString revisionShown = rig.identity.txt_HWREV()->text();
    const QString smuggled[] = {QStringLiteral("ZOV;ENBL 1"), QStringLiteral("A,1"),
                                QStringLiteral("X\r\nENBL 1;"),
                                QStringLiteral("\x02"
                                               "ENBL 1")};
    withUnlockedFactoryWindow(rig, [&](FactoryConfigWindow& window) {
        for (const FactoryField field : {FactoryField::HardwareRevision, FactoryField::Model,
                                         FactoryField::RampRate, FactoryField::Arc}) {
            for (const QString& entry : smuggled) {
                rig.prompter.answerInput(entry);
                window.program(programming(field));
                QCOMPARE(window.field(field)->text(), QString());
            }
        }
    });

    rig.prompter.answerInput(QStringLiteral("7851"));
    rig.prompter.answerInput(QStringLiteral("9858"));
    rig.whileOpen<SerialNumberWindow>([&](SerialNumberWindow& window) {
        window.Command1_Click();
        rig.prompter.answerInput(smuggled[0]);
        window.Btn_serialNum_Click();
    });
    rig.trigger("mnu_Serial");

    rig.prompter.answerConfirm(true);
    rig.prompter.answerInput(QStringLiteral("A;B"));
    config::mnu_HWREV_Click(*rig.window, rig.identity);

    rig.letUnitAnswer(2);
    QCOMPARE(rig.sim.commands(), (QStringList{"PASS 7955;", "PASS 9858;"}));
    QVERIFY(!rig.sim.model().outputOn());
    const QStringList messages = rig.messages();
    QCOMPARE(messages.size(), 4 * 4 + 2);
    for (const auto& box : rig.prompter.shown()) {
        if (box.kind == zov::test::ScriptedPrompter::Kind::Message) {
            QCOMPARE(box.title, kRefused);
            QCOMPARE(box.icon, zov::app::Prompter::Icon::Warning);
        }
    }
    QVERIFY2(messages.first().contains(QStringLiteral("\"ZOV;ENBL 1\" holds \";\"")),
             qPrintable(messages.first()));
    QVERIFY2(messages[3].contains(QStringLiteral("<STX>")), qPrintable(messages[3]));
    QCOMPARE(rig.identity.txt_HWREV()->text(), revisionShown);
}

void ConfigWindowsTest::userOptionsReadAndSaved() {
    ConfigRig rig;
    rig.sim.model().options() = {1, 105, 25, 0, 5, 10, 50, 1, 1};
    rig.window->setShowHidden(true);
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        QCOMPARE(window.windowTitle(), QStringLiteral("Form1"));
        QVERIFY(window.checkBox(Option::Rov)->isChecked());
        QVERIFY(window.edit(Option::OverVoltage)->isEnabled());
        QCOMPARE(window.edit(Option::OverVoltage)->value(), 105.0);
        QCOMPARE(window.edit(Option::Ramp)->value(), 2.5);
        QVERIFY(!window.checkBox(Option::Aol)->isChecked());
        QCOMPARE(window.edit(Option::ArcCount)->value(), 5.0);
        QCOMPARE(window.edit(Option::ArcPeriod)->value(), 10.0);
        QCOMPARE(window.edit(Option::QuenchTime)->value(), 50.0);
        QVERIFY(window.checkBox(Option::ReRamp)->isChecked());
        QVERIFY(window.checkBox(Option::NoArcDetect)->isChecked());
        QVERIFY(!window.edit(Option::ArcCount)->isEnabled());
        QVERIFY(!window.edit(Option::ArcPeriod)->isEnabled());
        QVERIFY(window.edit(Option::QuenchTime)->isEnabled());
        QCOMPARE(window.texts()[2], std::string("25"));
        button(window, "Command1")->click();
        QVERIFY(!window.isVisible());
    });
    rig.trigger("mnu_UserConfig");
    QCOMPARE(rig.sim.commands(), (QStringList{"27,", "09,1,105,25,0,5,10,50,1,1,"}));
    // Taken, with arc detection off: the unit's warning.
    QCOMPARE(rig.prompter.shown().size(), std::size_t(1));
    const auto& warning = rig.prompter.shown().front();
    QCOMPARE(warning.title, QStringLiteral("User Configs"));
    QCOMPARE(warning.icon, zov::app::Prompter::Icon::Warning);
    QVERIFY(warning.text.startsWith(
        QStringLiteral("The No Arc Detect mode(NAD) has been enabled.  In this mode")));
    QCOMPARE(warning.text.split(QStringLiteral("\r\n")).size(), 4);
    QVERIFY(rig.receiveTimersRunning());
}

void ConfigWindowsTest::userOptionsWarningsAndEdits() {
    ConfigRig rig;
    rig.sim.model().options() = {1, 105, 25, 0, 5, 10, 50, 1, 0};
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        // Unchecked, the level can no longer be edited but is still sent.
        window.checkBox(Option::Rov)->click();
        QVERIFY(!window.edit(Option::OverVoltage)->isEnabled());
        window.edit(Option::Ramp)->setValue(0.1);
        window.edit(Option::ArcCount)->setValue(20);  // more than one arc a second
        window.Command1_Click();
    });
    config::openUserOptions(*rig.window);
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        window.edit(Option::Ramp)->setValue(60);
        window.Command1_Click();
    });
    config::openUserOptions(*rig.window);
    QCOMPARE(rig.sim.commands(), (QStringList{"27,", "09,0,105,1,0,20,10,50,1,0,", "27,",
                                              "09,1,105,600,0,5,10,50,1,0,"}));
    // The rejected save changed nothing in the unit; the second was taken quietly.
    QCOMPARE(rig.messages().size(), 1);
    QVERIFY(rig.messages().first().startsWith(
        QStringLiteral("User Configs: An invalid arc rate(Time period/Arc Count) of more than "
                       "1 arc per second has been\r\nentered,")));
    QCOMPARE(rig.sim.model().options().rampTenths, 600);
    QCOMPARE(rig.sim.model().options().rov, 1);
}

void ConfigWindowsTest::userOptionsWithoutAUnit() {
    ConfigRig rig;
    QVERIFY(rig.sim.script("27,", ScriptedReply::silence()));
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        for (const Option box : {Option::Rov, Option::Aol, Option::ReRamp, Option::NoArcDetect}) {
            QVERIFY(!window.checkBox(box)->isChecked());
        }
        // The enable rules already hold for the unchecked boxes.
        QVERIFY(!window.edit(Option::OverVoltage)->isEnabled());
        QVERIFY(window.edit(Option::ArcCount)->isEnabled());
        window.Command1_Click();
    });
    config::openUserOptions(*rig.window);
    // The start values are not the unit's: nothing is saved.
    QCOMPARE(rig.sim.commands(), QStringList{"27,"});
    QCOMPARE(rig.prompter.shown().size(), std::size_t(1));
    QVERIFY(rig.receiveTimersRunning());
}

void ConfigWindowsTest::userOptionOutOfRangeIsKept() {
    ConfigRig rig;
    rig.sim.model().options() = {1, 150, 25, 0, 5, 10, 50, 1, 0};
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        zov::app::NumericEdit* level = window.edit(Option::OverVoltage);
        QCOMPARE(level->text(), QStringLiteral("150 (out of range)"));
        QVERIFY(level->toolTip().contains(QStringLiteral("0 to 110")));
        QCOMPARE(window.texts()[1], std::string("150"));
        // The edits after it are set all the same.
        QCOMPARE(window.edit(Option::Ramp)->value(), 2.5);
        window.Command1_Click();
    });
    config::openUserOptions(*rig.window);
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        window.edit(Option::OverVoltage)->stepUp();
        QCOMPARE(window.edit(Option::OverVoltage)->text(), QStringLiteral("1"));
        window.Command1_Click();
    });
    config::openUserOptions(*rig.window);
    QCOMPARE(rig.sim.commands(),
             (QStringList{"27,", "09,1,150,25,0,5,10,50,1,0,", "27,", "09,1,1,25,0,5,10,50,1,0,"}));

    // A reply text that would end the command early is not sent back.
    rig.sim.clearCommands();
    QVERIFY(rig.sim.script("27,", ScriptedReply::text("27,1,105,25;ENBL 1,0,5,10,50,1,0,")));
    rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
        window.Command1_Click();
        QVERIFY(window.isVisible());
    });
    config::openUserOptions(*rig.window);
    QCOMPARE(rig.sim.commands(), QStringList{"27,"});
    QCOMPARE(rig.prompter.shown().back().title, kRefused);
}

void ConfigWindowsTest::serialNumberCodesAndRead() {
    ConfigRig rig;
    QPushButton* mainButton = button(*rig.window, "btn_serialNum_rqst");
    rig.prompter.answerInput(QStringLiteral("7850"));
    rig.trigger("mnu_Serial");
    rig.prompter.cancelInput();
    rig.trigger("mnu_Serial");
    QVERIFY(rig.dialogsShown.isEmpty());
    QVERIFY(mainButton->isHidden());

    rig.prompter.answerInput(QStringLiteral("7851"));
    rig.whileOpen<SerialNumberWindow>([&](SerialNumberWindow& window) {
        QCOMPARE(window.windowTitle(), QStringLiteral("Serial Number"));
        QVERIFY(!window.Btn_serialNum()->isEnabled());
        button(window, "Btn_read_serialNum")->click();
        QCOMPARE(window.Txt_serialNum()->text(), QStringLiteral("101407139-A00041"));
        QCOMPARE(background(window.Txt_serialNum()), kWhite);

        QVERIFY(rig.sim.script("SNUR;", ScriptedReply::silence()));
        window.Btn_read_serialNum_Click();
        QCOMPARE(window.Txt_serialNum()->text(), QStringLiteral("Unknown"));
        QCOMPARE(background(window.Txt_serialNum()), kRed);
        QCOMPARE(rig.state().CommErrors, 1);

        QVERIFY(rig.sim.script("SNUR;", ScriptedReply::text("A00041")));
        window.Btn_read_serialNum_Click();  // no ";": the field keeps its text
        QCOMPARE(window.Txt_serialNum()->text(), QStringLiteral("Unknown"));

        QVERIFY(rig.sim.script("SNUR;", ScriptedReply::text(";")));
        window.Btn_read_serialNum_Click();
        QCOMPARE(window.Txt_serialNum()->text(), QString());
        QCOMPARE(background(window.Txt_serialNum()), kWhite);

        // A wrong window code closes it.
        rig.prompter.answerInput(QStringLiteral("9859"));
        window.Command1_Click();
        QVERIFY(!window.isVisible());
    });
    rig.trigger("mnu_Serial");
    QVERIFY(!mainButton->isHidden());
    QVERIFY(!rig.identity.txt_serialNum_rqst()->isHidden());
    QCOMPARE(rig.sim.commands(), (QStringList(4, QStringLiteral("SNUR;"))));
    QVERIFY(rig.receiveTimersRunning());
}

void ConfigWindowsTest::serialNumberWritten() {
    ConfigRig rig;
    for (const char* code : std::initializer_list<const char*>{"9858", nullptr}) {
        rig.prompter.answerInput(QStringLiteral("7851"));
        rig.whileOpen<SerialNumberWindow>([&](SerialNumberWindow& window) {
            // Every opening starts locked.
            QVERIFY(!window.Btn_serialNum()->isEnabled());
            if (code == nullptr) {
                rig.prompter.cancelInput();
                window.Command1_Click();
                QVERIFY(!window.isVisible());
                return;
            }
            rig.prompter.answerInput(QLatin1String(code));
            window.Command1_Click();
            QVERIFY(window.Btn_serialNum()->isEnabled());
            rig.prompter.answerInput(QStringLiteral("101407139-A00099"));
            window.Btn_serialNum_Click();
            QCOMPARE(window.Txt_serialNum()->text(), QStringLiteral("101407139-A00099"));
            button(window, "Btn_ok")->click();
            QVERIFY(!window.isVisible());
        });
        rig.trigger("mnu_Serial");
    }
    rig.letUnitAnswer(2);
    QCOMPARE(rig.sim.commands(), (QStringList{"PASS 9858;", "SNUS 101407139-A00099;"}));
    QCOMPARE(rig.sim.model().identity().serialNumber, std::string("101407139-A00099"));
}

void ConfigWindowsTest::hardwareRevision() {
    ConfigRig rig;
    QVERIFY(!rig.item("mnu_HWREV")->isEnabled());
    rig.window->setShowHidden(true);
    auto& prompter = rig.prompter;
    QLineEdit* field = rig.identity.txt_HWREV();
    const QString revisionShown = field->text();

    prompter.answerConfirm(false);
    rig.trigger("mnu_HWREV");
    QCOMPARE(prompter.shown().size(), std::size_t(1));
    QCOMPARE(prompter.shown().back().text,
             QStringLiteral("Are you sure you want to change the Rev Number?"));
    QCOMPARE(prompter.shown().back().title, QStringLiteral("Decide Now!"));
    QCOMPARE(field->text(), revisionShown);

    for (const char* wrongLength : {"A2", "A002"}) {
        prompter.answerConfirm(true);
        prompter.answerInput(QLatin1String(wrongLength));
        rig.trigger("mnu_HWREV");
        QCOMPARE(field->text(), QStringLiteral("Change Failed"));
    }
    prompter.answerConfirm(true);
    prompter.cancelInput();
    rig.trigger("mnu_HWREV");
    QVERIFY(rig.sim.commands().isEmpty());

    prompter.answerConfirm(true);
    prompter.answerInput(QStringLiteral("A02"));
    rig.trigger("mnu_HWREV");
    const auto& asked = prompter.shown().back();
    QCOMPARE(asked.text, QStringLiteral("Enter the new HW Rev Number"));
    QCOMPARE(asked.title, QStringLiteral("Change Hardware Revision Number"));
    QCOMPARE(asked.defaultText, QStringLiteral("A01"));
    QCOMPARE(field->text(), QStringLiteral("A02"));
    QCOMPARE(background(field), kWhite);

    QVERIFY(rig.sim.script("40,*", ScriptedReply::refusal()));
    prompter.answerConfirm(true);
    prompter.answerInput(QStringLiteral("A03"));
    rig.trigger("mnu_HWREV");
    QCOMPARE(field->text(), QStringLiteral("Change Failed"));
    QCOMPARE(rig.sim.commands(), (QStringList{"40,A02,", "HWVR;", "40,A03,"}));
    QCOMPARE(rig.sim.model().identity().hardwareRevision, std::string("A02"));
}

void ConfigWindowsTest::totalHoursAndWatchdog() {
    ConfigRig rig;
    rig.window->setShowHidden(true);
    rig.trigger("mnu_Reset_total_hrs");
    QCOMPARE(rig.sim.commands(), QStringList{"30,"});
    QVERIFY(rig.prompter.shown().empty());
    QVERIFY(rig.receiveTimersRunning());

    // Taken to be on at start, whatever the item and lamp say.
    const auto& watchdog = rig.areas.systemStatus->watchdog();
    QAction* item = rig.item("enableWdt");
    QCOMPARE(item->text(), QStringLiteral("Enable WatchDog Timer"));
    QCOMPARE(watchdog.label->text(), QStringLiteral("WDT Off"));
    QVERIFY(rig.state().wdtEnabled);
    rig.sim.model().setWatchdogEnabled(true);

    rig.sim.clearCommands();
    rig.trigger("enableWdt");
    QVERIFY(!rig.sim.model().watchdogEnabled());
    QVERIFY(!rig.state().wdtEnabled);
    QCOMPARE(item->text(), QStringLiteral("Enable Watchdog Timer"));
    QCOMPARE(watchdog.label->text(), QStringLiteral("WDT Off"));
    QVERIFY(!watchdog.led->value());

    rig.trigger("enableWdt");
    QVERIFY(rig.sim.model().watchdogEnabled());
    QCOMPARE(item->text(), QStringLiteral("Disable Watchdog Timer"));
    QCOMPARE(watchdog.label->text(), QStringLiteral("WDT On"));
    QVERIFY(watchdog.led->value());

    // No reply: the console's own state goes on toggling.
    QVERIFY(rig.sim.script("WDTE*", ScriptedReply::silence()));
    rig.trigger("enableWdt");
    QVERIFY(!rig.state().wdtEnabled);
    QCOMPARE(rig.sim.commands(), (QStringList{"WDTE 0;", "WDTE 1;", "WDTE 0;"}));
    QCOMPARE(rig.state().CommErrors, 0);
    rig.sim.model().setWatchdogEnabled(false);
}

void ConfigWindowsTest::aboutWindowAndSpecialMode() {
    ConfigRig rig;
    rig.window->show();
    QAction* extras = rig.item("mnu_EXTRAS");
    QAction* passThrough = rig.item("mnu_PASSTHRU");
    const auto about = [&rig]() -> QWidget* {
        rig.trigger("mnu_ABOUT");
        QWidget* window = rig.window->loadedWindow(QStringLiteral("RevScreen"));
        return window != nullptr && window->isVisible() ? window : nullptr;
    };
    for (const auto& answer :
         {std::optional<QString>(QStringLiteral("QZT")), std::optional<QString>()}) {
        QPointer<QWidget> window = about();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("About the ZOV Interface"));
        auto* version = window->findChild<QLabel*>(QStringLiteral("Label3"));
        QCOMPARE(version->text(), QStringLiteral("Version 3.6"));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral(" GUI for ZOV80"));
        const std::size_t boxesBefore = rig.prompter.shown().size();
        QTest::mouseClick(version, Qt::LeftButton);
        QCOMPARE(rig.prompter.shown().size(), boxesBefore);
        answer ? rig.prompter.answerInput(*answer) : rig.prompter.cancelInput();
        QTest::mouseDClick(version, Qt::LeftButton);
        QTRY_VERIFY(!window);
        QVERIFY(!extras->isEnabled() && !extras->isVisible());
        QVERIFY(!passThrough->isEnabled() && !passThrough->isVisible());
    }
    const auto& asked = rig.prompter.shown().back();
    QCOMPARE(asked.text, QStringLiteral("Enter Mode Password"));
    QCOMPARE(asked.title, QStringLiteral("Enable Special Function Mode"));

    QPointer<QWidget> window = about();
    rig.prompter.answerInput(QStringLiteral("qzt"));
    static_cast<config::AboutWindow*>(window.data())->Label3_DblClick();
    QTRY_VERIFY(!window);
    QVERIFY(rig.window->extrasWindow().isVisible());
    QVERIFY(extras->isEnabled() && extras->isVisible());
    QVERIFY(passThrough->isEnabled() && passThrough->isVisible());
    // The mode lasts after the diagnostics window closes.
    rig.window->extrasWindow().close();
    QVERIFY(extras->isEnabled() && extras->isVisible());
    QVERIFY(rig.sim.commands().isEmpty());
}

void ConfigWindowsTest::everyServiceWindowIsAWindow() {
    ConfigRig rig;
    rig.window->show();
    QStringList checked;
    const auto check = [&checked](QWidget& window, const QString& caption) {
        QVERIFY(window.isWindow());
        QCOMPARE(window.windowTitle(), caption);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->role(), QAccessible::Dialog);
        QCOMPARE(accessible->text(QAccessible::Description), window.objectName());
        checked << window.objectName();
    };
    rig.dialogScript = [&](QDialog& dialog) {
        dialog.show();
        check(dialog,
              dialog.objectName() == QLatin1String("frm_config") ? QStringLiteral("Configure")
              : dialog.objectName() == QLatin1String("Form1")    ? QStringLiteral("Serial Number")
                                                                 : QStringLiteral("Form1"));
    };
    config::openFactoryConfig(*rig.window);
    config::openUserOptions(*rig.window);
    rig.prompter.answerInput(QStringLiteral("7851"));
    rig.trigger("mnu_Serial");
    rig.trigger("mnu_ABOUT");
    check(*rig.window->loadedWindow(QStringLiteral("RevScreen")),
          QStringLiteral("About the ZOV Interface"));
    rig.window->showExtrasWindow();
    check(rig.window->extrasWindow(), QStringLiteral("EXTRAS!"));
    QCOMPARE(checked,
             (QStringList{"frm_config", "frm_prog_conf", "Form1", "RevScreen", "frm_EXTRAS"}));
}

QTEST_MAIN(ConfigWindowsTest)
#include "test_config_windows.moc"
