// frm_SDIMAIN, "ZOV Interface": the application shell. It owns the shared
// variables, the command exchange, the menus and the status bar, hands out the
// secondary windows and runs the three ways the program ends. The framed
// areas are widgets of their own subsystems placed into its grid.
#pragma once

#include <QAction>
#include <QGridLayout>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/answer_watch.h"
#include "app/modal_runner.h"
#include "app/stale_marks.h"
#include "app/widgets/prompter.h"
#include "app/widgets/status_bar.h"
#include "core/command_exchange.h"
#include "core/main_state.h"
#include "core/session_events.h"
#include "core/supply.h"

namespace zov::app {

class ExtrasWindow;
class LinkSelection;

// Where an area sits in the main window.
enum class MainArea {
    SystemInformation,
    SystemStatus,
    XrayEnable,
    ResetFault,
    Arc,
    SetDacChannels,
    DacSettings,
    Readbacks,
    AuxiliaryVoltage,
    UpdateData,
    LocalRemote,
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window and asks the user to choose a port (the end of start-up).
    void start();

    core::MainState& state() { return state_; }
    core::CommandExchange& exchange() { return exchange_; }
    // The supply's operations and what the unit last reported.
    core::Supply& supply() { return supply_; }
    Prompter& prompter() { return prompter_; }
    StatusBar& statusBar1() { return *statusBar_; }
    ModalRunner& modalRunner() { return modalRunner_; }
    LinkSelection& linkSelection() { return *linkSelection_; }
    core::SessionEvents& sessionEvents() { return sessionEvents_; }
    // The age of every field and lamp filled from the unit.
    StaleMarks& staleMarks() { return staleMarks_; }

    // --- layout and menus for the subsystems ---
    void placeArea(MainArea area, QWidget* widget);
    QMenu& controlsMenu() { return *controlsMenu_; }
    QMenu& viewMenu() { return *viewMenu_; }
    QAction* menuItem(const QString& name) const;
    // A control that the unit's standard set-up keeps hidden; shown (and a
    // menu item enabled) when the console runs with --show-hidden.
    void markStartsHidden(QWidget* widget);
    void markStartsHidden(QAction* action);
    // A menu item that only the special function mode makes available:
    // --show-hidden shows it, but it stays disabled until the mode password.
    void markModeItem(QAction* action);
    void setShowHidden(bool show);

    void disableCommandButtons();
    void enableCommandButtons();

    // --- secondary windows: one instance each, created on first use ---
    // Returns the loaded window called `name`, creating it hidden with
    // `create` when none is loaded.
    QWidget* secondaryWindow(const QString& name, const std::function<QWidget*()>& create);
    QWidget* loadedWindow(const QString& name) const;
    ExtrasWindow& extrasWindow();
    void showExtrasWindow();

    // --- hooks filled in by the subsystems ---
    struct Hooks {
        std::function<void()> requestStatus;       // after choosing COMM2, USB or Ethernet
        std::function<void()> startAutoUpdate;     // after choosing COMM1, COMM2, USB or Ethernet
        std::function<void()> goLocalForShutdown;  // first step of "Shutdown and Exit"
        std::function<void()> releaseLocalRemote;  // closing the window: switch off, nothing sent
    };
    Hooks& hooks() { return hooks_; }

    // How the program ends; tests replace it to observe the end instead.
    void setProgramEnd(std::function<void()> end) { endProgram_ = std::move(end); }

    // --- menu actions ---
    void mnu_EXIT_Click();
    void mnu_SHUTDOWN_Click();
    void mnu_PASSTHRU_Click();
    void tmr_EXIT_Timer();
    QTimer& tmr_EXIT() { return exitTimer_; }

signals:
    // KvScaleFactor or mAScaleFactor took a new value from the unit.
    void scaleFactorsChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void wireExchange();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    void closeLinksAndEnd(bool closeTcpWhateverTheLink);
    void setCommandButtonsEnabled(bool enabled);
    void hideRawDataWindow();

    core::MainState state_;
    Prompter& prompter_;
    // Before the exchange: closing the links on the way out still announces
    // the link lost, so the announcements must outlive the exchange.
    core::SessionEvents sessionEvents_;
    StaleMarks staleMarks_;
    core::CommandExchange exchange_;
    core::Supply supply_;
    AnswerWatch answerWatch_;
    ModalRunner modalRunner_;
    StatusBar* statusBar_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QMenu* controlsMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    LinkSelection* linkSelection_ = nullptr;
    QTimer exitTimer_;
    Hooks hooks_;
    std::function<void()> endProgram_;
    std::vector<QPointer<QWidget>> windows_;
    std::vector<QPointer<QWidget>> hiddenWidgets_;
    std::vector<QPointer<QAction>> hiddenActions_;
    std::vector<QPointer<QAction>> modeItems_;
    bool ending_ = false;
};

}  // namespace zov::app
