// Form1, "Serial Number": reads the unit's serial number and, after the
// serial-number access code, writes a new one.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace zov::app {
class IdentityArea;
class MainWindow;
}  // namespace zov::app

namespace zov::config {

class SerialNumberWindow : public QDialog {
    Q_OBJECT
public:
    explicit SerialNumberWindow(app::MainWindow& window);

    // "Unlock": the right code enables "Enter Serial Number", any other entry
    // closes the window.
    void Command1_Click();
    // "Enter Serial Number": "SNUS " and the entry.
    void Btn_serialNum_Click();
    // "Read Serial Number": "SNUR;".
    void Btn_read_serialNum_Click();

    [[nodiscard]] QLineEdit* Txt_serialNum() const { return serialNumber_; }
    [[nodiscard]] QPushButton* Btn_serialNum() const { return write_; }

private:
    app::MainWindow& window_;
    QLineEdit* serialNumber_;
    QPushButton* write_;
};

// The "Serial Number" menu item: behind its own access code, the window;
// once it has been open, the main window's serial-number button and field
// stay visible.
void openSerialNumberWindow(app::MainWindow& window, app::IdentityArea& identity);

}  // namespace zov::config
