#include "link_dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/widgets/accessibility.h"

namespace zov::app {
namespace {

QLineEdit* namedEdit(const char* name, const QString& accessibleName, const QString& text = {}) {
    auto* edit = new QLineEdit(text);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(accessibleName);
    return edit;
}

QPushButton* namedButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// Our own notes for connecting a unit through its USB port.
const char* const kUsbNotes = R"html(<h3>USB Interface Setup</h3>
<p>The unit's USB port appears on the computer as a serial port. Choose that port here.</p>
<p><b>Linux</b></p>
<ol>
<li>Power the unit and connect it to the computer with a USB-A to USB-B cable.</li>
<li>Run <code>dmesg | tail</code> or <code>ls /dev/ttyUSB* /dev/ttyACM*</code>: the unit shows up as
<code>/dev/ttyUSB<i>n</i></code> or <code>/dev/ttyACM<i>n</i></code>.</li>
<li>Your user must be allowed to open serial ports: add it to the <code>dialout</code> group
(<code>sudo usermod -aG dialout $USER</code>) and log in again.</li>
<li>Type the device path (for example <code>/dev/ttyUSB0</code>) into the box below and press DONE.</li>
</ol>
<p><b>Windows</b></p>
<ol>
<li>Power the unit and connect it to the computer with a USB-A to USB-B cable.</li>
<li>When Windows asks for a driver, point it at the unit's USB serial driver files.</li>
<li>Open the Device Manager and look under "Ports (COM &amp; LPT)" for the unit's USB serial port.</li>
<li>Note its COM number and type that number into the box below, then press DONE. Windows may give
the unit another COM number each time it is connected, so check it again after reconnecting.</li>
</ol>)html";

}  // namespace

RemoteHostDialog::RemoteHostDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RemoteHost"));
    setWindowTitle(QStringLiteral("Remote Host"));
    host_ = namedEdit("txtHost", QStringLiteral("Host IP Addr or Name"));
    port_ = namedEdit("txtPortNumber", QStringLiteral("Port Number"));
    ok_ = namedButton("OK", QStringLiteral("OK"));
    cancel_ = namedButton("Cancel", QStringLiteral("Cancel"));
    ok_->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Host IP Addr or Name"), host_);
    form->addRow(QStringLiteral("Port Number"), port_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &RemoteHostDialog::onOk);
    connect(cancel_, &QPushButton::clicked, this, &RemoteHostDialog::onCancel);
    applyProtocolNames(this);
}

void RemoteHostDialog::rememberTexts() {
    savedPortText_ = port_->text();
    savedHostText_ = host_->text();
}

void RemoteHostDialog::onOk() {
    bool ok = false;
    const uint port = port_->text().trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        emit invalidPort();
        return;
    }
    hide();
    rememberTexts();
    emit confirmed(host_->text(), port_->text());
    accept();
}

void RemoteHostDialog::onCancel() {
    hide();
    port_->setText(savedPortText_);
    host_->setText(savedHostText_);
    reject();
}

UsbWindow::UsbWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_USB"));
    setWindowTitle(QStringLiteral("USB Setup and Documentation"));
    port_ = namedEdit("txt_USBPORT", QStringLiteral("USB Comm Port"), QStringLiteral("3"));
    done_ = namedButton("btn_DONE", QStringLiteral("DONE"));
    notes_ = new QTextBrowser;
    notes_->setObjectName(QStringLiteral("rtf_USBDOCS"));
    notes_->setAccessibleName(QStringLiteral("USB set-up notes"));
    notes_->setHtml(QLatin1String(kUsbNotes));
    notes_->setReadOnly(true);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("USB Comm Port")));
    row->addWidget(port_);
    row->addWidget(done_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(notes_);
    resize(560, 480);

    connect(done_, &QPushButton::clicked, this, [this] {
        usbPortNum_ = port_->text();
        accept();
    });
    applyProtocolNames(this);
}

BaudRateDialog::BaudRateDialog(const Texts& texts, QWidget* parent) : QDialog(parent) {
    setObjectName(QLatin1String(texts.name));
    setWindowTitle(texts.caption);
    auto* heading = new QLabel(texts.heading);
    list_ = new QComboBox;
    list_->setObjectName(QStringLiteral("Bitslist"));
    list_->setAccessibleName(texts.heading);
    list_->addItems(texts.entries);
    list_->setCurrentIndex(0);
    button_ = namedButton(texts.buttonName, texts.buttonCaption);
    button_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(list_);
    layout->addWidget(button_);
    applyProtocolNames(this);
}

BaudRateDialog::Texts BaudRateDialog::guiTexts() {
    return {"frm_gui_baudrate",
            QStringLiteral("GUI Baud Rate"),
            QStringLiteral("GUI Baud-Rate Setting"),
            {QStringLiteral("115200"), QStringLiteral("9600")},
            "ok",
            QStringLiteral("OK")};
}

BaudRateDialog::Texts BaudRateDialog::unitTexts() {
    return {"frm_baudRate",
            QStringLiteral("RS-232 Baud Rate Setting"),
            QStringLiteral("Unit Baud-Rate Setting"),
            {QStringLiteral("115,200"), QStringLiteral("9600")},
            "save",
            QStringLiteral("Save")};
}

}  // namespace zov::app
