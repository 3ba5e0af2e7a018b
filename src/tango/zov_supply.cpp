#include "zov_supply.h"

#include <chrono>
#include <map>

#include "core/legible_bytes.h"
#include "core/link_opening.h"
#include "core/scaling.h"
#include "tango/event_publisher.h"

namespace zov::tango {
namespace {

using namespace std::chrono_literals;

// How long a write or command may wait in the worker's queue: an update step
// in progress normally ends within milliseconds; one held by a silent unit
// would keep the client past its own time-out.
constexpr std::chrono::milliseconds kQueueDeadline = 1000ms;
// How often a link that is down is tried again.
constexpr int kReopenEverySeconds = 3;

// What came of an operation the worker ran, as the client is told.
struct Reported {
    core::Answer answer = core::Answer::NoAnswer;
    QByteArray command;
    QByteArray reply;
    QString notSent;  // why nothing was sent, when the server kept it back
};

template <typename T>
Reported reportOf(const core::Outcome<T>& outcome, core::Supply& supply) {
    return {outcome.answer, supply.exchange().lastCommand(), outcome.reply, {}};
}

Reported notSent(const QString& why) {
    Reported reported;
    reported.notSent = why;
    return reported;
}

[[noreturn]] void fail(const char* reason, const QString& description, const char* origin) {
    Tango::Except::throw_exception(reason, description.toStdString(), origin);
}

QString quoted(const QByteArray& bytes) {
    return QLatin1Char('"') + core::legibleBytes(bytes) + QLatin1Char('"');
}

void requireDone(const char* operation, const core::CallResult<Reported>& result) {
    const QString what = QString::fromLatin1(operation);
    switch (result.fate) {
        case core::CallFate::Expired:
            fail("ZOV_Busy",
                 what + QStringLiteral(": nothing was sent, the link stayed busy for 1 s (the "
                                       "unit may not be answering)"),
                 operation);
        case core::CallFate::NotTaken:
            fail("ZOV_Stopping",
                 what + QStringLiteral(": nothing was sent, the device is stopping"), operation);
        case core::CallFate::Ran:
            break;
    }
    const Reported& reported = *result.value;
    if (!reported.notSent.isEmpty()) {
        fail("ZOV_NotSent", what + QStringLiteral(": ") + reported.notSent, operation);
    }
    switch (reported.answer) {
        case core::Answer::Done:
            return;
        case core::Answer::Refused:
            fail("ZOV_Refused",
                 what + QStringLiteral(": the unit refused %1 (it answered %2)")
                            .arg(quoted(reported.command), quoted(reported.reply)),
                 operation);
        case core::Answer::NoAnswer:
            fail(
                "ZOV_NoAnswer",
                what + QStringLiteral(": the unit did not answer %1").arg(quoted(reported.command)),
                operation);
        case core::Answer::Unreadable:
            fail("ZOV_Unreadable",
                 what + QStringLiteral(": the answer to %1 was not its answer: %2")
                            .arg(quoted(reported.command), quoted(reported.reply)),
                 operation);
    }
}

// The unit's own scale for a channel that takes it, read first when this
// link has not given it yet; the fixed scale of the others.
std::optional<double> channelScale(core::Supply& supply, core::Channel channel) {
    const core::SetpointChannel& row = core::setpointChannel(channel);
    if (row.scaleFactor == nullptr) {
        return row.fixedScale;
    }
    if (!core::unitScale(supply.state(), row.scaleFactor)) {
        supply.readScaling();
    }
    return core::unitScale(supply.state(), row.scaleFactor);
}

}  // namespace

Tango::DevState tangoState(Condition condition) {
    switch (condition) {
        case Condition::On:
            return Tango::ON;
        case Condition::Off:
            return Tango::OFF;
        case Condition::Alarm:
            return Tango::ALARM;
        case Condition::Fault:
            return Tango::FAULT;
        case Condition::Unknown:
            return Tango::UNKNOWN;
        case Condition::Moving:
            return Tango::MOVING;
    }
    return Tango::UNKNOWN;
}

namespace {

timeval timeOf(const QDateTime& at) {
    const qint64 ms = at.isValid() ? at.toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
    timeval when{};
    when.tv_sec = static_cast<decltype(when.tv_sec)>(ms / 1000);
    when.tv_usec = static_cast<decltype(when.tv_usec)>((ms % 1000) * 1000);
    return when;
}

}  // namespace

ZovSupply::ZovSupply(Tango::DeviceClass* deviceClass, const char* name)
    : TANGO_BASE_CLASS(deviceClass, name) {
    init_device();
}

ZovSupply::~ZovSupply() {
    delete_device();
}

void ZovSupply::init_device() {
    buffers_.assign(attributeRows().size(), {});
    for (const char* name : {"State", "Status"}) {
        set_change_event(name, true, false);
        set_archive_event(name, true, false);
    }
    readProperties();
    // Init starts over: nothing of the link before it counts.
    {
        std::lock_guard lock(linkMutex_);
        linkUp_ = false;
        linkProblem_.clear();
    }
    opening_ = false;
    secondsDown_ = 0;
    voltageLimit_.reset();
    currentLimit_.reset();
    worker_ = std::make_unique<core::SupplyWorker>();
    // Direct: the worker's thread tells it, and this device has no event loop.
    QObject::connect(worker_.get(), &core::SupplyWorker::linkLost, [this](const QString& why) {
        std::lock_guard lock(linkMutex_);
        linkUp_ = false;
        linkProblem_ = why;
    });
    if (settingsProblem_.isEmpty()) {
        openLink();
        (void)worker_->setPolling(settings_.updatePeriodMs, core::SupplyWorker::kNoDeadline);
    }
    publisher_ = std::make_unique<EventPublisher>(*this);
}

void ZovSupply::readProperties() {
    Tango::DbData data;
    for (const char* name :
         {"Port", "Baud", "UpdatePeriodMs", "ReplyTimeLimitMs", "XrayOnAllowed"}) {
        data.push_back(Tango::DbDatum(name));
    }
    std::map<std::string, std::string> properties;
    if (Tango::Util::_UseDb) {
        get_db_device()->get_property(data);
        for (Tango::DbDatum& datum : data) {
            if (!datum.is_empty()) {
                std::string value;
                datum >> value;
                properties[datum.name] = value;
            }
        }
    }
    auto settings = settingsFrom(properties);
    if (const auto* problem = std::get_if<QString>(&settings)) {
        settingsProblem_ = *problem;
        settings_ = {};  // nothing allowed of settings that did not load
        return;
    }
    settings_ = std::get<DeviceSettings>(settings);
    settingsProblem_.clear();
}

void ZovSupply::openLink() {
    if (opening_.exchange(true)) {
        return;
    }
    const DeviceSettings settings = settings_;
    (void)worker_->call(
        [this, settings](core::Supply& supply) {
            core::CommandExchange& exchange = supply.exchange();
            exchange.setReplyTimeLimitMs(settings.replyTimeLimitMs);
            const auto problem =
                settings.tcp()
                    ? core::openTcpLink(exchange, supply.state(), settings.host, settings.tcpPort)
                    : core::openSerialLink(exchange, supply.state(), settings.serialDevice,
                                           settings.baud);
            {
                std::lock_guard lock(linkMutex_);
                linkUp_ = !problem;
                linkProblem_ = problem ? *problem : QString();
            }
            opening_ = false;
            if (problem) {
                return;
            }
            // What the update cycle does not read: the identity, the
            // filament setpoints and the combined status.
            supply.readScaling();
            for (const auto item :
                 {core::IdentityItem::Model, core::IdentityItem::SerialNumber,
                  core::IdentityItem::HardwareRevision, core::IdentityItem::SoftwareRevision,
                  core::IdentityItem::SoftwareBuild}) {
                supply.readIdentity(item);
            }
            supply.readSetpoint(core::Channel::C);
            supply.readSetpoint(core::Channel::D);
            supply.readCombinedStatus();
        },
        core::SupplyWorker::kNoDeadline);
}

void ZovSupply::everySecond() {
    if (!settingsProblem_.isEmpty()) {
        return;
    }
    bool up = false;
    {
        std::lock_guard lock(linkMutex_);
        up = linkUp_;
    }
    if (!up) {
        // At once when the link went, then every few seconds.
        if (!opening_ && secondsDown_++ % kReopenEverySeconds == 0) {
            openLink();
        }
        return;
    }
    secondsDown_ = 0;
    // The supply-fault and remote flags come only with the combined status.
    (void)worker_->call([](core::Supply& supply) { supply.readCombinedStatus(); }, 500ms);
}

DeviceSituation ZovSupply::situation() const {
    DeviceSituation situation;
    {
        std::lock_guard lock(linkMutex_);
        situation.linkUp = linkUp_;
        situation.linkProblem =
            linkProblem_.isEmpty() ? QStringLiteral("opening it") : linkProblem_;
    }
    situation.seasoning = seasoning_;
    {
        std::lock_guard lock(refusalMutex_);
        situation.seasoningRefusal = seasoningRefusal_;
    }
    situation.settingsProblem = settingsProblem_;
    return situation;
}

void ZovSupply::limitWrites(const core::SupplyReadings& readings) {
    const auto limit = [this](const char* name, const core::Reading<double>& fullScale,
                              std::optional<double>& applied) {
        // Without a database Tango cannot keep them (its own code fails).
        if (!Tango::Util::_UseDb || !fullScale.live() || applied == fullScale.value) {
            return;
        }
        applied = fullScale.value;
        Tango::WAttribute& attribute = get_device_attr()->get_w_attr_by_name(name);
        attribute.set_min_value(0.0);
        attribute.set_max_value(*fullScale.value);
    };
    limit("Voltage", readings.voltageFullScaleKv, voltageLimit_);
    limit("Current", readings.currentFullScaleMa, currentLimit_);
}

void ZovSupply::stopPublisher() {
    if (!publisher_) {
        return;
    }
    // The publisher takes this device's monitor to push; the thread that
    // deletes the device may hold it, so it is handed over while the
    // publisher finishes, and taken back as it was.
    Tango::TangoMonitor& monitor = get_dev_monitor();
    omni_thread* self = omni_thread::self();
    long held = 0;
    while (self != nullptr && monitor.get_locking_thread_id() == self->id() &&
           monitor.get_locking_ctr() > 0) {
        monitor.rel_monitor();
        ++held;
    }
    publisher_->stop();
    for (; held > 0; --held) {
        monitor.get_monitor();
    }
    publisher_.reset();
}

void ZovSupply::delete_device() {
    if (!worker_) {
        return;
    }
    if (seasoning_) {
        // The run lives in this server: it ends here, with the output off.
        worker_->callAndWait(
            [this](core::Supply& supply) {
                if (run_ != nullptr) {
                    run_->stop();
                }
                supply.setXray(false);
            },
            kQueueDeadline);
    }
    worker_->stop();
    stopPublisher();
    worker_.reset();
    run_ = nullptr;
    seasoning_ = false;
}

Tango::DevState ZovSupply::dev_state() {
    const Condition condition = conditionOf(worker_->latest(), situation());
    set_state(tangoState(condition));
    // Tango's own alarm checks (a value outside its alarm limits, a read
    // that differs from its setpoint) may turn a healthy state to ALARM.
    if (condition == Condition::On || condition == Condition::Off ||
        condition == Condition::Moving) {
        return TANGO_BASE_CLASS::dev_state();
    }
    return get_state();
}

Tango::ConstDevString ZovSupply::dev_status() {
    status_ = statusOf(worker_->latest(), situation());
    set_status(status_);
    return status_.c_str();
}

void ZovSupply::read_attr_hardware(std::vector<long>&) {
    snapshot_ = worker_->latest();
}

Shown ZovSupply::shownFor(std::size_t row, const core::SupplyReadings& readings,
                          Condition condition) {
    Shown shown = attributeRows()[row].read(readings);
    // No answer, or no link: nothing the device holds is confirmed.
    if (condition == Condition::Unknown) {
        shown.valid = false;
    }
    return shown;
}

void ZovSupply::readAttribute(std::size_t row, Tango::Attribute& attribute) {
    const AttributeRow& entry = attributeRows()[row];
    if (entry.writes) {
        if (const auto setpoint = setpointValue(snapshot_, *entry.writes)) {
            static_cast<Tango::WAttribute&>(attribute).set_write_value(*setpoint);
        }
    }
    show(row, shownFor(row, snapshot_, conditionOf(snapshot_, situation())), attribute);
}

void ZovSupply::show(std::size_t row, const Shown& shown, Tango::Attribute& attribute) {
    timeval when = timeOf(shown.at);
    if (!shown.valid) {
        attribute.set_quality(Tango::ATTR_INVALID);
        attribute.set_date(when);
        return;
    }
    ReadBuffer& buffer = buffers_[row];
    switch (attributeRows()[row].kind) {
        case Kind::Double:
            buffer.number = std::get<double>(shown.value);
            attribute.set_value_date_quality(&buffer.number, when, Tango::ATTR_VALID);
            break;
        case Kind::Bool:
            buffer.truth = std::get<bool>(shown.value);
            attribute.set_value_date_quality(&buffer.truth, when, Tango::ATTR_VALID);
            break;
        case Kind::Long:
            buffer.whole = std::get<std::int32_t>(shown.value);
            attribute.set_value_date_quality(&buffer.whole, when, Tango::ATTR_VALID);
            break;
        case Kind::String:
            buffer.text = std::get<std::string>(shown.value);
            buffer.textPointer = buffer.text.data();
            attribute.set_value_date_quality(&buffer.textPointer, when, Tango::ATTR_VALID);
            break;
        case Kind::Strings:
            buffer.list = std::get<std::vector<std::string>>(shown.value);
            buffer.listPointers.clear();
            for (std::string& name : buffer.list) {
                buffer.listPointers.push_back(name.data());
            }
            attribute.set_value_date_quality(buffer.listPointers.data(), when, Tango::ATTR_VALID,
                                             static_cast<long>(buffer.listPointers.size()));
            break;
    }
}

void ZovSupply::writeSetpoint(core::Channel channel, const char* attribute, double value) {
    const auto result = worker_->callAndWait(
        [channel, value](core::Supply& supply) {
            const auto scale = channelScale(supply, channel);
            const char* unit = core::setpointChannel(channel).suffix;
            if (!scale) {
                return notSent(QStringLiteral("the unit gave no full scale, so %1%2 cannot be "
                                              "converted; nothing was sent")
                                   .arg(value)
                                   .arg(QLatin1String(unit)));
            }
            const auto count = core::countWithinFullScale(value, *scale);
            if (!count) {
                return notSent(QStringLiteral("%1%3 is outside 0 to the full scale of %2%3; "
                                              "nothing was sent")
                                   .arg(value)
                                   .arg(*scale * core::kFullScaleCounts)
                                   .arg(QLatin1String(unit)));
            }
            return reportOf(supply.program(channel, *count), supply);
        },
        kQueueDeadline);
    requireDone(attribute, result);
}

void ZovSupply::switchOn() {
    if (!settings_.xrayOnAllowed) {
        fail("ZOV_XrayOnNotAllowed",
             QStringLiteral("On: switching X-ray on is not allowed on this device; set its "
                            "XrayOnAllowed property to true to allow it. Nothing was sent"),
             "On");
    }
    const auto latest = worker_->latest();
    if (latest.xrayOn.live() && *latest.xrayOn.value) {
        return;
    }
    requireDone("On",
                worker_->callAndWait(
                    [](core::Supply& supply) { return reportOf(supply.setXray(true), supply); },
                    kQueueDeadline));
}

void ZovSupply::switchOff() {
    requireDone("Off",
                worker_->callAndWait(
                    [](core::Supply& supply) { return reportOf(supply.setXray(false), supply); },
                    kQueueDeadline));
}

void ZovSupply::resetFaults() {
    requireDone("Reset",
                worker_->callAndWait(
                    [](core::Supply& supply) { return reportOf(supply.resetFaults(), supply); },
                    kQueueDeadline));
}

void ZovSupply::setRemote(bool remote) {
    requireDone(
        remote ? "Remote" : "Local",
        worker_->callAndWait(
            [remote](core::Supply& supply) { return reportOf(supply.setRemote(remote), supply); },
            kQueueDeadline));
}

void ZovSupply::clearArcCount() {
    const auto result = worker_->callAndWait(
        [](core::Supply& supply) {
            supply.clearArcCount();
            Reported done;
            done.answer = core::Answer::Done;
            return done;
        },
        kQueueDeadline);
    requireDone("ClearArcCount", result);
}

void ZovSupply::startSeasoning(const std::string& profileCsv) {
    if (!settings_.xrayOnAllowed) {
        fail("ZOV_XrayOnNotAllowed",
             QStringLiteral("StartSeasoning: a seasoning run switches X-ray on, which is not "
                            "allowed on this device; set its XrayOnAllowed property to true to "
                            "allow it. Nothing was sent"),
             "StartSeasoning");
    }
    const QByteArray bytes = QByteArray::fromStdString(profileCsv);
    if (bytes.size() > core::kProfileFileByteLimit) {
        fail("ZOV_NotSent",
             QStringLiteral("StartSeasoning: that is no profile, it is longer than %1 bytes; "
                            "nothing was sent")
                 .arg(core::kProfileFileByteLimit),
             "StartSeasoning");
    }
    // The counts are checked at the start, against the unit's own scales.
    const auto loaded = core::profileFromCsv(bytes, 0.0, 0.0);
    if (const auto* problem = std::get_if<core::FileProblem>(&loaded)) {
        fail("ZOV_NotSent",
             QStringLiteral("StartSeasoning: profile line %1: %2; nothing was sent")
                 .arg(problem->line)
                 .arg(problem->reason),
             "StartSeasoning");
    }
    const core::Profile profile = std::get<core::Profile>(loaded);
    const auto result = worker_->callAndWait(
        [this, profile](core::Supply& supply) {
            if (!supply.state().KvScaleRead || !supply.state().mAScaleRead) {
                supply.readScaling();
            }
            if (run_ == nullptr) {
                run_ = new core::SeasoningRun(supply, &supply);
                QObject::connect(run_, &core::SeasoningRun::finished, run_,
                                 [this](core::SeasoningRun::End) { seasoning_ = false; });
                // The run goes on, as the console's does; Status tells of it.
                QObject::connect(run_, &core::SeasoningRun::setpointRefused, run_,
                                 [this](int step, const QByteArray& command) {
                                     std::lock_guard lock(refusalMutex_);
                                     seasoningRefusal_ = QStringLiteral("%1, step %2")
                                                             .arg(QString::fromLatin1(command))
                                                             .arg(step);
                                 });
            }
            {
                std::lock_guard lock(refusalMutex_);
                seasoningRefusal_.clear();
            }
            seasoning_ = true;
            if (const auto problem = run_->start(profile)) {
                seasoning_ = run_->running();
                return notSent(core::describe(*problem) + QStringLiteral("; nothing was sent"));
            }
            seasoning_ = run_->running();
            Reported started;
            started.answer = core::Answer::Done;
            return started;
        },
        kQueueDeadline);
    requireDone("StartSeasoning", result);
}

void ZovSupply::stopSeasoning() {
    // The run ends, and the output with it: a client that stops a run from
    // afar expects the tube to stop.
    requireDone("StopSeasoning", worker_->callAndWait(
                                     [this](core::Supply& supply) {
                                         if (run_ != nullptr) {
                                             run_->stop();
                                         }
                                         seasoning_ = false;
                                         return reportOf(supply.setXray(false), supply);
                                     },
                                     kQueueDeadline));
}

void ZovSupply::refuseWithoutDatabase() const {
    if (!Tango::Util::_UseDb) {
        fail("ZOV_NoDatabase",
             QStringLiteral("set_attribute_config: this server runs without a database and "
                            "cannot keep an attribute's configuration; nothing was changed"),
             "set_attribute_config");
    }
}

void ZovSupply::set_attribute_config(const Tango::AttributeConfigList& config) {
    refuseWithoutDatabase();
    TANGO_BASE_CLASS::set_attribute_config(config);
}

void ZovSupply::set_attribute_config_3(const Tango::AttributeConfigList_3& config) {
    refuseWithoutDatabase();
    TANGO_BASE_CLASS::set_attribute_config_3(config);
}

void ZovSupply::set_attribute_config_4(const Tango::AttributeConfigList_3& config,
                                       const Tango::ClntIdent& client) {
    refuseWithoutDatabase();
    TANGO_BASE_CLASS::set_attribute_config_4(config, client);
}

void ZovSupply::set_attribute_config_5(const Tango::AttributeConfigList_5& config,
                                       const Tango::ClntIdent& client) {
    refuseWithoutDatabase();
    TANGO_BASE_CLASS::set_attribute_config_5(config, client);
}

}  // namespace zov::tango
