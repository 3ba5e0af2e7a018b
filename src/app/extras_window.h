// frm_EXTRAS, "EXTRAS!": the communication diagnostics a service user opens
// after the mode password: unanswered exchanges, the unit's last error code,
// and what was left in the serial input after the last reply. A modeless
// dialog, so assistive tools list it among the program's windows.
#pragma once

#include <QDialog>
#include <QLineEdit>

namespace zov::app {

class ExtrasWindow : public QDialog {
    Q_OBJECT
public:
    explicit ExtrasWindow(QWidget* parent = nullptr);

    void setSerialRemainder(const QByteArray& text);
    void setLastError(const QString& code);
    void setCommErrors(qint64 count);

    QLineEdit* txt_MSCOMMBUFF() const { return buffer_; }
    QLineEdit* txt_LASTERROR() const { return lastError_; }
    QLineEdit* txt_COMMERRORS() const { return commErrors_; }

private:
    QLineEdit* buffer_;
    QLineEdit* lastError_;
    QLineEdit* commErrors_;
};

}  // namespace zov::app
