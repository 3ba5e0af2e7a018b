#include <QAccessible>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QtTest>

#include "app/widgets/status_bar.h"
#include "widget_tests.h"

using zov::app::StatusBar;

class StatusBarTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithPanelTextsAndTips_data();
    void startsWithPanelTextsAndTips();
    void framingBytesRoundTripAndShowLegibly();
    void onlyTheFirstFourPanelsAreWritten();
    void clockPanelsKeepDateAndTime();
};

void StatusBarTest::startsWithPanelTextsAndTips_data() {
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("1") << 1 << "SET PORT!"
                       << "Comm Port Settings";
    QTest::newRow("2") << 2 << "Comm Ch."
                       << "Selected Comm Port";
    QTest::newRow("3") << 3 << ""
                       << "Data Received";
    QTest::newRow("4") << 4 << ""
                       << "Data Transmitted";
    QTest::newRow("5") << 5 << QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)
                       << "Today's Date";
    QTest::newRow("6") << 6 << QString() << "The Time Right Now!!";
}

void StatusBarTest::startsWithPanelTextsAndTips() {
    QFETCH(int, panel);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    StatusBar bar;

    if (!text.isNull()) {
        QCOMPARE(bar.panelText(panel), text);
    }
    auto* label = bar.findChild<QLabel*>(QString("StatusBar1_panel%1").arg(panel));
    QVERIFY(label != nullptr);
    QCOMPARE(label->toolTip(), toolTip);
    // A screen reader reads what the panel shows; the tool tip describes it.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
    QCOMPARE(accessible->text(QAccessible::Name), bar.panelText(panel));
    QCOMPARE(accessible->text(QAccessible::Description), toolTip);
}

void StatusBarTest::framingBytesRoundTripAndShowLegibly() {
    StatusBar bar;
    bar.resize(2000, bar.sizeHint().height());
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    auto* received = bar.findChild<QLabel*>("StatusBar1_panel3");
    const QString reply = QString("RX: ") + QChar(0x02) + "12.345;" + QChar(0x7F) + QChar(0x9F) +
                          QChar(0x00) + "\r\n";

    bar.setPanelText(3, reply);
    QCOMPARE(bar.panelText(3), reply);
    const QString legible("RX: <STX>12.345;<DEL><9F><NUL><CR><LF>");
    QCOMPARE(received->text(), legible);
    QCOMPARE(QAccessible::queryAccessibleInterface(received)->text(QAccessible::Name), legible);

    // Reply bytes are never taken for markup.
    bar.setPanelText(4, "TX: <b>VSET;</b>");
    QCOMPARE(bar.findChild<QLabel*>("StatusBar1_panel4")->text(), QString("TX: <b>VSET;</b>"));
    QCOMPARE(bar.findChild<QLabel*>("StatusBar1_panel4")->textFormat(), Qt::PlainText);
}

void StatusBarTest::onlyTheFirstFourPanelsAreWritten() {
    StatusBar bar;
    const QString date = bar.panelText(StatusBar::kDatePanel);

    bar.setPanelText(StatusBar::kDatePanel, "written");
    bar.setPanelText(0, "written");
    bar.setPanelText(7, "written");
    QCOMPARE(bar.panelText(StatusBar::kDatePanel), date);
    QCOMPARE(bar.panelText(0), QString());
    QCOMPARE(bar.panelText(7), QString());
    bar.setPanelText(1, "Comm Port Setting:  115200,n,8,1");
    QCOMPARE(bar.panelText(1), QString("Comm Port Setting:  115200,n,8,1"));
}

void StatusBarTest::clockPanelsKeepDateAndTime() {
    StatusBar bar;
    const auto shownTime = [&bar] {
        return QTime::fromString(bar.panelText(StatusBar::kTimePanel), "HH:mm:ss");
    };
    const QTime first = shownTime();
    QVERIFY(first.isValid());
    QVERIFY(qAbs(first.secsTo(QTime::currentTime())) <= 1);

    QTRY_VERIFY_WITH_TIMEOUT(shownTime() != first, 1500);
    QVERIFY(qAbs(shownTime().msecsTo(QTime::currentTime())) < 1000);
}

int runStatusBarTests(int argc, char** argv) {
    StatusBarTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_status_bar.moc"
