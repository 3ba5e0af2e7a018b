// Every box an operator types into, fed what operators and stuck keys type:
// nothing, blanks, letters, exponents, a negative zero, huge numbers,
// separators of the protocol, control characters and 4 KB of text. Each
// entry either does what the box is for, sending only the command it stands
// for with a value the unit can take, or is refused with a message and
// nothing sent; nothing crashes and no box waits for an answer nobody gives.
#include <QRegularExpression>
#include <QtTest>
#include <functional>

#include "app/link_dialogs.h"
#include "config/factory_config_window.h"
#include "config/serial_number_window.h"
#include "config/service_commands.h"
#include "config/user_options_window.h"
#include "config_rig.h"
#include "season/cycle_test.h"
#include "season/install_seasoning.h"
#include "season/season_windows.h"
#include "season/seasoning.h"
#include "supply/dac_editor_area.h"

using zov::config::FactoryConfigWindow;
using zov::config::SerialNumberWindow;
using zov::config::UserOptionsWindow;
using zov::core::kProgrammingButtons;
using zov::core::Option;
using zov::test::ConfigRig;
using zov::test::ScriptedPrompter;
namespace core = zov::core;

namespace {

const QStringList& badInputs() {
    static const QStringList inputs = {
        QString(),
        QStringLiteral("   "),
        QStringLiteral("abc"),
        QStringLiteral("1e9"),
        QStringLiteral("-0"),
        QStringLiteral("-5"),
        QStringLiteral("99999999999999999999999999"),
        QStringLiteral("-1e308"),
        QStringLiteral("1e999"),
        QStringLiteral("nan"),
        QStringLiteral("inf"),
        QStringLiteral("0x1F"),
        QStringLiteral("1,5"),
        QStringLiteral(";"),
        QStringLiteral(","),
        QStringLiteral("12;ENBL 1"),
        QStringLiteral("\x01\x02\x03\x1b\x7f"),
        QStringLiteral("\t\r\n"),
        QStringLiteral("  42  "),
        QStringLiteral("\u00e9\u4e2d"),
        QString(4096, QLatin1Char('9')),
        QString(4096, QLatin1Char('x')),
    };
    return inputs;
}

// The console with every window that takes typed input.
struct SweepRig : ConfigRig {
    SweepRig() : tools(zov::season::installSeasoning(*window, areas)) {
        // The unit gives its scale (60 kV, 0.5 mA), as the update cycle reads it.
        window->supply().readScaling();
        sim.clearCommands();
    }
    zov::season::SeasonTools tools;
};

// What an accepted entry may send: the command as a pattern whose captures
// are numbers, each within its bounds.
struct Sendable {
    QRegularExpression form;
    double low;
    double high;
};

// Empty when `command` is one of `allowed` with its numbers in bounds.
QString judge(const QString& command, const std::vector<Sendable>& allowed) {
    for (const Sendable& sendable : allowed) {
        const QRegularExpressionMatch match = sendable.form.match(command);
        if (!match.hasMatch()) {
            continue;
        }
        for (int i = 1; i <= match.lastCapturedIndex(); ++i) {
            bool ok = false;
            const double value = match.captured(i).toDouble(&ok);
            if (!ok || value < sendable.low || value > sendable.high) {
                return QStringLiteral("value %1 out of %2..%3")
                    .arg(match.captured(i))
                    .arg(sendable.low)
                    .arg(sendable.high);
            }
        }
        return {};
    }
    return QStringLiteral("not a command this box sends");
}

Sendable form(const char* pattern, double low = 0, double high = 0) {
    return {QRegularExpression(QStringLiteral("^%1$").arg(QLatin1String(pattern))), low, high};
}

// A text sent as typed: no ";" or "," to end it early, no control character.
Sendable asTyped(const char* mnemonic) {
    return {QRegularExpression(
                QStringLiteral("^%1 [^;,\\x00-\\x1f\\x7f]*;$").arg(QLatin1String(mnemonic))),
            0, 0};
}

QString legible(const QString& input) {
    QString shown = input.left(24);
    for (QChar& c : shown) {
        c = c.unicode() < 0x20 || c.unicode() == 0x7f ? QLatin1Char('^') : c;
    }
    return input.size() > 24 ? shown + QStringLiteral("... (%1 chars)").arg(input.size()) : shown;
}

int g_tried = 0;

enum class Refusal { Silent, WithMessage };

// Feeds every bad input through `enter`, then checks what reached the unit.
// With Refusal::WithMessage an entry that sent nothing must have been
// answered with a message.
void sweep(SweepRig& rig, const QString& box, const std::function<void(const QString&)>& enter,
           const std::vector<Sendable>& allowed, Refusal refusal) {
    for (const QString& input : badInputs()) {
        ++g_tried;
        rig.sim.clearCommands();
        const std::size_t shownBefore = rig.prompter.shown().size();
        enter(input);
        rig.prompter.dropUnusedAnswers();
        QVERIFY2(rig.prompter.errors().isEmpty(), qPrintable(box));
        ConfigRig::settle(10);  // what went out unanswered reaches the unit
        const QStringList sent = rig.sim.commands();
        for (const QString& command : sent) {
            const QString why = judge(command, allowed);
            QVERIFY2(why.isEmpty(),
                     qPrintable(QStringLiteral("%1 <- \"%2\": sent \"%3\": %4")
                                    .arg(box, legible(input), legible(command), why)));
        }
        if (refusal == Refusal::WithMessage && sent.isEmpty()) {
            bool messaged = false;
            for (std::size_t i = shownBefore; i < rig.prompter.shown().size(); ++i) {
                messaged =
                    messaged || rig.prompter.shown()[i].kind == ScriptedPrompter::Kind::Message;
            }
            QVERIFY2(messaged, qPrintable(QStringLiteral("%1 <- \"%2\": nothing sent, nothing said")
                                              .arg(box, legible(input))));
        }
    }
}

// Types into a numeric box as an operator does, through its validator: one
// key event a character, whatever the character.
void typeInto(QAbstractSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }
    QTest::keyClick(box, Qt::Key_Return);
}

// A port entry opens the port it names (a number may name a port of this
// machine) or is answered with a message.
void openedOrSaidWhy(SweepRig& rig, std::size_t shownBefore, const QString& input) {
    if (rig.exchange().serial().isOpen()) {
        return;
    }
    QVERIFY2(rig.prompter.shown().size() > shownBefore, qPrintable(legible(input)));
    QCOMPARE(rig.prompter.shown().back().kind, ScriptedPrompter::Kind::Message);
}

QPushButton* button(QWidget& window, const char* name) {
    return window.findChild<QPushButton*>(QLatin1String(name));
}

}  // namespace

class BadInputTest : public QObject {
    Q_OBJECT
private slots:
    void setpointEditor();
    void seasoningProfile();
    void cycleTest();
    void userOptions();
    void factoryConfiguration();
    void serialNumberAndRevision();
    void linkChoices();
    void cleanupTestCase();
};

void BadInputTest::setpointEditor() {
    SweepRig rig;
    zov::supply::DacEditorArea& editor = *rig.areas.dacEditor;
    for (const auto channel : {core::Channel::A, core::Channel::B}) {
        editor.option(channel)->click();
        const char* prefix = channel == core::Channel::A ? "VREF" : "IREF";
        for (QAbstractSpinBox* box : std::initializer_list<QAbstractSpinBox*>{
                 editor.ctrl_BITVAL(), editor.ctrl_SCALVAL()}) {
            // The count the editor sends is the one its count box shows.
            const auto enter = [&](const QString& input) {
                typeInto(box, input);
                const QString shown = QString::number(editor.ctrl_BITVAL()->value());
                editor.btn_UPDATE_Click();
                QCOMPARE(rig.sim.commands(),
                         QStringList{QStringLiteral("%1 %2;").arg(QLatin1String(prefix), shown)});
            };
            sweep(rig, box->objectName(), enter,
                  {form(channel == core::Channel::A ? "VREF (\\d+);" : "IREF (\\d+);", 0, 4095)},
                  Refusal::Silent);
        }
    }
}

void BadInputTest::seasoningProfile() {
    SweepRig rig;
    using Combo = QComboBox* (zov::season::SeasoningWindow::*)(int) const;
    for (const auto& [name, combo] :
         {std::pair<const char*, Combo>{"combo_kv", &zov::season::SeasoningWindow::combo_kv},
          {"combo_ma", &zov::season::SeasoningWindow::combo_ma},
          {"combo_time", &zov::season::SeasoningWindow::combo_time}}) {
        const auto enter = [&, combo = combo](const QString& input) {
            rig.item("menu_Season")->trigger();
            zov::season::SeasoningWindow* profile = rig.tools.seasoning->profileWindow();
            QVERIFY(profile != nullptr);
            (profile->*combo)(0)->setEditText(input);
            profile->Command1()->click();
            if (rig.tools.seasoning->running()) {
                rig.tools.seasoning->Stop_Click();
            } else if (rig.tools.seasoning->profileWindow() != nullptr) {
                rig.tools.seasoning->profileWindow()->close();
            }
        };
        sweep(rig, QLatin1String(name), enter,
              {form("VREF (\\d+);", 0, 4095), form("IREF (\\d+);", 0, 4095),
               form("ENBL (\\d);", 0, 1)},
              Refusal::WithMessage);
    }
}

void BadInputTest::cycleTest() {
    SweepRig rig;
    for (const bool onTime : {true, false}) {
        const auto enter = [&](const QString& input) {
            rig.prompter.answerInput(onTime ? input : QStringLiteral("1"));
            rig.prompter.answerInput(onTime ? QStringLiteral("10") : input);
            rig.item("menu_cycleHv")->trigger();
            if (rig.tools.cycleTest->cycleTestActive() != 0) {
                rig.item("menu_cycleHv")->trigger();
            }
        };
        sweep(rig, onTime ? QStringLiteral("ON time") : QStringLiteral("period"), enter,
              {form("ENBL (\\d);", 0, 1)}, Refusal::WithMessage);
    }
}

void BadInputTest::userOptions() {
    SweepRig rig;
    rig.window->setShowHidden(true);
    // Every option on, so every edit is enabled.
    rig.sim.model().options() = {1, 105, 25, 1, 5, 10, 50, 1, 0};
    const std::pair<Option, std::pair<double, double>> edits[] = {
        {Option::OverVoltage, {0, 110}}, {Option::Ramp, {1, 600}},
        {Option::ArcCount, {0, 100}},    {Option::ArcPeriod, {0, 100}},
        {Option::QuenchTime, {0, 100}},
    };
    for (const auto& [option, bounds] : edits) {
        const auto enter = [&, option = option](const QString& input) {
            rig.whileOpen<UserOptionsWindow>([&](UserOptionsWindow& window) {
                QVERIFY(window.edit(option)->isEnabled());
                typeInto(window.edit(option), input);
                button(window, "Command1")->click();
            });
            rig.trigger("mnu_UserConfig");
        };
        // The read, then all nine options; the edited one within its bounds.
        const int index = int(zov::core::indexOf(option));
        const QString nine = QStringLiteral("^09,(?:[^,]*,){%1}(\\d+),(?:[^,]*,){%2}$")
                                 .arg(index)
                                 .arg(int(core::kOptionCount) - 1 - index);
        sweep(rig, QStringLiteral("user option %1").arg(int(zov::core::indexOf(option))), enter,
              {form("27,"), {QRegularExpression(nine), bounds.first, bounds.second}},
              Refusal::Silent);
    }
}

void BadInputTest::factoryConfiguration() {
    SweepRig rig;
    rig.sim.model().factory() = {8000, 1388, 2048, 1, 0, 1024};
    const std::vector<Sendable> allowed = {
        form("PASS 7955;"),
        asTyped("HWVP"),
        asTyped("MODP"),
        asTyped("RAMP"),
        asTyped("ARCP"),
        form("SLVP (-?\\d+(?:\\.\\d+)?);", -1e300, 1e300),
        form("SLIP (-?\\d+(?:\\.\\d+)?);", -1e300, 1e300),
        form("FILP (\\d+);", 0, 4095),
        form("FTON (\\d+);", 0, 4095),
        form("CONF;"),
    };
    // A wrong access code closes the window; nothing reaches the unit.
    sweep(
        rig, QStringLiteral("factory access code"),
        [&](const QString& input) {
            rig.prompter.answerInput(input);
            rig.whileOpen<FactoryConfigWindow>(
                [](FactoryConfigWindow& window) { window.Command2_Click(); });
            rig.trigger("mnu_Config");
        },
        {}, Refusal::Silent);
    for (const auto& programming : kProgrammingButtons) {
        const auto enter = [&](const QString& input) {
            rig.prompter.answerInput(QStringLiteral("7955"));
            rig.whileOpen<FactoryConfigWindow>([&](FactoryConfigWindow& window) {
                window.Command2_Click();
                rig.prompter.answerInput(input);
                window.program(programming);
            });
            rig.trigger("mnu_Config");
        };
        sweep(rig, QLatin1String(programming.name), enter, allowed, Refusal::Silent);
    }
}

void BadInputTest::serialNumberAndRevision() {
    SweepRig rig;
    sweep(
        rig, QStringLiteral("serial number"),
        [&](const QString& input) {
            rig.prompter.answerInput(QStringLiteral("7851"));
            rig.prompter.answerInput(QStringLiteral("9858"));
            rig.whileOpen<SerialNumberWindow>([&](SerialNumberWindow& window) {
                window.Command1_Click();
                rig.prompter.answerInput(input);
                window.Btn_serialNum_Click();
            });
            rig.trigger("mnu_Serial");
        },
        {form("PASS 9858;"), asTyped("SNUS")}, Refusal::Silent);
    rig.window->setShowHidden(true);
    sweep(
        rig, QStringLiteral("hardware revision"),
        [&](const QString& input) {
            const std::size_t shownBefore = rig.prompter.shown().size();
            rig.prompter.answerConfirm(true);
            rig.prompter.answerInput(input);
            rig.trigger("mnu_HWREV");
            // Refused as typed with a message, or not three characters: the
            // revision field says so.
            if (rig.sim.commands().isEmpty()) {
                QVERIFY(rig.prompter.shown().size() > shownBefore + 2 ||
                        rig.identity.txt_HWREV()->text() == QStringLiteral("Change Failed"));
            }
        },
        {{QRegularExpression(QStringLiteral("^40,[^;,\\x00-\\x1f\\x7f]{3},$")), 0, 0},
         form("HWVR;")},
        Refusal::Silent);
}

// Port entries that are no port open nothing, and say so; the unit hears nothing.
void BadInputTest::linkChoices() {
    SweepRig rig;
    rig.window->setShowHidden(true);
    sweep(
        rig, QStringLiteral("COMM USER port"),
        [&](const QString& input) {
            const std::size_t shownBefore = rig.prompter.shown().size();
            rig.prompter.answerInput(input);
            rig.trigger("mnu_userComm");
            openedOrSaidWhy(rig, shownBefore, input);
        },
        {}, Refusal::Silent);
    sweep(
        rig, QStringLiteral("USB port"),
        [&](const QString& input) {
            const std::size_t shownBefore = rig.prompter.shown().size();
            rig.dialogScript = [&](QDialog& dialog) {
                auto* usb = qobject_cast<zov::app::UsbWindow*>(&dialog);
                if (usb == nullptr) {
                    ConfigRig::pressDefault(dialog);
                    return;
                }
                usb->txt_USBPORT()->setText(input);
                usb->doneButton()->click();
            };
            rig.trigger("mnu_USB");
            rig.dialogScript = nullptr;
            openedOrSaidWhy(rig, shownBefore, input);
            // A port number that opens starts the automatic update, as any
            // link choice does; what it reads is not the entry's doing.
            if (rig.exchange().serial().isOpen()) {
                rig.goManual();
            }
        },
        {}, Refusal::Silent);
    zov::app::RemoteHostDialog& host = rig.window->linkSelection().remoteHost();
    sweep(
        rig, QStringLiteral("Ethernet port"),
        [&](const QString& input) {
            const QString portShown = rig.panel(2);
            host.rememberTexts();
            host.txtPortNumber()->setText(input);
            host.okButton()->click();
            const QString taken = input.trimmed();
            bool number = false;
            const uint port = taken.toUInt(&number);
            if (number && port > 0 && port <= 65535) {
                QCOMPARE(rig.panel(2), QStringLiteral("IP: ") + input);
            } else {
                QCOMPARE(rig.panel(2), portShown);
                QCOMPARE(rig.messages().last(), QStringLiteral(": Invalid Port Number!"));
                host.cancelButton()->click();
            }
        },
        {}, Refusal::Silent);
    // Any host text is a name to look up; choosing it sends nothing by itself.
    sweep(
        rig, QStringLiteral("Ethernet host"),
        [&](const QString& input) {
            host.rememberTexts();
            host.txtHost()->setText(input);
            host.txtPortNumber()->setText(QStringLiteral("1"));
            host.okButton()->click();
            QVERIFY(!host.isVisible());
        },
        {}, Refusal::Silent);
}

void BadInputTest::cleanupTestCase() {
    qInfo("bad-input sweep: %d inputs tried", g_tried);
}

QTEST_MAIN(BadInputTest)
#include "test_bad_input.moc"
