// "SYSTEM INFORMATION": the unit's identity (hardware revision, model number,
// software revision and build, serial number), each read by its own button
// into a read-only field beside it.
#pragma once

#include <QByteArray>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string_view>

namespace zov::app {

class MainWindow;

class IdentityArea : public QGroupBox {
    Q_OBJECT
public:
    explicit IdentityArea(MainWindow& window);

    void btn_HWREV_Click();
    void btn_MODNUM_Click();
    void btn_SWREV_Click();
    void btn_SWBuild_Click();
    void btn_serialNum_rqst_Click();

    // The five queries one after the other, hardware revision first and
    // serial number last, as when automatic update starts.
    void readAll();

    QLineEdit* txt_HWREV() const { return hardwareRevision_; }
    QLineEdit* txt_MODNUM() const { return model_; }
    QLineEdit* txt_SWREV() const { return softwareRevision_; }
    QLineEdit* txt_SWBUILD() const { return softwareBuild_; }
    QLineEdit* txt_serialNum_rqst() const { return serialNumber_; }

private:
    // Shows what a reply holds; false when the value cannot be cut from it.
    using ReplyHandler = std::function<bool(std::string_view reply)>;

    // One exchange: a silent unit marks `fields` "Unknown" and is counted; a
    // reply goes to `show`, and a usable one sets CommStatusFlag.
    void query(const QByteArray& command, std::initializer_list<QLineEdit*> fields,
               const ReplyHandler& show);
    // Shows what the unit just gave, which clears the field's stale mark.
    void answer(QLineEdit* field, const QString& text);
    ReplyHandler upToSemicolonInto(QLineEdit* field);
    bool showRevisionAndBuild(std::string_view reply);

    QPushButton* addQuery(const char* buttonName, const QString& caption, QLineEdit* field,
                          void (IdentityArea::*click)());

    MainWindow& window_;
    QLineEdit* hardwareRevision_;
    QLineEdit* model_;
    QLineEdit* softwareRevision_;
    QLineEdit* softwareBuild_;
    QLineEdit* serialNumber_;
};

// Builds the area, places it in the main window and returns it.
IdentityArea& installIdentityArea(MainWindow& window);

}  // namespace zov::app
