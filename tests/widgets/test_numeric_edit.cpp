#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

#include "app/widgets/numeric_edit.h"
#include "widget_tests.h"

using zov::app::NumericEdit;

namespace {

constexpr double kMilliampsPerCount = 0.000341;

void setLimits(NumericEdit& edit, double lower, double upper, double increment) {
    edit.setLowerBound(lower);
    edit.setUpperBound(upper);
    edit.setIncrement(increment);
}

// A hidden count edit and a scaled edit that write each other from their value-changed
// handlers, the way the setpoint editor keeps counts and engineering units in step.
struct LinkedPair {
    explicit LinkedPair(double perCount, double scaledUpper) : factor(perCount) {
        setLimits(count, 0, 4095, 1);
        setLimits(scaled, 0, scaledUpper, perCount);
        QObject::connect(&count, &NumericEdit::valueChanged, &count,
                         [this](double value) { track([&] { scaled.setValue(value * factor); }); });
        QObject::connect(&scaled, &NumericEdit::valueChanged, &scaled,
                         [this](double value) { track([&] { count.setValue(value / factor); }); });
    }

    template <typename Write>
    void track(Write write) {
        ++depth;
        maxDepth = qMax(maxDepth, depth);
        write();
        --depth;
    }

    double factor;
    NumericEdit count;
    NumericEdit scaled;
    QSignalSpy countChanges{&count, &NumericEdit::valueChanged};
    QSignalSpy scaledChanges{&scaled, &NumericEdit::valueChanged};
    int depth = 0;
    int maxDepth = 0;
};

}  // namespace

class NumericEditTest : public QObject {
    Q_OBJECT
private slots:
    void keepsValueWithinBounds();
    void arrowsStepByFineIncrements_data();
    void arrowsStepByFineIncrements();
    void writingTheHeldValueRaisesNothing();
    void typedValueIsTakenOnceOnEnter();
    void linkedEditsSettle_data();
    void linkedEditsSettle();
};

void NumericEditTest::keepsValueWithinBounds() {
    NumericEdit edit;
    setLimits(edit, 0, 8.56, kMilliampsPerCount);
    QSignalSpy changes(&edit, &NumericEdit::valueChanged);

    edit.setValue(10);
    QCOMPARE(edit.value(), 8.56);
    edit.setValue(-1);
    QCOMPARE(edit.value(), 0.0);

    // Narrowing the bounds at run time pulls the value in and reports the change.
    edit.setValue(4.999995);
    edit.setUpperBound(2.5);
    QCOMPARE(edit.value(), 2.5);
    QCOMPARE(changes.count(), 4);
    QCOMPARE(changes.last().at(0).toDouble(), 2.5);
}

void NumericEditTest::arrowsStepByFineIncrements_data() {
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("increment");
    QTest::addColumn<QString>("shownAfterTwoSteps");
    QTest::newRow("count") << 4095.0 << 1.0 << "2";
    QTest::newRow("mA per count") << 8.56 << kMilliampsPerCount << "0.000682";
    QTest::newRow("preheat A per count") << 2.5 << 0.0006105 << "0.001221";
    QTest::newRow("kV per count, 70 kV unit") << 70000.0 << 70.0 / 4095 << "0.034188034";
}

void NumericEditTest::arrowsStepByFineIncrements() {
    QFETCH(double, upper);
    QFETCH(double, increment);
    QFETCH(QString, shownAfterTwoSteps);
    NumericEdit edit;
    setLimits(edit, 0, upper, increment);
    edit.show();

    QTest::keyClick(&edit, Qt::Key_Up);
    QVERIFY(std::abs(edit.value() - increment) <= increment * 1e-6);
    QTest::keyClick(&edit, Qt::Key_Up);
    QCOMPARE(edit.text(), shownAfterTwoSteps);
    edit.setValue(upper);
    QTest::keyClick(&edit, Qt::Key_Up);
    QCOMPARE(edit.value(), upper);
}

void NumericEditTest::writingTheHeldValueRaisesNothing() {
    NumericEdit edit;
    setLimits(edit, 0, 4095, 1);
    QSignalSpy changes(&edit, &NumericEdit::valueChanged);

    edit.setValue(2048);
    edit.setValue(2048);
    edit.setValue(2048.0000001);  // a quotient that lands on the held count
    QCOMPARE(changes.count(), 1);

    edit.setValue(4095);
    edit.setValue(5000);  // clamps to the bound it already holds
    QCOMPARE(changes.count(), 2);
}

void NumericEditTest::typedValueIsTakenOnceOnEnter() {
    NumericEdit edit;
    setLimits(edit, 0, 8.56, kMilliampsPerCount);
    edit.show();
    QSignalSpy changes(&edit, &NumericEdit::valueChanged);

    edit.selectAll();
    QTest::keyClicks(&edit, "1.5");
    QCOMPARE(changes.count(), 0);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(edit.value(), 1.5);
}

void NumericEditTest::linkedEditsSettle_data() {
    QTest::addColumn<double>("perCount");
    QTest::addColumn<double>("scaledUpper");
    QTest::addColumn<double>("typedScaled");
    QTest::addColumn<double>("expectedCount");
    QTest::newRow("mA") << kMilliampsPerCount << 8.56 << 1.0 << 2933.0;
    QTest::newRow("kV, 70 kV unit") << 70.0 / 4095 << 70000.0 << 35.01 << 2048.0;
    QTest::newRow("filament limit") << 0.001221 << 4.999995 << 4.999995 << 4095.0;
}

void NumericEditTest::linkedEditsSettle() {
    QFETCH(double, perCount);
    QFETCH(double, scaledUpper);
    QFETCH(double, typedScaled);
    QFETCH(double, expectedCount);
    LinkedPair pair(perCount, scaledUpper);

    // The operator's scaled value becomes a whole count, which snaps the scaled value to it;
    // the count edit then already holds the quotient and the chain stops.
    pair.scaled.setValue(typedScaled);
    QCOMPARE(pair.count.value(), expectedCount);
    QVERIFY(std::abs(pair.scaled.value() - expectedCount * perCount) <= perCount * 1e-6);
    QVERIFY(pair.scaledChanges.count() <= 2);
    QCOMPARE(pair.countChanges.count(), 1);
    QVERIFY(pair.maxDepth <= 3);

    // From the count side: one pass each way.
    pair.countChanges.clear();
    pair.scaledChanges.clear();
    pair.count.setValue(expectedCount - 1);
    QCOMPARE(pair.countChanges.count(), 1);
    QCOMPARE(pair.scaledChanges.count(), 1);

    pair.count.setValue(expectedCount - 1);
    QCOMPARE(pair.countChanges.count(), 1);
}

int runNumericEditTests(int argc, char** argv) {
    NumericEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_numeric_edit.moc"
