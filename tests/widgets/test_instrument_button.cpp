#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

#include "app/widgets/instrument_button.h"
#include "widget_tests.h"

using zov::app::InstrumentButton;
using Mode = InstrumentButton::Mode;

enum class Gesture { Mouse, SpaceKey };

Q_DECLARE_METATYPE(InstrumentButton::Mode)
Q_DECLARE_METATYPE(Gesture)

namespace {

void addModes() {
    QTest::addColumn<Mode>("mode");
    QTest::newRow("switch") << Mode::Switch;
    QTest::newRow("push button") << Mode::PushButton;
    QTest::newRow("led") << Mode::Led;
}

void operate(InstrumentButton& button, Gesture gesture) {
    if (gesture == Gesture::Mouse) {
        QTest::mouseClick(&button, Qt::LeftButton);
    } else {
        QTest::keyClick(&button, Qt::Key_Space);
    }
}

}  // namespace

class InstrumentButtonTest : public QObject {
    Q_OBJECT
private slots:
    void codeWriteRaisesNoClick_data();
    void codeWriteRaisesNoClick();
    void operatorFlipsValueBeforeHandler_data();
    void operatorFlipsValueBeforeHandler();
    void disabledAndLampIgnoreOperator_data();
    void disabledAndLampIgnoreOperator();
    void lampShowsItsColour();
    void accessibleCheckedState();
};

void InstrumentButtonTest::codeWriteRaisesNoClick_data() {
    addModes();
}

void InstrumentButtonTest::codeWriteRaisesNoClick() {
    QFETCH(Mode, mode);
    InstrumentButton button(mode);
    button.setTexts("UPDATE", "WAITING!");
    QSignalSpy operated(&button, &InstrumentButton::operated);

    QCOMPARE(button.text(), QString("UPDATE"));
    button.setValue(true);
    QVERIFY(button.value());
    QCOMPARE(button.text(), QString("WAITING!"));
    button.setValue(false);
    QVERIFY(!button.value());
    QCOMPARE(button.text(), QString("UPDATE"));
    QCOMPARE(operated.count(), 0);
}

void InstrumentButtonTest::operatorFlipsValueBeforeHandler_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<Gesture>("gesture");
    QTest::newRow("switch, mouse") << Mode::Switch << Gesture::Mouse;
    QTest::newRow("switch, space") << Mode::Switch << Gesture::SpaceKey;
    QTest::newRow("push button, mouse") << Mode::PushButton << Gesture::Mouse;
    QTest::newRow("push button, space") << Mode::PushButton << Gesture::SpaceKey;
}

void InstrumentButtonTest::operatorFlipsValueBeforeHandler() {
    QFETCH(Mode, mode);
    QFETCH(Gesture, gesture);
    InstrumentButton button(mode);
    button.setTexts("RESET", "In Process!");
    button.resize(80, 40);
    button.show();
    QList<bool> seenByHandler;
    QList<QString> faceInHandler;
    connect(&button, &InstrumentButton::operated, this, [&] {
        seenByHandler << button.value();
        faceInHandler << button.text();
    });

    operate(button, gesture);
    operate(button, gesture);

    QCOMPARE(seenByHandler, (QList<bool>{true, false}));
    QCOMPARE(faceInHandler, (QList<QString>{"In Process!", "RESET"}));
}

void InstrumentButtonTest::disabledAndLampIgnoreOperator_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("disabled switch") << Mode::Switch << false;
    QTest::newRow("disabled push button") << Mode::PushButton << false;
    QTest::newRow("enabled led") << Mode::Led << true;
    QTest::newRow("disabled led") << Mode::Led << false;
}

void InstrumentButtonTest::disabledAndLampIgnoreOperator() {
    QFETCH(Mode, mode);
    QFETCH(bool, enabled);
    InstrumentButton button(mode);
    button.resize(80, 40);
    button.show();
    button.setEnabled(enabled);
    QSignalSpy operated(&button, &InstrumentButton::operated);

    for (const bool start : {false, true}) {
        button.setValue(start);
        operate(button, Gesture::Mouse);
        operate(button, Gesture::SpaceKey);
        button.click();
        QCOMPARE(button.value(), start);
    }
    QCOMPARE(operated.count(), 0);
}

void InstrumentButtonTest::lampShowsItsColour() {
    InstrumentButton lamp(Mode::Led);
    lamp.resize(24, 24);
    const auto centre = [&lamp] {
        const QImage image = lamp.grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    };
    const QColor red(230, 20, 20);
    lamp.setOnColor(red);

    const QColor dark = centre();
    lamp.setValue(true);
    QCOMPARE(centre(), red);
    QVERIFY(dark.lightness() < red.lightness() / 2);
}

void InstrumentButtonTest::accessibleCheckedState() {
    QWidget window;
    auto* button = new InstrumentButton(Mode::Switch, &window);
    button->setTexts("LOCAL", "REMOTE");
    auto* lamp = new InstrumentButton(Mode::Led, &window);
    window.show();

    QAccessibleInterface* switchFace = QAccessible::queryAccessibleInterface(button);
    QVERIFY(switchFace != nullptr);
    QCOMPARE(switchFace->role(), QAccessible::CheckBox);
    QVERIFY(switchFace->state().checkable);
    QVERIFY(!switchFace->state().checked);
    button->setValue(true);
    QVERIFY(switchFace->state().checked);
    QCOMPARE(switchFace->text(QAccessible::Name), QString("REMOTE"));
    button->setAccessibleName("Local or remote control");
    QCOMPARE(switchFace->text(QAccessible::Name), QString("Local or remote control"));

    QAccessibleInterface* lampFace = QAccessible::queryAccessibleInterface(lamp);
    lamp->setValue(true);
    QVERIFY(lampFace->state().checked);
    QVERIFY(!lampFace->state().focusable);
}

int runInstrumentButtonTests(int argc, char** argv) {
    InstrumentButtonTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_instrument_button.moc"
