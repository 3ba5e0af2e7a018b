#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/widgets/accessibility.h"
#include "app/widgets/instrument_button.h"
#include "app/widgets/numeric_edit.h"
#include "app/widgets/qt_prompter.h"
#include "scripted_prompter.h"
#include "widget_tests.h"

using zov::app::Prompter;
using zov::app::QtPrompter;

namespace {

// Waits for the next modal box, records what it shows and answers it by clicking the button
// with the given caption (after typing an entry into an input box, when one is given). A box
// without that button is closed, so a wrong caption fails the test instead of hanging it.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QString button, QString entry = {})
        : button_(std::move(button)), entry_(std::move(entry)) {
        connect(&poll_, &QTimer::timeout, this, &BoxAnswerer::poll);
        poll_.start(10);
    }

    QString title;
    QStringList labels;
    QString presetEntry;
    bool clicked = false;

private:
    void poll() {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) {
            if (deadline_.hasExpired()) {
                poll_.stop();
            }
            return;
        }
        poll_.stop();
        title = box->windowTitle();
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            labels << label->text();
        }
        if (auto* line = box->findChild<QLineEdit*>()) {
            presetEntry = line->text();
            if (!entry_.isNull()) {
                line->setText(entry_);
            }
        }
        for (QAbstractButton* button : box->findChildren<QAbstractButton*>()) {
            if (button->text() == button_) {
                clicked = true;
                button->click();
                return;
            }
        }
        box->close();
    }

    QString button_;
    QString entry_;
    QTimer poll_;
    QDeadlineTimer deadline_{5000};
};

}  // namespace

class PromptingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName("ZOV Interface"); }
    void messageHasOkAndCaption();
    void confirmAnswersOkOrCancel();
    void inputOffersDefaultAndCancel();
    void windowDeletedWhileBoxWaits();
    void scriptedAnswersAndUnscriptedBoxFails();
    void protocolNamesBecomeDescriptions();
};

void PromptingTest::messageHasOkAndCaption() {
    QWidget window;
    QtPrompter prompter(&window);
    BoxAnswerer answer("OK");

    prompter.message("        Please Select Port!          ");
    QVERIFY(answer.clicked);
    QCOMPARE(answer.title, QString("ZOV Interface"));
    QVERIFY(answer.labels.contains("        Please Select Port!          "));
}

void PromptingTest::confirmAnswersOkOrCancel() {
    QWidget window;
    QtPrompter prompter(&window);
    const QString question = "Are you sure you want to change the Rev Number?";

    BoxAnswerer ok("OK");
    QVERIFY(prompter.confirm(question, "Decide Now!"));
    QCOMPARE(ok.title, QString("Decide Now!"));
    QVERIFY(ok.clicked);

    BoxAnswerer cancel("Cancel");
    QVERIFY(!prompter.confirm(question, "Decide Now!"));
    QVERIFY(cancel.clicked);
}

void PromptingTest::inputOffersDefaultAndCancel() {
    QWidget window;
    QtPrompter prompter(&window);

    BoxAnswerer typed("OK", "A02");
    QCOMPARE(prompter.input("Enter the new revision", "", "A01"), std::optional<QString>("A02"));
    QCOMPARE(typed.presetEntry, QString("A01"));
    QVERIFY(typed.labels.contains("Enter the new revision"));

    BoxAnswerer cancel("Cancel", "ignored");
    QCOMPARE(prompter.input("Enter Code"), std::nullopt);
    QVERIFY(cancel.clicked);
}

// A handler may wait in a box while something else closes and deletes its window.
void PromptingTest::windowDeletedWhileBoxWaits() {
    const auto deleteSoon = [] {
        auto* window = new QWidget;
        QTimer::singleShot(50, window, [window] { delete window; });
        return window;
    };

    QtPrompter forInput(deleteSoon());
    QCOMPARE(forInput.input("Enter Code"), std::nullopt);
    QtPrompter forConfirm(deleteSoon());
    QVERIFY(!forConfirm.confirm("Are you sure?", "Decide Now!"));
}

// Tests of the console's logic answer boxes from a script; a box nobody scripted must fail the
// test and be answered Cancel rather than block or pass silently.
void PromptingTest::scriptedAnswersAndUnscriptedBoxFails() {
    zov::test::ScriptedPrompter prompter;
    prompter.answerConfirm(true);
    prompter.answerInput("A02");
    prompter.cancelInput();

    prompter.message("TCP Error", "", Prompter::Icon::Critical);
    QVERIFY(prompter.confirm("Are you sure?", "Decide Now!"));
    QCOMPARE(prompter.input("Rev?", "", "A01"), std::optional<QString>("A02"));
    QCOMPARE(prompter.input("Code?"), std::nullopt);
    QVERIFY(prompter.scriptDone());
    QCOMPARE(prompter.texts(), (QStringList{"TCP Error", "Are you sure?", "Rev?", "Code?"}));
    QCOMPARE(prompter.shown().at(2).defaultText, QString("A01"));

    QEXPECT_FAIL("", "an unscripted box fails the running test", Continue);
    QVERIFY(!prompter.confirm("Unexpected?", ""));
    QCOMPARE(prompter.errors().size(), 1);
}

void PromptingTest::protocolNamesBecomeDescriptions() {
    QWidget window;
    window.setObjectName("frm_RAWDATA");
    auto* hv = new QPushButton("HV ON/OFF", &window);
    hv->setObjectName("btn_HVONOFF");
    auto* lamp = new zov::app::InstrumentButton(zov::app::InstrumentButton::Mode::Led, &window);
    lamp->setObjectName("led_HVSTAT");
    auto* scaled = new zov::app::NumericEdit(&window);
    scaled->setObjectName("ctrl_SCALVAL");
    auto* caption = new QLabel("&Scaled Value:", &window);
    caption->setBuddy(scaled);
    auto* model = new QLineEdit(&window);
    model->setObjectName("txt_MODNUM");
    model->setAccessibleName("Model number");
    model->setAccessibleDescription("Model number as the unit reports it");
    auto* unnamed = new QLineEdit(&window);

    zov::app::applyProtocolNames(&window);

    const auto description = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
    };
    QCOMPARE(description(&window), QString("frm_RAWDATA"));
    QCOMPARE(description(hv), QString("btn_HVONOFF"));
    QCOMPARE(description(lamp), QString("led_HVSTAT"));
    QCOMPARE(description(scaled), QString("ctrl_SCALVAL"));
    QCOMPARE(description(model), QString("Model number as the unit reports it"));
    QCOMPARE(description(unnamed), QString());
    QCOMPARE(scaled->findChild<QLineEdit*>()->accessibleDescription(), QString());
    QCOMPARE(scaled->accessibleName(), QString("Scaled Value"));
    QCOMPARE(model->accessibleName(), QString("Model number"));
}

int runPromptingTests(int argc, char** argv) {
    PromptingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_prompting.moc"
