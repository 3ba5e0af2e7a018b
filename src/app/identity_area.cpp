#include "identity_area.h"

#include <QGridLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "app/widgets/accessibility.h"

namespace zov::app {

IdentityArea::IdentityArea(MainWindow& window)
    : QGroupBox(QStringLiteral("SYSTEM INFORMATION")),
      window_(window),
      hardwareRevision_(makeReplyField(QStringLiteral("txt_HWREV"), QStringLiteral("Rev. ??"),
                                       QStringLiteral("Hardware revision"))),
      model_(makeReplyField(QStringLiteral("txt_MODNUM"), QStringLiteral("Model ??"),
                            QStringLiteral("Model number"))),
      softwareRevision_(makeReplyField(QStringLiteral("txt_SWREV"), QStringLiteral("Rev. ??"),
                                       QStringLiteral("Software revision"))),
      softwareBuild_(makeReplyField(QStringLiteral("txt_SWBUILD"), QStringLiteral("Build ??"),
                                    QStringLiteral("Software build"))),
      serialNumber_(makeReplyField(QStringLiteral("txt_serialNum_rqst"), QString(),
                                   QStringLiteral("Serial number"))) {
    setObjectName(QStringLiteral("fra_SYSINFO"));
    new QGridLayout(this);
    addQuery("btn_MODNUM", QStringLiteral("Model Number"), model_, &IdentityArea::btn_MODNUM_Click);
    addQuery("btn_SWREV", QStringLiteral("Software Rev."), softwareRevision_,
             &IdentityArea::btn_SWREV_Click);
    addQuery("btn_HWREV", QStringLiteral("Hardware Rev."), hardwareRevision_,
             &IdentityArea::btn_HWREV_Click);
    addQuery("btn_SWBuild", QStringLiteral("Software Build"), softwareBuild_,
             &IdentityArea::btn_SWBuild_Click);
    // The serial number is for service users; its window reveals both.
    QPushButton* serial = addQuery("btn_serialNum_rqst", QStringLiteral("Serial Number"),
                                   serialNumber_, &IdentityArea::btn_serialNum_rqst_Click);
    window_.markStartsHidden(serial);
    window_.markStartsHidden(serialNumber_);
    const std::pair<QLineEdit*, QStringList> readBy[] = {
        {hardwareRevision_, {QStringLiteral("HWVR;")}},
        {model_, {QStringLiteral("MODR;")}},
        {softwareRevision_, {QStringLiteral("FREV;")}},
        {softwareBuild_, {QStringLiteral("FREV;"), QStringLiteral("SOFT;")}},
        {serialNumber_, {QStringLiteral("SNUR;")}},
    };
    for (const auto& [field, commands] : readBy) {
        window_.staleMarks().watch(field, StaleMarks::Refresh::OnRequest, commands);
    }
}

QPushButton* IdentityArea::addQuery(const char* buttonName, const QString& caption,
                                    QLineEdit* field, void (IdentityArea::*click)()) {
    auto* grid = static_cast<QGridLayout*>(layout());
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(buttonName));
    connect(button, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    const int row = grid->rowCount();
    grid->addWidget(button, row, 0);
    grid->addWidget(field, row, 1);
    return button;
}

core::Answer IdentityArea::query(core::IdentityItem item,
                                 std::initializer_list<QLineEdit*> fields) {
    const core::Answer reply = window_.supply().readIdentity(item).answer;
    if (reply == core::Answer::NoAnswer) {
        for (QLineEdit* field : fields) {
            showNoReply(field);
            window_.staleMarks().noReading(field);
        }
    }
    return reply;
}

void IdentityArea::queryInto(core::IdentityItem item, QLineEdit* field,
                             core::Reading<QString> core::Identity::*given) {
    if (query(item, {field}) == core::Answer::Done) {
        answer(field, given);
    }
}

void IdentityArea::answer(QLineEdit* field, core::Reading<QString> core::Identity::*given) {
    showAnswer(field, *(window_.supply().readings().identity.*given).value);
    window_.staleMarks().fresh(field);
}

void IdentityArea::btn_HWREV_Click() {
    queryInto(core::IdentityItem::HardwareRevision, hardwareRevision_,
              &core::Identity::hardwareRevision);
}

void IdentityArea::btn_MODNUM_Click() {
    queryInto(core::IdentityItem::Model, model_, &core::Identity::model);
}

void IdentityArea::btn_SWREV_Click() {
    const core::Answer reply =
        query(core::IdentityItem::SoftwareRevision, {softwareRevision_, softwareBuild_});
    // The revision stands even when the build after it cannot be cut.
    if (reply != core::Answer::NoAnswer) {
        answer(softwareRevision_, &core::Identity::softwareRevision);
    }
    if (reply == core::Answer::Done) {
        answer(softwareBuild_, &core::Identity::softwareBuild);
    }
}

void IdentityArea::btn_SWBuild_Click() {
    queryInto(core::IdentityItem::SoftwareBuild, softwareBuild_, &core::Identity::softwareBuild);
}

void IdentityArea::btn_serialNum_rqst_Click() {
    queryInto(core::IdentityItem::SerialNumber, serialNumber_, &core::Identity::serialNumber);
}

void IdentityArea::readAll() {
    btn_HWREV_Click();
    btn_MODNUM_Click();
    btn_SWREV_Click();
    btn_SWBuild_Click();
    btn_serialNum_rqst_Click();
}

IdentityArea& installIdentityArea(MainWindow& window) {
    auto* area = new IdentityArea(window);
    window.placeArea(MainArea::SystemInformation, area);
    applyProtocolNames(area);
    return *area;
}

}  // namespace zov::app
