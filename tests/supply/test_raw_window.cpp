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
namespace core = zov::core;

class RawWindowTest : public QObject {
    Q_OBJECT
private slots:
    void builtAsDesigned();
    void menusShowTheWindows();
};

void RawWindowTest::builtAsDesigned() {
    SupplyRig rig;
    RawDataWindow& raw = rawDataWindow(*rig.window);
    QVERIFY(!raw.isVisible());
    QCOMPARE(&rawDataWindow(*rig.window), &raw);

    // 9 and 13 to 15 are the converter inputs of the "DSP ADC Data" frame.
    auto* dsp = raw.findChild<QGroupBox*>(QStringLiteral("fra_DSPADC"));
    for (int i = 0; i < RawDataWindow::kAdcChannels; ++i) {
        QCOMPARE(raw.findChild<QLineEdit*>(QStringLiteral("txt_DATA(%1)").arg(i)), raw.txt_DATA(i));
        QCOMPARE(dsp->isAncestorOf(raw.txt_DATA(i)), i == 9 || i >= 13);
    }
    QCOMPARE(raw.txt_DATA(1)->accessibleName(), QStringLiteral("LVPS +24V"));

    // Each relay has its own lamps and lines; de-energized, the
    // normally-closed path is drawn and the normally-open one is not.
    for (int n = 1; n <= 3; ++n) {
        zov::supply::RelayDrawing& relay = raw.interlock(n);
        const QString number = QString::number(n);
        QCOMPARE(raw.findChild<QFrame*>(QStringLiteral("line_NO") + number + QLatin1Char('2')),
                 relay.line_NO2());
        QCOMPARE(raw.findChild<QWidget*>(QStringLiteral("led_I") + number + QStringLiteral("COM")),
                 relay.led_COM());
        QVERIFY(!relay.line_NC1()->isHidden() && !relay.line_NC2()->isHidden());
        QVERIFY(relay.line_NO1()->isHidden() && relay.line_NO2()->isHidden());
    }

    // Writers fill it without showing it.
    rig.choose(false);
    rig.areas.dacSettings->readSetpoint(core::Channel::B);
    QCOMPARE(raw.rawDacBox(core::Channel::B)->text(), QStringLiteral("0"));
    QVERIFY(!raw.isVisible());
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
    raw->rawDacBox(core::Channel::A)->setText(QStringLiteral("123"));
    raw->close();
    QTRY_VERIFY(rig.window->loadedWindow("frm_RAWDATA") == nullptr);
    RawDataWindow& fresh = rawDataWindow(*rig.window);
    QVERIFY(!fresh.isVisible());
    QCOMPARE(fresh.rawDacBox(core::Channel::A)->text(), QStringLiteral("DAC A"));
}

QTEST_MAIN(RawWindowTest)
#include "test_raw_window.moc"
