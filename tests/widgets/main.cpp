#include <QApplication>

#include "widget_tests.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (const auto run :
         {runInstrumentButtonTests, runNumericEditTests, runStatusBarTests, runPromptingTests}) {
        failures += run(argc, argv);
    }
    return failures;
}
