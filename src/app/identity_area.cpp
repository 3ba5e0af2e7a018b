#include "identity_area.h"

#include <QGridLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "app/widgets/accessibility.h"
#include "protocol/reply.h"

namespace zov::app {
namespace {

// Replies are cut by character position; position 1 holds the STX.
constexpr int kValueStart = 2;
constexpr int kHardwareRevisionLength = 3;
constexpr int kSoftwareRevisionLength = 11;
constexpr int kBuildStart = 17;

// Handler for the replies that carry their value up to the ";".

}  // namespace

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

void IdentityArea::query(const QByteArray& command, std::initializer_list<QLineEdit*> fields,
                         const ReplyHandler& show) {
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(command);
    const QByteArray reply = exchange.inputInputString();
    if (reply.isEmpty()) {
        for (QLineEdit* field : fields) {
            showNoReply(field);
            window_.staleMarks().noReading(field);
        }
        exchange.countCommError();
    } else if (show(core::textOf(reply))) {
        window_.state().CommStatusFlag = true;
    }
    exchange.resumeBackgroundTimers();
}

void IdentityArea::answer(QLineEdit* field, const QString& text) {
    showAnswer(field, text);
    window_.staleMarks().fresh(field);
}

IdentityArea::ReplyHandler IdentityArea::upToSemicolonInto(QLineEdit* field) {
    return [this, field](std::string_view reply) {
        const auto value = protocol::cutUntil(reply, kValueStart, ';');
        if (value) {
            answer(field, fromReply(*value));
        }
        return value.has_value();
    };
}

void IdentityArea::btn_HWREV_Click() {
    query(QByteArrayLiteral("HWVR;"), {hardwareRevision_}, [this](std::string_view reply) {
        // A short reply shows whatever follows the STX.
        answer(hardwareRevision_,
               fromReply(protocol::cutFixed(reply, kValueStart, kHardwareRevisionLength)));
        return true;
    });
}

void IdentityArea::btn_MODNUM_Click() {
    query(QByteArrayLiteral("MODR;"), {model_}, upToSemicolonInto(model_));
}

void IdentityArea::btn_SWREV_Click() {
    query(QByteArrayLiteral("FREV;"), {softwareRevision_, softwareBuild_},
          [this](std::string_view reply) { return showRevisionAndBuild(reply); });
}

void IdentityArea::btn_SWBuild_Click() {
    query(QByteArrayLiteral("SOFT;"), {softwareBuild_}, upToSemicolonInto(softwareBuild_));
}

void IdentityArea::btn_serialNum_rqst_Click() {
    query(QByteArrayLiteral("SNUR;"), {serialNumber_}, upToSemicolonInto(serialNumber_));
}

void IdentityArea::readAll() {
    btn_HWREV_Click();
    btn_MODNUM_Click();
    btn_SWREV_Click();
    btn_SWBuild_Click();
    btn_serialNum_rqst_Click();
}

bool IdentityArea::showRevisionAndBuild(std::string_view reply) {
    // The revision stands even when the build after it cannot be cut.
    answer(softwareRevision_,
           fromReply(protocol::cutFixed(reply, kValueStart, kSoftwareRevisionLength)));
    const auto build = protocol::cutUntil(reply, kBuildStart, ',');
    if (build) {
        answer(softwareBuild_, fromReply(*build));
    }
    return build.has_value();
}

IdentityArea& installIdentityArea(MainWindow& window) {
    auto* area = new IdentityArea(window);
    window.placeArea(MainArea::SystemInformation, area);
    applyProtocolNames(area);
    return *area;
}

}  // namespace zov::app
