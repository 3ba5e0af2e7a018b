// The main window's start, link choices, baud-rate settings, diagnostics and
// the three ways to end, against the simulated supply.
#include <QElapsedTimer>
#include <QMenuBar>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

#include "app/extras_window.h"
#include "app/link_dialogs.h"
#include "console_rig.h"

using zov::test::ConsoleRig;

class ConsoleShellTest : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void helpAndVersionWithoutADisplay();
    void numberedPortsAndFollowUps();
    void userPortEntries();
    void usbPort();
    void ethernetHostDialog();
    void tcpErrorIsReported();
    void baudRates();
    void diagnosticsAndPassThrough();
    void exitClosesTheActiveLink();
    void shutdownSequence();
    void shutdownWithoutALink();
    void shutdownStepsStayApartAfterAWait();
    void closingClosesEveryWindow();
};

void ConsoleShellTest::startUp() {
    ConsoleRig rig;
    rig.window->start();
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("ZOV Interface"));
    QCOMPARE(rig.prompter.texts(), QStringList{"        Please Select Port!          "});
    QCOMPARE(rig.panel(1), QStringLiteral("SET PORT!"));
    QCOMPARE(rig.panel(2), QStringLiteral("Comm Ch."));
    for (const char* hidden : {"mnu_ethernet", "mnu_USB", "mnu_RAWDATA", "mnu_EXTRAS",
                               "mnu_PASSTHRU", "mnu_UserConfig", "mnu_Reset_total_hrs"}) {
        QVERIFY2(!rig.item(hidden)->isVisible(), hidden);
    }
    QVERIFY(!rig.item("mnu_EXTRAS")->isEnabled());
    QCOMPARE(rig.item("menu_Season")->text(), QStringLiteral("Start Tube Seasoning "));
    QVERIFY(rig.item("mnu_comm1")->isVisible());
    QVERIFY(!rig.exchange().tmr_COMMWDT().isActive());
    QVERIFY(!rig.exchange().tmr_UPDATE().isActive());
    QVERIFY(!rig.window->tmr_EXIT().isActive());
    QVERIFY(rig.sim.commands().isEmpty());
    QCOMPARE(rig.window->accessibleDescription(), QStringLiteral("frm_SDIMAIN"));

    rig.window->setShowHidden(true);
    QVERIFY(rig.item("mnu_ethernet")->isVisible());
    QVERIFY(rig.item("mnu_RAWDATA")->isEnabled());
    // The diagnostic items are shown, but only the mode password makes them work.
    for (const char* modeItem : {"mnu_EXTRAS", "mnu_PASSTHRU"}) {
        QVERIFY2(rig.item(modeItem)->isVisible(), modeItem);
        QVERIFY2(!rig.item(modeItem)->isEnabled(), modeItem);
    }
}

void ConsoleShellTest::helpAndVersionWithoutADisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    const auto run = [&](const QString& option, int expectedCode, const QByteArray& expectedText) {
        QProcess console;
        console.setProcessEnvironment(environment);
        console.start(QStringLiteral(ZOV_CONSOLE_PATH), {option});
        QVERIFY(console.waitForFinished(10000));
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), expectedCode);
        const QByteArray said = console.readAllStandardOutput() + console.readAllStandardError();
        QVERIFY2(said.contains(expectedText), qPrintable(option));
    };
    run(QStringLiteral("--help"), 0, "zov-console");
    run(QStringLiteral("--version"), 0, "zov-console");
    // A mistyped option over SSH is named, not an abort for want of a display.
    run(QStringLiteral("--simualtor"), 1, "Unknown option 'simualtor'");
}

void ConsoleShellTest::numberedPortsAndFollowUps() {
    ConsoleRig rig;
    QStringList followUps;
    rig.window->hooks().requestStatus = [&] { followUps << "status"; };
    rig.window->hooks().startAutoUpdate = [&] { followUps << "auto"; };

    rig.window->linkSelection().mnu_comm1_Click();
    QCOMPARE(rig.dialogsShown, QStringList{"frm_gui_baudrate"});
    QCOMPARE(rig.panel(1), QStringLiteral("Comm Port Setting:  115200,n,8,1"));
    QCOMPARE(rig.panel(2), QStringLiteral("Comm Port:  1"));
    QCOMPARE(rig.state().portType, QStringLiteral("comm1"));
    QCOMPARE(rig.state().CommPortNum, QStringLiteral("1"));
    QCOMPARE(followUps, QStringList{"auto"});
    QVERIFY(rig.exchange().serial().isOpen());
    QVERIFY(rig.exchange().tmr_RCVTIMER().isActive());

    followUps.clear();
    rig.window->linkSelection().mnu_comm2_Click();
    QCOMPARE(rig.panel(2), QStringLiteral("Comm Port:  2"));
    QCOMPARE(rig.state().portType, QStringLiteral("comm2"));
    QCOMPARE(followUps, (QStringList{"status", "auto"}));
    int checked = 0;
    for (const char* name : {"mnu_comm1", "mnu_comm2", "mnu_userComm", "mnu_ethernet", "mnu_USB"}) {
        checked += rig.item(name)->isChecked() ? 1 : 0;
    }
    QCOMPARE(checked, 1);
    QVERIFY(rig.item("mnu_comm2")->isChecked());

    // Without the simulated supply, a port that cannot be opened is refused
    // and left closed, with no follow-up.
    ConsoleRig bare(ConsoleRig::Supply::None);
    QStringList bareFollowUps;
    bare.window->hooks().startAutoUpdate = [&] { bareFollowUps << "auto"; };
    const QString devicePath = QStringLiteral("/dev/ttyS250");
    QVERIFY(!QFile::exists(devicePath));
    bare.prompter.answerInput(QStringLiteral("251"));
    bare.window->linkSelection().mnu_userComm_Click();
    QCOMPARE(bare.prompter.texts().last(), QStringLiteral("Invalid Comm Port!"));
    QVERIFY(!bare.exchange().serial().isOpen());
    QVERIFY(bareFollowUps.isEmpty());
}

void ConsoleShellTest::userPortEntries() {
    ConsoleRig bare(ConsoleRig::Supply::None);
    for (const QString& entry :
         {QString(), QStringLiteral("A"), QStringLiteral("0"), QStringLiteral("-3")}) {
        bare.prompter.answerInput(entry);
        bare.window->linkSelection().mnu_userComm_Click();
        QCOMPARE(bare.prompter.texts().last(), QStringLiteral("Invalid Comm Port!"));
        QVERIFY(!bare.exchange().tmr_RCVTIMER().isActive());
        QCOMPARE(bare.panel(2), QStringLiteral("Comm Ch."));
        QVERIFY(bare.item("mnu_userComm")->isChecked());
    }
    bare.prompter.cancelInput();
    bare.window->linkSelection().mnu_userComm_Click();
    QCOMPARE(bare.prompter.texts().last(), QStringLiteral("Invalid Comm Port!"));

    // A device path is taken as it stands.
    int autoStarts = 0;
    bare.window->hooks().startAutoUpdate = [&] { ++autoStarts; };
    bare.prompter.answerInput(bare.linkPath);
    bare.window->linkSelection().mnu_userComm_Click();
    QVERIFY(bare.exchange().serial().isOpen());
    QCOMPARE(bare.panel(2), QStringLiteral("Comm Port:  ") + bare.linkPath);
    QCOMPARE(bare.state().portType, QStringLiteral("comm1"));
    QCOMPARE(autoStarts, 0);
    bare.exchange().outputOutputString("MODR;");
    QVERIFY(!bare.exchange().inputInputString().isEmpty());
}

void ConsoleShellTest::usbPort() {
    ConsoleRig rig;
    QStringList followUps;
    rig.window->hooks().requestStatus = [&] { followUps << "status"; };
    rig.window->hooks().startAutoUpdate = [&] { followUps << "auto"; };
    rig.window->linkSelection().mnu_USB_Click();
    QCOMPARE(rig.dialogsShown, QStringList{"frm_USB"});
    QCOMPARE(rig.panel(1), QStringLiteral("USB Comms"));
    QCOMPARE(rig.panel(2), QStringLiteral("Comm Port:  3"));
    QCOMPARE(rig.state().portType, QStringLiteral("USB"));
    QVERIFY(rig.exchange().serial().isOpen());
    QCOMPARE(followUps, (QStringList{"status", "auto"}));

    // Closed without DONE: the port is left as it was and nothing follows.
    followUps.clear();
    rig.dialogScript = [](QDialog& dialog) { dialog.reject(); };
    rig.window->linkSelection().mnu_USB_Click();
    QVERIFY(followUps.isEmpty());
    QVERIFY(rig.exchange().serial().isOpen());
}

void ConsoleShellTest::ethernetHostDialog() {
    ConsoleRig rig;
    QStringList followUps;
    rig.window->hooks().requestStatus = [&] { followUps << "status"; };
    rig.window->hooks().startAutoUpdate = [&] { followUps << "auto"; };
    const QString port = QString::number(rig.sim.tcpPort());
    // While it connects the console shows that it is busy, not hung.
    bool busyWhileConnecting = false;
    rig.dialogScript = [&](QDialog& dialog) {
        QTimer::singleShot(0, [&] {
            busyWhileConnecting = QGuiApplication::overrideCursor() != nullptr &&
                                  QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        });
        ConsoleRig::pressDefault(dialog);
    };
    rig.window->linkSelection().mnu_ethernet_Click();
    QVERIFY(busyWhileConnecting);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(rig.panel(1), QStringLiteral("Ethernet Comms"));
    QCOMPARE(rig.panel(2), QStringLiteral("IP: ") + port);
    QCOMPARE(rig.state().portType, QStringLiteral("ethernet"));
    QCOMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::ConnectedState);
    QVERIFY(rig.exchange().netPollEnabled());
    QVERIFY(!rig.exchange().tmr_RCVTIMER().isActive());
    QCOMPARE(followUps, (QStringList{"status", "auto"}));

    // Cancel puts the texts back and still connects to the host given before.
    rig.dialogScript = [](QDialog& dialog) {
        auto& host = static_cast<zov::app::RemoteHostDialog&>(dialog);
        host.txtHost()->setText(QStringLiteral("elsewhere.invalid"));
        host.cancelButton()->click();
    };
    rig.window->linkSelection().mnu_ethernet_Click();
    QCOMPARE(rig.window->linkSelection().remoteHost().txtHost()->text(),
             QStringLiteral("127.0.0.1"));
    QCOMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::ConnectedState);

    // A port text that is no port number is refused in the dialog.
    rig.dialogScript = [](QDialog& dialog) {
        auto& host = static_cast<zov::app::RemoteHostDialog&>(dialog);
        host.txtPortNumber()->setText(QStringLiteral("50a0"));
        host.okButton()->click();
        host.cancelButton()->click();
    };
    rig.window->linkSelection().mnu_ethernet_Click();
    QCOMPARE(rig.prompter.texts().last(), QStringLiteral("Invalid Port Number!"));
    QCOMPARE(rig.exchange().remotePort(), rig.sim.tcpPort());

    // The TCP connection becomes the one open link.
    rig.dialogScript = nullptr;
    rig.window->linkSelection().mnu_comm1_Click();
    rig.window->linkSelection().mnu_ethernet_Click();
    QVERIFY(!rig.exchange().serial().isOpen());
}

void ConsoleShellTest::tcpErrorIsReported() {
    ConsoleRig rig;
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    rig.window->linkSelection().useSimulatedSupply(rig.linkPath, QStringLiteral("127.0.0.1"), port);
    QElapsedTimer clock;
    clock.start();
    rig.window->linkSelection().mnu_ethernet_Click();
    QVERIFY(clock.elapsed() < 5000);  // a refused connection ends the wait at once
    QTRY_VERIFY(!rig.prompter.texts().isEmpty());
    QVERIFY2(rig.prompter.texts().last().startsWith(QStringLiteral("TCP Error")),
             qPrintable(rig.prompter.texts().last()));
    QVERIFY(rig.prompter.texts().last().size() > 9);
    QCOMPARE(rig.state().portType, QStringLiteral("ethernet"));
}

void ConsoleShellTest::baudRates() {
    ConsoleRig rig;
    rig.dialogScript = [](QDialog& dialog) {
        auto& baud = static_cast<zov::app::BaudRateDialog&>(dialog);
        QCOMPARE(baud.Bitslist()->currentIndex(), 0);
        baud.Bitslist()->setCurrentIndex(1);
        baud.button()->click();
    };
    rig.window->linkSelection().mnu_comm1_Click();
    QCOMPARE(rig.panel(1), QStringLiteral("Comm Port Setting:  9600,n,8,1"));
    QCOMPARE(rig.exchange().serial().settings(), QStringLiteral("9600,n,8,1"));

    // The unit's rate: "BAUD 2;" for 9600, and the timers stay off afterwards.
    rig.state().AutoUpdate = true;
    rig.exchange().tmr_UPDATE().start();
    rig.window->linkSelection().mnu_BaudRate_Click();
    QCOMPARE(rig.dialogsShown.last(), QStringLiteral("frm_baudRate"));
    QCOMPARE(rig.sim.commands(), QStringList{"BAUD 2;"});
    QVERIFY(!rig.exchange().tmr_UPDATE().isActive());

    // Closing a baud dialog by its frame changes nothing.
    rig.dialogScript = [](QDialog& dialog) { dialog.reject(); };
    rig.sim.clearCommands();
    rig.window->linkSelection().mnu_BaudRate_Click();
    rig.window->linkSelection().mnu_comm1_Click();
    QVERIFY(rig.sim.commands().isEmpty());
    QCOMPARE(rig.exchange().serial().settings(), QStringLiteral("9600,n,8,1"));
}

void ConsoleShellTest::diagnosticsAndPassThrough() {
    ConsoleRig rig;
    QVERIFY(!rig.window->loadedWindow(QStringLiteral("frm_EXTRAS")));
    // No link: three unanswered pass-through toggles, counted, nothing else shown.
    for (int i = 0; i < 3; ++i) {
        rig.window->mnu_PASSTHRU_Click();
    }
    QCOMPARE(rig.state().CommErrors, 3);
    QVERIFY(rig.prompter.texts().isEmpty());
    auto* extras = rig.window->loadedWindow(QStringLiteral("frm_EXTRAS"));
    QVERIFY(extras && !extras->isVisible());  // written to, loaded, not shown
    rig.window->showExtrasWindow();
    QVERIFY(extras->isVisible());
    QCOMPARE(rig.window->extrasWindow().txt_COMMERRORS()->text(), QStringLiteral("3"));
    QCOMPARE(rig.window->extrasWindow().txt_MSCOMMBUFF()->text(), QStringLiteral("Text1"));
    QCOMPARE(rig.window->extrasWindow().txt_LASTERROR()->text(), QStringLiteral("Text1"));

    rig.window->linkSelection().mnu_comm1_Click();
    rig.window->mnu_PASSTHRU_Click();
    QCOMPARE(rig.sim.commands(), QStringList{"96,"});
    QCOMPARE(rig.state().CommErrors, 3);
    QVERIFY(rig.sim.model().passThrough());
}

void ConsoleShellTest::exitClosesTheActiveLink() {
    ConsoleRig rig;
    rig.window->linkSelection().mnu_comm1_Click();
    rig.window->linkSelection().mnu_ethernet_Click();
    rig.window->mnu_EXIT_Click();
    QCOMPARE(rig.programEnds, 1);
    QVERIFY(!rig.exchange().serial().isOpen());
    QCOMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!rig.exchange().tmr_COMMWDT().isActive());

    ConsoleRig serialOnly;
    serialOnly.window->linkSelection().mnu_comm1_Click();
    serialOnly.window->mnu_EXIT_Click();
    QVERIFY(!serialOnly.exchange().serial().isOpen());
    QVERIFY(serialOnly.sim.commands().isEmpty());
}

void ConsoleShellTest::shutdownSequence() {
    ConsoleRig rig;
    rig.window->linkSelection().mnu_comm1_Click();
    QStringList sequence;
    rig.window->hooks().goLocalForShutdown = [&] { sequence << "local"; };
    QList<qint64> sentAt;
    QElapsedTimer clock;
    QObject::connect(&rig.sim, &zov::sim::Simulator::commandReceived, [&](const QString& command) {
        sequence << command;
        sentAt << clock.elapsed();
    });
    clock.start();
    rig.window->mnu_SHUTDOWN_Click();
    QVERIFY(!rig.window->menuBar()->isEnabled());  // nothing may cut it short
    rig.window->mnu_SHUTDOWN_Click();              // runs once only
    QTRY_COMPARE_WITH_TIMEOUT(rig.programEnds, 1, 3000);
    QTRY_COMPARE(sequence, (QStringList{"local", "10,0,", "11,0,", "12,0,", "13,0,"}));
    for (int i = 1; i < sentAt.size(); ++i) {
        const qint64 gap = sentAt[i] - sentAt[i - 1];
        QVERIFY2(gap >= 60 && gap <= 300, qPrintable(QString::number(gap)));
    }
    QVERIFY(!rig.exchange().serial().isOpen());
    QCOMPARE(rig.state().ExitSeq, 5);
}

void ConsoleShellTest::shutdownWithoutALink() {
    ConsoleRig rig;
    rig.window->mnu_SHUTDOWN_Click();
    QTRY_COMPARE_WITH_TIMEOUT(rig.programEnds, 1, 3000);
    QCOMPARE(rig.state().ExitSeq, 5);
    QVERIFY(!rig.window->tmr_EXIT().isActive());
}

void ConsoleShellTest::shutdownStepsStayApartAfterAWait() {
    ConsoleRig rig;
    rig.window->linkSelection().mnu_comm1_Click();
    QList<qint64> zeroedAt;
    QElapsedTimer clock;
    QObject::connect(&rig.sim, &zov::sim::Simulator::commandReceived, [&](const QString& command) {
        if (command.endsWith(QLatin1String(",0,"))) {
            zeroedAt << clock.elapsed();
        }
    });
    clock.start();
    rig.window->mnu_SHUTDOWN_Click();
    // An exchange with a silent unit is under way while several steps fall due.
    QTimer::singleShot(20, rig.window.get(), [&] {
        rig.sim.faults().dropEvery = 1;
        rig.exchange().outputOutputString("STAT;");
        (void)rig.exchange().inputInputString();
    });
    QTRY_COMPARE_WITH_TIMEOUT(rig.programEnds, 1, 3000);
    QTRY_COMPARE(zeroedAt.size(), 4);
    for (int i = 1; i < zeroedAt.size(); ++i) {
        QVERIFY2(zeroedAt[i] - zeroedAt[i - 1] >= 60, qPrintable(QString::number(zeroedAt[i])));
    }
}

void ConsoleShellTest::closingClosesEveryWindow() {
    ConsoleRig rig;
    bool released = false;
    rig.window->hooks().releaseLocalRemote = [&] { released = true; };
    rig.window->linkSelection().mnu_comm1_Click();
    rig.window->show();
    rig.window->showExtrasWindow();
    QPointer<QWidget> extras = rig.window->loadedWindow(QStringLiteral("frm_EXTRAS"));
    QVERIFY(extras && extras->isVisible());
    rig.sim.clearCommands();
    rig.window->close();
    QVERIFY(released);
    QTRY_VERIFY(!extras);
    QCOMPARE(rig.programEnds, 1);
    QVERIFY(!rig.exchange().serial().isOpen());
    QVERIFY(rig.sim.commands().isEmpty());
}

QTEST_MAIN(ConsoleShellTest)
#include "test_console_shell.moc"
