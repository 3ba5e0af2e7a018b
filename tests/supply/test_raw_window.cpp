// The unscaled-data window: built as designed, hidden until asked for,
// reached from the Controls menu, and opening the diagnostics from its own.
#include <QMenuBar>
#include <QtTest>

#include "app/extras_window.h"
#include "supply/dac_settings_area.h"
#include "supply/raw_data_window.h"
#include "supply_rig.h"

using zov::supply::RawDataWindow;
using zov::supply::rawDataWindow;
using zov::test::SupplyRig;

class RawWindowTest : public QObject {
    Q_OBJECT
private slots:
    void builtAsDesigned();
    void relayDrawings();
    void menusShowTheWindows();
};

void RawWindowTest::builtAsDesigned() {
    SupplyRig rig;
    RawDataWindow& raw = rawDataWindow(*rig.window);
    QVERIFY(!raw.isVisible());
    QCOMPARE(raw.objectName(), QStringLiteral("frm_RAWDATA"));
    QCOMPARE(&rawDataWindow(*rig.window), &raw);
    QCOMPARE(raw.accessibleDescription(), QStringLiteral("frm_RAWDATA"));

    QCOMPARE(raw.rawDacBox(zov::supply::Channel::A)->objectName(), QStringLiteral("txt_RAWDACA"));
    QCOMPARE(raw.rawDacBox(zov::supply::Channel::D)->text(), QStringLiteral("DAC D"));
    QCOMPARE(raw.rawDacBox(zov::supply::Channel::B)->accessibleName(), QStringLiteral("DAC B"));

    for (int i = 0; i < RawDataWindow::kAdcChannels; ++i) {
        QLineEdit* box = raw.txt_DATA(i);
        QCOMPARE(box->objectName(), QStringLiteral("txt_DATA(%1)").arg(i));
        QCOMPARE(box->text(), QStringLiteral("Channel %1").arg(i));
    }
    QCOMPARE(raw.txt_DATA(0)->toolTip(), QStringLiteral("Ch. 0, CR45"));
    QCOMPARE(raw.txt_DATA(12)->toolTip(), QStringLiteral("Ch. 12, CR50"));
    QVERIFY(raw.txt_DATA(9)->toolTip().isEmpty());
    QCOMPARE(raw.txt_DATA(0)->accessibleName(), QStringLiteral("Ambient Temp."));
    QCOMPARE(raw.txt_DATA(1)->accessibleName(), QStringLiteral("LVPS +24V"));
    // 9 and 13 to 15 are the converter inputs of the "DSP ADC Data" frame.
    auto* dsp = raw.findChild<QGroupBox*>(QStringLiteral("fra_DSPADC"));
    QCOMPARE(dsp->title(), QStringLiteral("DSP ADC Data"));
    for (int i = 0; i < RawDataWindow::kAdcChannels; ++i) {
        QCOMPARE(dsp->isAncestorOf(raw.txt_DATA(i)), i == 9 || i >= 13);
    }

    QCOMPARE(raw.led_IN(0)->objectName(), QStringLiteral("led_IN(0)"));
    QCOMPARE(raw.led_IN(7)->accessibleName(), QStringLiteral("IN8 JB7-8"));
    QCOMPARE(raw.led_OUT(1)->accessibleName(), QStringLiteral("OUT2 JB7-12"));
    QCOMPARE(raw.btn_DOUT(4)->mode(), zov::app::InstrumentButton::Mode::Switch);
    QCOMPARE(raw.led_OUT(4)->mode(), zov::app::InstrumentButton::Mode::Led);

    // Writers fill it without showing it.
    rig.choose(false);
    rig.areas.dacSettings->readSetpoint(zov::supply::Channel::B);
    QCOMPARE(raw.rawDacBox(zov::supply::Channel::B)->text(), QStringLiteral("0"));
    QVERIFY(!raw.isVisible());
}

void RawWindowTest::relayDrawings() {
    SupplyRig rig;
    RawDataWindow& raw = rawDataWindow(*rig.window);
    const char* const aux[] = {"AUX  JB8-10 To GND", "AUX:  JB8-9 To GND", "AUX:  JB8-5 To GND"};
    for (int n = 1; n <= 3; ++n) {
        zov::supply::RelayDrawing& relay = raw.interlock(n);
        const QString number = QString::number(n);
        QCOMPARE(relay.title(), QStringLiteral("INTERLOCK ") + number);
        QCOMPARE(relay.lbl_INTRLK()->text(), QStringLiteral("De-Energized"));
        QCOMPARE(relay.lbl_RS()->text(), QStringLiteral("Relay Sense:         High"));
        QCOMPARE(relay.lbl_AUX()->text(), QLatin1String(aux[n - 1]));
        QCOMPARE(relay.led_NC()->objectName(), QStringLiteral("led_I%1NC").arg(n));
        QCOMPARE(relay.led_COM()->objectName(), QStringLiteral("led_I%1COM").arg(n));
        QCOMPARE(relay.led_RS()->objectName(), QStringLiteral("led_RS") + number);
        QCOMPARE(relay.line_NC1()->objectName(),
                 QStringLiteral("line_NC") + number + QLatin1Char('1'));
        QCOMPARE(relay.line_NO2()->objectName(),
                 QStringLiteral("line_NO") + number + QLatin1Char('2'));
        QCOMPARE(relay.line_COM()->objectName(), QStringLiteral("line_COM") + number);
        // De-energized: the normally-closed path is drawn, the normally-open one is not.
        QVERIFY(!relay.line_NC1()->isHidden());
        QVERIFY(!relay.line_NC2()->isHidden());
        QVERIFY(relay.line_NO1()->isHidden());
        QVERIFY(relay.line_NO2()->isHidden());
        QVERIFY(!relay.led_INTRLK()->value());
    }
    QVERIFY(raw.findChild<QLabel*>(QStringLiteral("lbl_INTRLK2")) != nullptr);
    QCOMPARE(raw.interlock(2).led_NO()->accessibleName(),
             QStringLiteral("Interlock 2 normally-open contact"));
}

void RawWindowTest::menusShowTheWindows() {
    SupplyRig rig;
    QAction* view = rig.item("mnu_RAWDATA");
    QCOMPARE(view->text(), QStringLiteral("View Unscaled Data"));
    QVERIFY(!view->isVisible());
    // The service set-up shows and enables the item.
    rig.window->setShowHidden(true);
    view->trigger();
    auto* raw = qobject_cast<RawDataWindow*>(rig.window->loadedWindow("frm_RAWDATA"));
    QVERIFY(raw != nullptr);
    QVERIFY(raw->isVisible());
    QVERIFY(!raw->isModal());

    QCOMPARE(raw->mnu_misc()->text(), QStringLiteral("Misc Information"));
    QVERIFY(raw->menuBar()->actions().contains(raw->mnu_misc()));
    raw->mnu_misc()->trigger();
    QVERIFY(rig.window->extrasWindow().isVisible());

    // Closed, it is unloaded; the next writer gets a fresh, hidden one.
    raw->rawDacBox(zov::supply::Channel::A)->setText(QStringLiteral("123"));
    raw->close();
    QTRY_VERIFY(rig.window->loadedWindow("frm_RAWDATA") == nullptr);
    RawDataWindow& fresh = rawDataWindow(*rig.window);
    QVERIFY(!fresh.isVisible());
    QCOMPARE(fresh.rawDacBox(zov::supply::Channel::A)->text(), QStringLiteral("DAC A"));
}

QTEST_MAIN(RawWindowTest)
#include "test_raw_window.moc"
