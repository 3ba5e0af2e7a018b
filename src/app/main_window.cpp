// SPDX-License-Identifier: Apache-2.0
#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <algorithm>

#include "app/extras_window.h"
#include "app/link_selection.h"
#include "app/widgets/accessibility.h"

namespace zov::app {
namespace {

constexpr int kExitStepMs = 75;

struct AreaCell {
    MainArea area;
    int row, column, rowSpan, columnSpan;
};

constexpr AreaCell kAreaCells[] = {
    {MainArea::SystemInformation, 0, 0, 1, 1}, {MainArea::XrayEnable, 0, 1, 1, 1},
    {MainArea::SystemStatus, 0, 2, 2, 1},      {MainArea::DacSettings, 1, 0, 1, 1},
    {MainArea::SetDacChannels, 1, 1, 2, 1},    {MainArea::Readbacks, 2, 0, 1, 1},
    {MainArea::ResetFault, 2, 2, 1, 1},        {MainArea::AuxiliaryVoltage, 3, 0, 1, 1},
    {MainArea::UpdateData, 3, 1, 1, 1},        {MainArea::Arc, 3, 2, 1, 1},
    {MainArea::LocalRemote, 4, 0, 1, 1},
};

// The manual command buttons, in the order they are switched.
const char* const kCommandButtons[] = {
    "btn_UPDATEDATA", "btn_KVSET",  "btn_EMI",   "btn_FILLIM",  "btn_FILPREHEAT",     "btn_REQSTAT",
    "btn_HWREV",      "btn_MODNUM", "btn_SWREV", "btn_SWBuild", "btn_serialNum_rqst",
};

// The setpoints the shutdown sequence zeroes, one a step.
constexpr core::Channel kZeroedSetpoints[] = {core::Channel::A, core::Channel::B, core::Channel::C,
                                              core::Channel::D};

}  // namespace

MainWindow::MainWindow(Prompter& prompter, QWidget* parent)
    : QMainWindow(parent),
      prompter_(prompter),
      staleMarks_(state_),
      exchange_(state_, this),
      supply_(exchange_, state_, sessionEvents_, this),
      answerWatch_(exchange_, sessionEvents_, staleMarks_) {
    setObjectName(QStringLiteral("frm_SDIMAIN"));
    setWindowTitle(QStringLiteral("ZOV Interface"));

    auto* central = new QWidget(this);
    grid_ = new QGridLayout(central);
    setCentralWidget(central);

    statusBar_ = new StatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(statusBar_);

    exitTimer_.setObjectName(QStringLiteral("tmr_EXIT"));
    exitTimer_.setInterval(kExitStepMs);
    exitTimer_.setTimerType(Qt::PreciseTimer);
    exchange_.connectTimer(exitTimer_, this, [this] { tmr_EXIT_Timer(); });

    endProgram_ = [] { QApplication::exit(0); };

    linkSelection_ = new LinkSelection(*this);
    buildMenus();
    wireExchange();

    // Start-up: every shared variable at its start value (MainState), no
    // timer running, no port open and nothing sent; the two diagnostic items
    // disabled and hidden (markModeItem).
    exitTimer_.stop();
    exchange_.tmr_UPDATE().stop();
    exchange_.tmr_COMMWDT().stop();
}

MainWindow::~MainWindow() {
    // Closing the links on the way out is no event of the session: the
    // observers may already be gone.
    sessionEvents_.blockSignals(true);
}

void MainWindow::start() {
    applyProtocolNames(this);
    show();
    prompter_.message(QStringLiteral("        Please Select Port!          "));
    state_.ArcArmed = 1;
    state_.ArcCount = 0;
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void MainWindow::buildMenus() {
    QMenu* ports = menuBar()->addMenu(QStringLiteral("Ports"));
    ports->setObjectName(QStringLiteral("mnu_Ports"));
    addItem(ports, "mnu_comm1", QStringLiteral("COMM1"));
    addItem(ports, "mnu_comm2", QStringLiteral("COMM2"));
    addItem(ports, "mnu_userComm", QStringLiteral("COMM USER"));
    markStartsHidden(addItem(ports, "mnu_ethernet", QStringLiteral("Ethernet")));
    markStartsHidden(addItem(ports, "mnu_USB", QStringLiteral("USB")));
    for (QAction* item : ports->actions()) {
        item->setCheckable(true);
    }
    linkSelection_->attach(*ports);

    controlsMenu_ = menuBar()->addMenu(QStringLiteral("Controls"));
    controlsMenu_->setObjectName(QStringLiteral("mnu_Controls"));
    const auto disabledHidden = [this](const char* name, const QString& caption) {
        QAction* item = addItem(controlsMenu_, name, caption);
        item->setEnabled(false);
        markStartsHidden(item);
        return item;
    };
    disabledHidden("mnu_RAWDATA", QStringLiteral("View Unscaled Data"));
    disabledHidden("mnu_SYSINFO", QStringLiteral("System Information"));
    disabledHidden("mnu_HWREV", QStringLiteral("Set H/W Revision"));
    QAction* extras = addItem(controlsMenu_, "mnu_EXTRAS", QStringLiteral("Extras Window"));
    QAction* passThrough =
        addItem(controlsMenu_, "mnu_PASSTHRU", QStringLiteral("Toggle Passthrough"));
    markModeItem(extras);
    markModeItem(passThrough);
    controlsMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_sep1"));
    addItem(controlsMenu_, "mnu_AUTOUPDATE", QStringLiteral("Auto Update Mode"))
        ->setCheckable(true);
    addItem(controlsMenu_, "mnu_MANUAL", QStringLiteral("Manual Update Mode"))->setCheckable(true);
    markStartsHidden(
        addItem(controlsMenu_, "mnu_UserConfig", QStringLiteral("User Option Config")));
    addItem(controlsMenu_, "mnu_Serial", QStringLiteral("Serial Number"));
    addItem(controlsMenu_, "mnu_Config", QStringLiteral("Factory Config"));
    markStartsHidden(
        addItem(controlsMenu_, "mnu_Reset_total_hrs", QStringLiteral("Reset Total Hours")));
    QAction* baudRate = addItem(controlsMenu_, "mnu_BaudRate", QStringLiteral("Set Unit BaudRate"));
    addItem(controlsMenu_, "enableWdt", QStringLiteral("Enable WatchDog Timer"));
    addItem(controlsMenu_, "menu_cycleHv", QStringLiteral("Cycle Test On"));
    addItem(controlsMenu_, "menu_Season", QStringLiteral("Start Tube Seasoning "));

    // What the console keeps of a session beyond the panel; the records add
    // their items here.
    viewMenu_ = menuBar()->addMenu(QStringLiteral("View"));
    viewMenu_->setObjectName(QStringLiteral("mnu_View"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnu_Help"));
    addItem(help, "mnu_ABOUT", QStringLiteral("About"));

    QMenu* exitMenu = menuBar()->addMenu(QStringLiteral("Exit"));
    exitMenu->setObjectName(QStringLiteral("mnu_Exit"));
    connect(addItem(exitMenu, "mnu_EXIT", QStringLiteral("Exit")), &QAction::triggered, this,
            &MainWindow::mnu_EXIT_Click);
    connect(addItem(exitMenu, "mnu_SHUTDOWN", QStringLiteral("Shutdown and Exit")),
            &QAction::triggered, this, &MainWindow::mnu_SHUTDOWN_Click);

    connect(extras, &QAction::triggered, this, &MainWindow::showExtrasWindow);
    connect(passThrough, &QAction::triggered, this, &MainWindow::mnu_PASSTHRU_Click);
    connect(baudRate, &QAction::triggered, linkSelection_, &LinkSelection::mnu_BaudRate_Click);
}

void MainWindow::wireExchange() {
    connect(&exchange_, &core::CommandExchange::transmitted, this, [this](const QByteArray& frame) {
        statusBar_->setPanelText(4, QStringLiteral("TX: ") + QString::fromLatin1(frame));
    });
    connect(&exchange_, &core::CommandExchange::received, this, [this](const QByteArray& reply) {
        statusBar_->setPanelText(3, QStringLiteral("RX: ") + QString::fromLatin1(reply));
    });
    connect(&exchange_, &core::CommandExchange::unsolicitedMessage, this,
            [this](const QByteArray& message) {
                statusBar_->setPanelText(3, QString::fromLatin1(message));
            });
    connect(&exchange_, &core::CommandExchange::serialRemainder, this,
            [this](const QByteArray& remainder) { extrasWindow().setSerialRemainder(remainder); });
    connect(&exchange_, &core::CommandExchange::commErrorsChanged, this, [this](qint64 count) {
        extrasWindow().setCommErrors(count);
        emit sessionEvents_.supplyEvent(
            core::SupplyEvent::Error,
            QStringLiteral("no answer to ") + QString::fromLatin1(exchange_.lastCommand()));
    });
    connect(&exchange_, &core::CommandExchange::linkLost, this, [this](const QString& why) {
        emit sessionEvents_.supplyEvent(core::SupplyEvent::LinkLost, why);
    });
    connect(&answerWatch_, &AnswerWatch::warningChanged, this, [this](const QString& warning) {
        statusBar_->setWarning(warning);
        if (warning.isEmpty()) {
            emit sessionEvents_.supplyEvent(core::SupplyEvent::ReadingsFresh,
                                            QStringLiteral("the supply answers"));
        } else {
            emit sessionEvents_.supplyEvent(core::SupplyEvent::ReadingsStale, warning);
        }
    });
    connect(&supply_, &core::Supply::scalesChanged, this, &MainWindow::scaleFactorsChanged);
    // Behind another link may stand another unit: what it reported is stale
    // and its scales count as not given (the supply sees to a lost link itself).
    connect(&sessionEvents_, &core::SessionEvents::supplyEvent, this,
            [this](core::SupplyEvent kind) {
                if (kind == core::SupplyEvent::LinkChosen) {
                    supply_.linkGone();
                }
            });
    connect(&exchange_, &core::CommandExchange::tcpError, this, [this](const QString& description) {
        emit sessionEvents_.supplyEvent(core::SupplyEvent::Error,
                                        QStringLiteral("TCP error: ") + description);
        // Shown once the running exchange (if any) is over, so a message box
        // never holds a reply wait open.
        QTimer::singleShot(0, this, [this, description] {
            exchange_.whenIdle(this, [this, description] {
                prompter_.message(QStringLiteral("TCP Error") + description);
            });
        });
    });
}

void MainWindow::placeArea(MainArea area, QWidget* widget) {
    const auto cell = std::find_if(std::begin(kAreaCells), std::end(kAreaCells),
                                   [area](const AreaCell& c) { return c.area == area; });
    grid_->addWidget(widget, cell->row, cell->column, cell->rowSpan, cell->columnSpan);
}

QAction* MainWindow::menuItem(const QString& name) const {
    return findChild<QAction*>(name);
}

void MainWindow::markStartsHidden(QWidget* widget) {
    widget->setVisible(false);
    hiddenWidgets_.emplace_back(widget);
}

void MainWindow::markStartsHidden(QAction* action) {
    action->setVisible(false);
    hiddenActions_.emplace_back(action);
}

void MainWindow::markModeItem(QAction* action) {
    action->setEnabled(false);
    action->setVisible(false);
    modeItems_.emplace_back(action);
}

void MainWindow::setShowHidden(bool show) {
    if (!show) {
        return;
    }
    for (const auto& widget : hiddenWidgets_) {
        if (widget) {
            widget->setVisible(true);
        }
    }
    for (const auto& action : hiddenActions_) {
        if (action) {
            action->setVisible(true);
            action->setEnabled(true);
        }
    }
    for (const auto& action : modeItems_) {
        if (action) {
            action->setVisible(true);
        }
    }
}

void MainWindow::disableCommandButtons() {
    setCommandButtonsEnabled(false);
}

void MainWindow::enableCommandButtons() {
    setCommandButtonsEnabled(true);
}

void MainWindow::setCommandButtonsEnabled(bool enabled) {
    for (const char* name : kCommandButtons) {
        if (auto* button = findChild<QWidget*>(QLatin1String(name))) {
            button->setEnabled(enabled);
        }
    }
}

QWidget* MainWindow::loadedWindow(const QString& name) const {
    for (const auto& window : windows_) {
        if (window && window->objectName() == name) {
            return window;
        }
    }
    return nullptr;
}

QWidget* MainWindow::secondaryWindow(const QString& name, const std::function<QWidget*()>& create) {
    if (QWidget* loaded = loadedWindow(name)) {
        return loaded;
    }
    windows_.erase(std::remove(windows_.begin(), windows_.end(), nullptr), windows_.end());
    QWidget* window = create();
    window->setAttribute(Qt::WA_DeleteOnClose);
    windows_.emplace_back(window);
    return window;
}

ExtrasWindow& MainWindow::extrasWindow() {
    auto* window =
        secondaryWindow(QStringLiteral("frm_EXTRAS"), [this] { return new ExtrasWindow(this); });
    return *static_cast<ExtrasWindow*>(window);
}

void MainWindow::showExtrasWindow() {
    ExtrasWindow& window = extrasWindow();
    window.show();
    window.raise();
    window.setCommErrors(state_.CommErrors);
}

void MainWindow::mnu_PASSTHRU_Click() {
    (void)supply_.togglePassThrough();
}

void MainWindow::hideRawDataWindow() {
    if (QWidget* raw = loadedWindow(QStringLiteral("frm_RAWDATA"))) {
        raw->hide();
    }
}

void MainWindow::closeLinksAndEnd(bool closeTcpWhateverTheLink) {
    hideRawDataWindow();
    exchange_.tmr_UPDATE().stop();
    exchange_.serial().close();
    if (closeTcpWhateverTheLink || &exchange_.link() == &exchange_.tcp()) {
        exchange_.closeTcp();
    }
    exchange_.tmr_COMMWDT().stop();
    ending_ = true;
    endProgram_();
}

void MainWindow::mnu_EXIT_Click() {
    closeLinksAndEnd(false);
}

void MainWindow::mnu_SHUTDOWN_Click() {
    // The sequence runs once; a second click while it runs changes nothing.
    if (exitTimer_.isActive() || state_.ExitSeq > 0) {
        return;
    }
    // From here on the menus are closed: nothing may cut the sequence short
    // or open a link behind it.
    menuBar()->setEnabled(false);
    if (hooks_.goLocalForShutdown) {
        hooks_.goLocalForShutdown();
    }
    exitTimer_.start();
}

void MainWindow::tmr_EXIT_Timer() {
    const std::int16_t step = state_.ExitSeq;
    state_.ExitSeq = static_cast<std::int16_t>(step + 1);
    if (step >= 1 && step <= 3) {
        (void)supply_.zeroSetpoint(kZeroedSetpoints[step - 1]);
    } else if (step == 4) {
        exitTimer_.stop();
        (void)supply_.zeroSetpoint(kZeroedSetpoints[3]);
        closeLinksAndEnd(true);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!ending_) {
        if (hooks_.releaseLocalRemote) {
            hooks_.releaseLocalRemote();
        }
        // A copy: a window's close may load another window into the list.
        const auto loaded = windows_;
        for (auto it = loaded.rbegin(); it != loaded.rend(); ++it) {
            if (*it) {
                (*it)->close();
            }
        }
        closeLinksAndEnd(false);
    }
    event->accept();
}

}  // namespace zov::app
