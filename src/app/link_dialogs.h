// The small modal dialogs of link selection: the TCP host, the USB port with
// its set-up notes, and the two baud-rate settings (host port and unit).
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

class QTextBrowser;

namespace zov::app {

// RemoteHost, "Remote Host". One instance lives for the whole run: it keeps
// what was typed, and Cancel puts back what it held when it was opened.
class RemoteHostDialog : public QDialog {
    Q_OBJECT
public:
    explicit RemoteHostDialog(QWidget* parent = nullptr);

    QLineEdit* txtHost() const { return host_; }
    QLineEdit* txtPortNumber() const { return port_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Remembers the texts the dialog opened with (for Cancel).
    void rememberTexts();

signals:
    // "OK" with the texts as typed; the port text is already known to be a port number.
    void confirmed(const QString& host, const QString& portText);
    void invalidPort();

private:
    void onOk();
    void onCancel();

    QLineEdit* host_;
    QLineEdit* port_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QString savedHostText_;
    QString savedPortText_;
};

// frm_USB, "USB Setup and Documentation".
class UsbWindow : public QDialog {
    Q_OBJECT
public:
    explicit UsbWindow(QWidget* parent = nullptr);

    QLineEdit* txt_USBPORT() const { return port_; }
    QPushButton* doneButton() const { return done_; }
    // The entered port text, set by "DONE"; empty when the window was closed otherwise.
    QString USBPORTNUM() const { return usbPortNum_; }

private:
    QLineEdit* port_;
    QPushButton* done_;
    QTextBrowser* notes_;
    QString usbPortNum_;
};

// A baud-rate dialog: a heading, the list Bitslist and one button. The two
// instances differ only in texts and in what their button does.
class BaudRateDialog : public QDialog {
    Q_OBJECT
public:
    struct Texts {
        const char* name;
        QString caption;
        QString heading;
        QStringList entries;
        const char* buttonName;
        QString buttonCaption;
    };
    BaudRateDialog(const Texts& texts, QWidget* parent = nullptr);

    QComboBox* Bitslist() const { return list_; }
    QPushButton* button() const { return button_; }

    // frm_gui_baudrate: the computer's port speed.
    static Texts guiTexts();
    // frm_baudRate: the unit's port speed.
    static Texts unitTexts();

private:
    QComboBox* list_;
    QPushButton* button_;
};

}  // namespace zov::app
