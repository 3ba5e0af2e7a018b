// A console main window wired to an in-process simulated supply over a real
// pseudo-terminal and a real TCP loopback connection, with scripted boxes.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/extras_window.h"
#include "app/link_selection.h"
#include "app/main_window.h"
#include "scripted_prompter.h"
#include "sim/simulator.h"

namespace zov::test {

struct ConsoleRig {
    enum class Supply { Simulated, None };

    explicit ConsoleRig(Supply supply = Supply::Simulated) {
        QVERIFY2(directory.isValid(), "temporary directory");
        linkPath = directory.filePath(QStringLiteral("zov-port"));
        QVERIFY2(sim.startPty(linkPath), qPrintable(sim.errorString()));
        QVERIFY2(sim.startTcp(0), qPrintable(sim.errorString()));
        sim.setUnsolicitedStatus(false);
        window = std::make_unique<app::MainWindow>(prompter);
        window->setProgramEnd([this] { ++programEnds; });
        window->exchange().setReplyTimeLimitMs(kReplyLimitMs);
        // Dialogs are answered with their main button and the choice they open with.
        window->modalRunner().setScript([this](QDialog& dialog) {
            dialogsShown << dialog.objectName();
            if (dialogScript) {
                dialogScript(dialog);
            } else {
                pressDefault(dialog);
            }
        });
        if (supply == Supply::Simulated) {
            window->linkSelection().useSimulatedSupply(linkPath, QStringLiteral("127.0.0.1"),
                                                       sim.tcpPort());
        }
    }

    static void pressDefault(QDialog& dialog) {
        for (const char* name : {"ok", "save", "OK", "btn_DONE"}) {
            if (auto* button = dialog.findChild<QPushButton*>(QLatin1String(name))) {
                button->click();
                return;
            }
        }
        dialog.reject();
    }

    core::CommandExchange& exchange() { return window->exchange(); }
    core::MainState& state() { return window->state(); }
    QString panel(int n) { return window->statusBar1().panelText(n); }
    QAction* item(const char* name) { return window->menuItem(QLatin1String(name)); }

    // Lets the event loop run for `ms` without spinning.
    static void settle(int ms) { QTest::qWait(ms); }

    static constexpr int kReplyLimitMs = 300;

    QTemporaryDir directory;
    QString linkPath;
    sim::Simulator sim;
    ScriptedPrompter prompter;
    std::unique_ptr<app::MainWindow> window;
    std::function<void(QDialog&)> dialogScript;
    QStringList dialogsShown;
    int programEnds = 0;
};

}  // namespace zov::test
