// Pieces the service windows are built from.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>

namespace zov::app {
class MainWindow;
}

namespace zov::config {

// A button named `name`. Enter in a field never presses it on its own: each
// button here sends something to the unit or closes the window.
QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent);

// A service window: a top-level dialog of the main window with its protocol
// name and caption, unloaded when it closes, opening at about `size` (or
// larger, when its controls need more).
void setUpServiceWindow(QDialog& dialog, const char* name, const QString& caption, QSize size = {});

// Shows `dialog` modally over the main window (through its modal runner, so
// tests can script it) and unloads it once it is done.
void runModal(app::MainWindow& window, QDialog* dialog);

}  // namespace zov::config
