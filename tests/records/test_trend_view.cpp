// The Trends window on a console: fed by the session's announcements whether
// open or not, one instance, redrawn at its own pace, reduced for display,
// and its exports (content, and failures said clearly).
#include <QAccessible>
#include <QCheckBox>
#include <QImage>
#include <QtTest>

#include "console_rig.h"
#include "records/install_trend_view.h"
#include "records/trend_pane.h"

using namespace zov;
using records::TrendWindow;

namespace {

constexpr std::int64_t kWallAtZero = 1714550400000;  // 2024-05-01 08:00 UTC

struct TrendRig {
    TrendRig() : view(records::installTrendView(*console.window)) {
        view.store().setClock([this] { return now; }, kWallAtZero);
        view.setFileChooser([this](const QString& title, const QString&, const QString&) {
            chooserTitles << title;
            return nextFile;
        });
    }
    core::SessionEvents& events() { return console.window->sessionEvents(); }
    void read(std::int64_t atMs, const char* variable, double value) {
        now = atMs;
        emit events().monitorRead(QLatin1String(variable), value);
    }
    TrendWindow* open() {
        console.item("mnu_TRENDS")->trigger();
        return qobject_cast<TrendWindow*>(
            console.window->loadedWindow(QLatin1String(records::TrendView::kWindowName)));
    }
    // Exports a CSV through the window and waits for the worker.
    records::CsvOutcome saveCsv(TrendWindow& window, const QString& path) {
        nextFile = path;
        QSignalSpy done(&window, &TrendWindow::csvFinished);
        window.saveCsv();
        if (!done.wait(10000)) {
            return {};
        }
        return done.at(0).at(0).value<records::CsvOutcome>();
    }

    test::ConsoleRig console{test::ConsoleRig::Supply::None};
    records::TrendView& view;
    std::int64_t now = 0;
    QString nextFile;
    QStringList chooserTitles;
    QTemporaryDir files;
};

}  // namespace

Q_DECLARE_METATYPE(zov::records::CsvOutcome)

class TrendViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<records::CsvOutcome>(); }
    void readingsBeforeOpeningAreShown();
    void oneWindowThatKeepsNoDataOfItsOwn();
    void liveReadingsAreDrawnOnTheTimerNotPerReading();
    void hoursOfReadingsAreReducedForDisplay();
    void zoomPanAndFollow();
    void aPaneTurnsWheelDragAndHoverIntoTimes();
    void markersSharingPixelsStayInSight();
    void csvHoldsTheReadingsAndEventsInOrder();
    void failedExportsSaySo();
    void controlsCarryTheirNames();
};

void TrendViewTest::readingsBeforeOpeningAreShown() {
    TrendRig rig;
    rig.read(1000, "KV_MON", 40.5);
    rig.read(1066, "EmMon", 0.25);
    rig.read(1132, "KV_MON", 41.0);
    rig.read(1200, "TXT_MODNUM", 3.0);  // not a monitor
    rig.read(1300, "KV_MON", std::nan(""));
    rig.read(1400, "AmbTemp", std::numeric_limits<double>::infinity());
    rig.now = 2000;
    emit rig.events().supplyEvent(core::SupplyEvent::ArcCounted, QStringLiteral("1"));
    // The link going and coming back leaves the history alone.
    rig.now = 30000;
    emit rig.events().supplyEvent(core::SupplyEvent::LinkLost, QStringLiteral("COMM1 closed"));
    rig.now = 60000;
    emit rig.events().supplyEvent(core::SupplyEvent::LinkChosen, QStringLiteral("Ethernet"));
    QCOMPARE(rig.view.store().series(0).size(), std::size_t(2));
    QCOMPARE(rig.view.store().series(4).size(), std::size_t(0));

    TrendWindow* window = rig.open();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QTRY_COMPARE(window->pane(0)->points().size(), 2);
    const QList<QPointF> kv = window->pane(0)->points();
    QCOMPARE(kv.at(0), QPointF(double(kWallAtZero + 1000), 40.5));
    QCOMPARE(kv.at(1), QPointF(double(kWallAtZero + 1132), 41.0));
    QCOMPARE(window->pane(1)->points().size(), 1);
    QCOMPARE(window->pane(2)->points().size(), 0);
    QCOMPARE(window->marksShown(records::MarkerLane::Arc), 1);
    QCOMPARE(window->marksShown(records::MarkerLane::Session), 2);
    // The last ten minutes, ending at the newest.
    QCOMPARE(window->visibleRange(), std::pair(std::int64_t(60000 - 600000), std::int64_t(60000)));
    QVERIFY(window->pane(0)->valueScale().min <= 40.5 && window->pane(0)->valueScale().max >= 41.0);
    // An empty pane reads 0, 0.25 ... 1; the time axis ticks on whole minutes.
    const records::ValueScale empty = window->pane(2)->valueScale();
    QCOMPARE(std::tuple(empty.min, empty.max, empty.ticks), std::tuple(0.0, 1.0, 5));
    const records::TimeTicks& time = window->eventsPane()->timeTicks();
    QVERIFY(time.labels.size() >= 2);
    for (qsizetype i = 0; i < time.labels.size(); ++i) {
        QCOMPARE(
            QDateTime::fromMSecsSinceEpoch(time.wallMs[std::size_t(i)]).toString("hh:mm:ss.zzz"),
            time.labels.at(i) + ":00.000");
    }
}

void TrendViewTest::oneWindowThatKeepsNoDataOfItsOwn() {
    TrendRig rig;
    rig.read(500, "Fil_I_Mon", 2.1);
    TrendWindow* first = rig.open();
    QCOMPARE(rig.open(), first);
    QPointer<TrendWindow> closed(first);
    first->close();
    QTRY_VERIFY(closed.isNull());
    rig.read(700, "Fil_I_Mon", 2.2);  // with no window open
    TrendWindow* second = rig.open();
    QVERIFY(second != nullptr);
    QTRY_COMPARE(second->pane(2)->points().size(), 2);
}

void TrendViewTest::liveReadingsAreDrawnOnTheTimerNotPerReading() {
    TrendRig rig;
    TrendWindow* window = rig.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE(window->pane(3)->points().size(), 0);
    QSignalSpy replaced(window->pane(3), &records::TrendPane::lineReplaced);
    for (int i = 0; i < 100; ++i) {
        rig.read(i * 66, "LVPS24", -15.0 + i * 0.001);
    }
    QCOMPARE(window->pane(3)->points().size(), 0);
    QTRY_COMPARE(window->pane(3)->points().size(), 100);
    QCOMPARE(replaced.count(), 1);

    // Hidden, nothing is redrawn however many readings come.
    window->hide();
    replaced.clear();
    for (int i = 100; i < 200; ++i) {
        rig.read(i * 66, "LVPS24", -15.0);
    }
    QTest::qWait(TrendWindow::kRedrawMs * 2);
    QCOMPARE(replaced.count(), 0);
    window->show();
    QTRY_COMPARE(window->pane(3)->points().size(), 200);
}

void TrendViewTest::hoursOfReadingsAreReducedForDisplay() {
    TrendRig rig;
    // Four hours at the 66 ms step, a spike of 99 kV somewhere inside.
    const int steps = 4 * 3600 * 1000 / 66;
    for (int i = 0; i < steps; ++i) {
        rig.read(std::int64_t(i) * 66, "KV_MON", i == steps / 3 ? 99.0 : 30.0 + (i % 2));
    }
    TrendWindow* window = rig.open();
    window->resize(900, 700);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->showAll();
    window->redrawNow();
    const int columns = window->pane(0)->plotColumns();
    QVERIFY(columns > 100);
    QVERIFY2(window->pane(0)->points().size() <= 2 * columns + 2,
             qPrintable(QStringLiteral("%1 points in %2 columns")
                            .arg(window->pane(0)->points().size())
                            .arg(columns)));
    const QList<QPointF> shown = window->pane(0)->points();
    QVERIFY(
        std::any_of(shown.begin(), shown.end(), [](const QPointF& p) { return p.y() == 99.0; }));
    QVERIFY(window->pane(0)->valueScale().max >= 99.0);
}

void TrendViewTest::zoomPanAndFollow() {
    TrendRig rig;
    for (int i = 0; i <= 3600; ++i) {
        rig.read(std::int64_t(i) * 1000, "AmbTemp", 25.0 + i / 360.0);
    }
    TrendWindow* window = rig.open();
    QVERIFY(window->following());
    const std::int64_t end = 3600 * 1000;
    QCOMPARE(window->visibleRange().second, end);

    // Following, a zoom keeps the newest reading at the right edge.
    window->zoom(0.5, end - 100000);
    QCOMPARE(window->visibleRange(), std::pair(end - 300000, end));
    // Panning stops following; new readings then leave the span alone.
    window->pan(-1.0);
    QVERIFY(!window->following());
    QVERIFY(!window->findChild<QCheckBox*>(QStringLiteral("chk_FOLLOW"))->isChecked());
    QCOMPARE(window->visibleRange(), std::pair(end - 600000, end - 300000));
    rig.read(end + 5000, "AmbTemp", 35.0);
    QCOMPARE(window->visibleRange().second, end - 300000);
    // Zooming out anchored at a time keeps that time where it was on screen.
    window->zoom(2.0, end - 450000);
    QCOMPARE(window->visibleRange(), std::pair(end - 750000, end - 150000));
    window->findChild<QCheckBox*>(QStringLiteral("chk_FOLLOW"))->click();
    QVERIFY(window->following());
    QCOMPARE(window->visibleRange().second, end + 5000);
    // A band dragged over a pane is the span chosen.
    emit window->pane(1)->timeRangeChosen(double(kWallAtZero + 1000000),
                                          double(kWallAtZero + 1060000));
    QCOMPARE(window->visibleRange(), std::pair(std::int64_t(1000000), std::int64_t(1060000)));
    QVERIFY(!window->following());
    window->showAll();
    QCOMPARE(window->visibleRange(), std::pair(std::int64_t(0), end + 5000));
}

// The wheel, a dragged band and a hovered mark all read the same pixel as
// the same time; a click or a wheel that chooses nothing says nothing.
void TrendViewTest::aPaneTurnsWheelDragAndHoverIntoTimes() {
    records::TrendPane pane(QStringLiteral("Events"), false);
    pane.resize(600, 200);
    pane.showTimeRange(0, pane.plotColumns() * 1000.0, {});  // a second a pixel
    QSignalSpy zoomed(&pane, &records::TrendPane::wheelZoom);
    QSignalSpy chosen(&pane, &records::TrendPane::timeRangeChosen);
    QSignalSpy hovered(&pane, &records::TrendPane::markHovered);
    const QPointF at(300, 100);
    const auto wheel = [&](int delta) {
        QWheelEvent event(at, pane.mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&pane, &event);
    };
    wheel(120);
    wheel(-120);
    wheel(0);
    QCOMPARE(zoomed.count(), 2);
    QCOMPARE(zoomed.at(0).at(1).toDouble(), 0.8);
    QCOMPARE(zoomed.at(1).at(1).toDouble(), 1.25);
    const double atMs = zoomed.at(0).at(0).toDouble();

    const auto drag = [&](int pixels) {
        QTest::mousePress(&pane, Qt::LeftButton, {}, at.toPoint());
        QTest::mouseMove(&pane, at.toPoint() + QPoint(pixels, 0));
        QTest::mouseRelease(&pane, Qt::LeftButton, {}, at.toPoint() + QPoint(pixels, 0));
    };
    drag(2);  // a click that moved a little chooses nothing
    QCOMPARE(chosen.count(), 0);
    drag(100);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toDouble(), atMs);
    QCOMPARE(chosen.at(0).at(1).toDouble(), atMs + 100000);
    QTest::mouseClick(&pane, Qt::RightButton, {}, at.toPoint());  // twice the span
    QCOMPARE(chosen.at(1).at(1).toDouble() - chosen.at(1).at(0).toDouble(),
             2 * pane.plotColumns() * 1000.0);

    pane.setRows({QStringLiteral("X-ray")});
    pane.setMarks({{atMs, 0, Qt::red, true, 7}});
    for (const int dx : {0, 20}) {
        QHelpEvent tip(QEvent::ToolTip, at.toPoint() + QPoint(dx, 0), {});
        QCoreApplication::sendEvent(&pane, &tip);
    }
    QCOMPARE(hovered.count(), 1);
    QCOMPARE(hovered.at(0).at(0).value<std::size_t>(), std::size_t(7));
}

void TrendViewTest::markersSharingPixelsStayInSight() {
    TrendRig rig;
    // Within 6 s, at the 10-minute span: an "off", three "on"s, another
    // "off", each beside a fault, an interlock and an arc.
    const std::pair<core::SupplyEvent, const char*> events[] = {
        {core::SupplyEvent::XrayAcknowledged, "OFF"}, {core::SupplyEvent::FaultChanged, "Arc ON"},
        {core::SupplyEvent::XrayAcknowledged, "ON"},  {core::SupplyEvent::InterlockChanged, "OPEN"},
        {core::SupplyEvent::XrayAcknowledged, "ON"},  {core::SupplyEvent::ArcCounted, "1"},
        {core::SupplyEvent::XrayAcknowledged, "ON"},  {core::SupplyEvent::XrayAcknowledged, "OFF"},
    };
    rig.now = 600000;
    for (const auto& [kind, detail] : events) {
        rig.now += 750;
        emit rig.events().supplyEvent(kind, QLatin1String(detail));
    }
    TrendWindow* window = rig.open();
    window->resize(1100, 860);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->redrawNow();
    QApplication::processEvents();
    const QImage shown = window->eventsPane()->grab().toImage();
    const auto pixelsOf = [&shown](QColor colour) {
        int count = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                count += shown.pixelColor(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    };
    for (const records::MarkerLane lane :
         {records::MarkerLane::XrayOn, records::MarkerLane::XrayOff, records::MarkerLane::Fault,
          records::MarkerLane::Interlock, records::MarkerLane::Arc}) {
        QVERIFY2(pixelsOf(TrendWindow::laneColour(lane)) > 0,
                 qPrintable(QString::number(int(lane))));
    }
}

void TrendViewTest::csvHoldsTheReadingsAndEventsInOrder() {
    TrendRig rig;
    rig.read(0, "KV_MON", 12.5);
    rig.read(0, "EmMon", 0.125);
    rig.now = 66;
    emit rig.events().supplyEvent(core::SupplyEvent::XrayAcknowledged, QStringLiteral("ON"));
    rig.read(132, "LVPS24", -15.02);
    rig.now = 200;
    emit rig.events().supplyEvent(core::SupplyEvent::FaultChanged,
                                  QStringLiteral("Arc, \"hard\" ON"));
    rig.read(1000000, "AmbTemp", 31.5);  // outside the span chosen below

    TrendWindow* window = rig.open();
    window->showRange(0, 500);
    const QString path = rig.files.filePath(QStringLiteral("span.csv"));
    const records::CsvOutcome outcome = rig.saveCsv(*window, path);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.lines, std::int64_t(5));
    QCOMPARE(rig.chooserTitles, QStringList{QStringLiteral("Save Trend Data")});

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const auto at = [](std::int64_t ms) { return records::csvTimestamp(kWallAtZero + ms); };
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("time,name,value,unit,detail"),
                        at(0) + QStringLiteral(",KV_MON,12.5,kV,"),
                        at(0) + QStringLiteral(",EmMon,0.125,mA,"),
                        at(66) + QStringLiteral(",X-ray acknowledged,,,ON"),
                        at(132) + QStringLiteral(",LVPS24,-15.02,V,"),
                        at(200) + QStringLiteral(",fault changed,,,\"Arc, \"\"hard\"\" ON\""),
                        QString(),
                    }));
    QVERIFY(at(66).contains(QStringLiteral(".066")));
    // The offset from UTC, whatever the zone (UTC too).
    QVERIFY2(
        QRegularExpression(QStringLiteral("\\.066[+-]\\d\\d:\\d\\d$")).match(at(66)).hasMatch(),
        qPrintable(at(66)));
    QVERIFY(rig.console.prompter.texts().isEmpty());

    // Everything kept, not only the span shown.
    window->findChild<QCheckBox*>(QStringLiteral("chk_CSVVISIBLE"))->setChecked(false);
    QCOMPARE(rig.saveCsv(*window, rig.files.filePath(QStringLiteral("all.csv"))).lines,
             std::int64_t(6));
}

void TrendViewTest::failedExportsSaySo() {
    TrendRig rig;
    rig.read(0, "KV_MON", 10.0);
    TrendWindow* window = rig.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QString gone = rig.files.filePath(QStringLiteral("removed/trend.csv"));
    const records::CsvOutcome outcome = rig.saveCsv(*window, gone);
    QVERIFY(!outcome.ok);
    QVERIFY(!QFile::exists(gone));
    QCOMPARE(rig.console.prompter.texts().size(), 1);
    QVERIFY(rig.console.prompter.texts().at(0).startsWith(
        QStringLiteral("The trend data could not be saved to ") + gone + QStringLiteral(": ")));
    QVERIFY(window->findChild<QPushButton*>(QStringLiteral("btn_SAVECSV"))->isEnabled());

    rig.nextFile = rig.files.filePath(QStringLiteral("removed/trend.png"));
    window->savePicture();
    QCOMPARE(rig.console.prompter.texts().size(), 2);
    QVERIFY(rig.console.prompter.texts().at(1).startsWith(
        QStringLiteral("The trend picture could not be saved to ") + rig.nextFile));

    // Cancelled: nothing written, nothing said.
    rig.nextFile.clear();
    window->savePicture();
    window->saveCsv();
    QCOMPARE(rig.console.prompter.texts().size(), 2);

    rig.nextFile = rig.files.filePath(QStringLiteral("trend.png"));
    window->savePicture();
    const QImage picture(rig.nextFile);
    QCOMPARE(picture.size(), window->plots()->size() * window->devicePixelRatio());
}

void TrendViewTest::controlsCarryTheirNames() {
    TrendRig rig;
    QCOMPARE(rig.console.item("mnu_TRENDS")->text(), QStringLiteral("Trends"));
    TrendWindow* window = rig.open();
    auto* kv = window->findChild<QCheckBox*>(QStringLiteral("chk_KV_MON"));
    QVERIFY(kv != nullptr);
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(kv);
    QCOMPARE(access->text(QAccessible::Name), QStringLiteral("HV Monitor (kV)"));
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("chk_KV_MON"));
    // A window to assistive tools, listed by its title, like the Traffic Log.
    QAccessibleInterface* windowAccess = QAccessible::queryAccessibleInterface(window);
    QCOMPARE(windowAccess->role(), QAccessible::Dialog);
    QCOMPARE(windowAccess->text(QAccessible::Name), QStringLiteral("Trends"));
    // Every button and check box is named by what it shows.
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    QCOMPARE(buttons.size(), 7 + 8);
    for (QAbstractButton* button : buttons) {
        QAccessibleInterface* named = QAccessible::queryAccessibleInterface(button);
        QCOMPARE(named->text(QAccessible::Name), button->text());
        QCOMPARE(named->text(QAccessible::Description), button->objectName());
    }
    QCOMPARE(window->pane(0)->accessibleName(), QStringLiteral("HV Monitor against time"));
    QCOMPARE(window->pane(0)->accessibleDescription(), QStringLiteral("cht_KV_MON"));
    // Unticked, a monitor's pane goes and the others stay.
    kv->click();
    QVERIFY(!window->pane(0)->isVisibleTo(window));
    QVERIFY(window->pane(1)->isVisibleTo(window));
}

QTEST_MAIN(TrendViewTest)
#include "test_trend_view.moc"
