// RevScreen, "About the ZOV Interface": the program's name line and
// version. A double-click on the version line asks for the mode password,
// which enters the special function mode (the communication diagnostics).
#pragma once

#include <QDialog>
#include <QLabel>

namespace zov::app {
class MainWindow;
}

namespace zov::config {

// A label that reports a double-click; single clicks do nothing.
class DoubleClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(app::MainWindow& window);

    // The mode password; the window closes whatever the answer.
    void Label3_DblClick();

private:
    app::MainWindow& window_;
};

// The "About" item: the window, modeless.
void showAboutWindow(app::MainWindow& window);

// Opens the diagnostics window and makes "Extras Window" and "Toggle
// Passthrough" available for the rest of the run.
void enterSpecialFunctionMode(app::MainWindow& window);

}  // namespace zov::config
