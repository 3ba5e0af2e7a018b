// "SYSTEM INFORMATION": the unit's identity (hardware revision, model number,
// software revision and build, serial number), each read by its own button
// (Supply::readIdentity) into a read-only field beside it.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>

#include "core/supply.h"

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
    // One query; a silent unit marks `fields` "Unknown".
    core::Answer query(core::IdentityItem item, std::initializer_list<QLineEdit*> fields);
    // The query of one field; it shows what the unit gave.
    void queryInto(core::IdentityItem item, QLineEdit* field,
                   core::Reading<QString> core::Identity::*given);
    // Shows what the unit just gave, which clears the field's stale mark.
    void answer(QLineEdit* field, core::Reading<QString> core::Identity::*given);

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
