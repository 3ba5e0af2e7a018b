#include "operations.h"

#include <algorithm>

#include "core/dac_editor.h"
#include "core/legible_bytes.h"
#include "core/scaling.h"
#include "ctl/output.h"
#include "ctl/samples.h"
#include "protocol/numbers.h"

namespace zov::ctl {
namespace {

using core::Answer;

int severity(Answer answer) {
    switch (answer) {
        case Answer::Done:
            return 0;
        case Answer::Refused:
            return 1;
        case Answer::Unreadable:
            return 2;
        case Answer::NoAnswer:
            return 3;
    }
    return 3;
}

// What came of the commands of one run: the worst answer, and the first
// error of that kind as the run's one line on stderr.
class Tally {
public:
    explicit Tally(core::Supply& supply) : supply_(supply) {}

    template <typename T>
    bool take(const core::Outcome<T>& outcome) {
        note(outcome.answer, outcome.reply);
        return outcome.done();
    }

    void note(Answer answer, const QByteArray& reply) {
        if (severity(answer) <= severity(worst_)) {
            return;
        }
        worst_ = answer;
        const QString command = QString::fromLatin1(supply_.exchange().lastCommand());
        switch (answer) {
            case Answer::Refused:
                error_ = QStringLiteral("the unit refused %1").arg(command);
                break;
            case Answer::NoAnswer:
                error_ = QStringLiteral("no answer from the supply to %1").arg(command);
                break;
            case Answer::Unreadable:
                error_ = QStringLiteral("the reply to %1 could not be read: %2")
                             .arg(command, core::legibleBytes(reply));
                break;
            case Answer::Done:
                break;
        }
    }

    // An error of the run's own, with the exit code it stands for.
    void fail(int exitCode, const QString& error) {
        exitCode_ = exitCode;
        error_ = error;
    }

    void into(Result& result) const {
        result.exitCode = exitCode_.value_or(exitCodeFor(worst_));
        result.error = error_;
        result.json.insert(QStringLiteral("answer"), QLatin1String(core::answerName(worst_)));
        if (!error_.isEmpty()) {
            result.json.insert(QStringLiteral("error"), error_);
        }
    }

private:
    core::Supply& supply_;
    Answer worst_ = Answer::Done;
    std::optional<int> exitCode_;
    QString error_;
};

QString padded(const QString& name, const QString& value) {
    constexpr int kNameWidth = 18;
    return name.leftJustified(kNameWidth) + value;
}

QJsonValue jsonOrNull(const std::optional<bool>& flag) {
    return flag ? QJsonValue(*flag) : QJsonValue(QJsonValue::Null);
}

QString flagText(const std::optional<bool>& flag, const char* yes, const char* no) {
    return flag ? QLatin1String(*flag ? yes : no) : QStringLiteral("unknown");
}

void identity(core::Supply& supply, Tally& tally, Result& result) {
    struct Item {
        core::IdentityItem item;
        const char* key;
        const char* caption;
        core::Reading<QString> core::Identity::*reading;
    };
    static constexpr Item kItems[] = {
        {core::IdentityItem::HardwareRevision, "hardwareRevision", "hardware revision",
         &core::Identity::hardwareRevision},
        {core::IdentityItem::Model, "model", "model", &core::Identity::model},
        {core::IdentityItem::SoftwareRevision, "softwareRevision", "software revision",
         &core::Identity::softwareRevision},
        {core::IdentityItem::SoftwareBuild, "softwareBuild", "software build",
         &core::Identity::softwareBuild},
        {core::IdentityItem::SerialNumber, "serialNumber", "serial number",
         &core::Identity::serialNumber},
    };
    // In the console's order: the software revision's reply also carries a build.
    for (const Item& item : kItems) {
        tally.take(supply.readIdentity(item.item));
    }
    for (const Item& item : kItems) {
        const auto& reading = supply.readings().identity.*item.reading;
        result.json.insert(QLatin1String(item.key),
                           reading.value ? QJsonValue(*reading.value) : QJsonValue::Null);
        result.lines << padded(QLatin1String(item.caption), reading.value.value_or("unknown"));
    }
}

void status(core::Supply& supply, Tally& tally, Result& result) {
    const auto outcome = supply.readStatus();
    tally.take(outcome);
    const core::StatusReport& report = outcome.value;
    result.json.insert(QStringLiteral("xrayOn"), jsonOrNull(report.xrayOn));
    result.json.insert(QStringLiteral("interlockOpen"), jsonOrNull(report.interlockOpen));
    result.lines << padded(QStringLiteral("X-ray"), flagText(report.xrayOn, "on", "off"))
                 << padded(QStringLiteral("interlock"),
                           flagText(report.interlockOpen, "open", "closed"));
    QJsonObject faults;
    for (std::size_t i = 0; i < report.faults.size(); ++i) {
        faults.insert(faultWord(i), jsonOrNull(report.faults[i]));
        result.lines << padded(faultWord(i), flagText(report.faults[i], "FAULT", "ok"));
    }
    result.json.insert(QStringLiteral("faults"), faults);
    result.json.insert(QStringLiteral("arcCount"), supply.readings().arcCount);
    result.lines << padded(QStringLiteral("arcs counted"),
                           QString::number(supply.readings().arcCount));
}

void putSample(const QString& name, const Sample& sample, std::optional<int> count, Result& result,
               QJsonObject& readings) {
    if (!sample.known) {
        readings.insert(name, QJsonValue::Null);
        result.lines << padded(name, QStringLiteral("unknown"));
        return;
    }
    QJsonObject entry{{QStringLiteral("value"), sample.json},
                      {QStringLiteral("unit"), sample.unit}};
    QString text = sample.text + QLatin1Char(' ') + sample.unit;
    if (count) {
        entry.insert(QStringLiteral("count"), *count);
        if (sample.unit != QLatin1String("counts")) {
            text += QStringLiteral(" (%1 counts)").arg(*count);
        }
    }
    readings.insert(name, entry);
    result.lines << padded(name, text);
}

void read(const Invocation& invocation, core::Supply& supply, Tally& tally, Result& result) {
    QJsonObject readings;
    std::vector<core::Channel> channels;
    if (invocation.read == ReadWhat::Setpoint) {
        channels.push_back(invocation.channel);
    } else if (invocation.read == ReadWhat::All) {
        channels = {core::Channel::A, core::Channel::B, core::Channel::C, core::Channel::D};
    }
    for (const core::Channel channel : channels) {
        const auto outcome = supply.readSetpoint(channel);
        tally.take(outcome);
        const auto& reading = supply.readings().setpoint(channel);
        putSample(QLatin1String(channelWord(channel)), setpointSample(supply.readings(), channel),
                  reading.value ? std::optional<int>(reading.value->count) : std::nullopt, result,
                  readings);
    }
    if (invocation.read != ReadWhat::Setpoint) {
        tally.take(supply.readMonitors({core::Monitor::Voltage, core::Monitor::Current,
                                        core::Monitor::Filament, core::Monitor::AuxSupply,
                                        core::Monitor::Temperature}));
        for (const core::MonitorRow& row : core::kMonitors) {
            const Sample sample = monitorSample(supply.readings(), row.monitor);
            putSample(sample.variable, sample, std::nullopt, result, readings);
        }
    }
    result.json.insert(QStringLiteral("readings"), readings);
}

void set(const Invocation& invocation, core::Supply& supply, Tally& tally, Result& result) {
    const core::Channel channel = invocation.channel;
    const core::SetpointChannel& row = core::setpointChannel(channel);
    const QString word = QLatin1String(channelWord(channel));
    const QString unit = QString::fromLatin1(row.suffix).trimmed();
    result.json.insert(QStringLiteral("channel"), word);
    std::int16_t count = 0;
    if (invocation.count) {
        count = *invocation.count;
    } else {
        // The unit's own full scale, read afresh: another unit may stand
        // behind this link than the one a scale was last read from.
        int missing = 0;
        const auto connection =
            QObject::connect(&supply.exchange(), &core::CommandExchange::replyMissing,
                             [&missing](const QByteArray&) { ++missing; });
        supply.readScaling();
        QObject::disconnect(connection);
        const auto scale = core::unitScale(supply.state(), row.scaleFactor);
        if (!scale) {
            if (missing > 0) {
                tally.note(Answer::NoAnswer, {});
                return;
            }
            tally.fail(kExitRefused,
                       QStringLiteral("the unit gave no %1 full scale, so %2 %1 cannot be "
                                      "converted; nothing was programmed (set %3 --count N "
                                      "programs a converter count)")
                           .arg(unit, invocation.valueText.trimmed(), word));
            return;
        }
        const auto within = core::countWithinFullScale(*invocation.value, *scale);
        if (!within) {
            tally.fail(
                kExitUsage,
                QStringLiteral("%1 %2 is above the unit's full scale of %3 %2; nothing was "
                               "programmed")
                    .arg(invocation.valueText.trimmed(), unit,
                         QString::fromStdString(protocol::plainNumber(*scale * core::kMaxCount))));
            return;
        }
        count = *within;
    }
    const auto outcome = supply.program(channel, count);
    tally.take(outcome);
    result.json.insert(QStringLiteral("count"), count);
    if (outcome.done()) {
        if (outcome.value.scaled) {
            result.json.insert(QStringLiteral("value"), *outcome.value.scaled);
            result.json.insert(QStringLiteral("unit"), unit);
        }
        result.lines << QStringLiteral("%1 programmed: %2 (%3 counts)")
                            .arg(word, QString::fromStdString(outcome.value.display))
                            .arg(count);
    }
}

}  // namespace

int exitCodeFor(Answer answer) {
    switch (answer) {
        case Answer::Done:
            return kExitDone;
        case Answer::Refused:
            return kExitRefused;
        case Answer::NoAnswer:
        case Answer::Unreadable:
            return kExitNoAnswer;
    }
    return kExitNoAnswer;
}

QString commandWord(Command command) {
    switch (command) {
        case Command::Help:
            return QStringLiteral("help");
        case Command::Version:
            return QStringLiteral("version");
        case Command::Identity:
            return QStringLiteral("identity");
        case Command::Status:
            return QStringLiteral("status");
        case Command::Read:
            return QStringLiteral("read");
        case Command::Set:
            return QStringLiteral("set");
        case Command::Xray:
            return QStringLiteral("xray");
        case Command::ResetFaults:
            return QStringLiteral("reset-faults");
        case Command::Local:
            return QStringLiteral("local");
        case Command::Remote:
            return QStringLiteral("remote");
        case Command::Watch:
            return QStringLiteral("watch");
        case Command::Send:
            return QStringLiteral("send");
        case Command::Season:
            return QStringLiteral("season");
        case Command::CycleTest:
            return QStringLiteral("cycle-test");
    }
    return {};
}

Result runOperation(const Invocation& invocation, core::Supply& supply) {
    Result result;
    result.json.insert(QStringLiteral("command"), commandWord(invocation.command));
    Tally tally(supply);
    switch (invocation.command) {
        case Command::Identity:
            identity(supply, tally, result);
            break;
        case Command::Status:
            status(supply, tally, result);
            break;
        case Command::Read:
            read(invocation, supply, tally, result);
            break;
        case Command::Set:
            set(invocation, supply, tally, result);
            break;
        case Command::Xray:
            result.json.insert(QStringLiteral("on"), invocation.on);
            if (tally.take(supply.setXray(invocation.on))) {
                result.lines << (invocation.on ? QStringLiteral("X-ray on")
                                               : QStringLiteral("X-ray off"));
            }
            break;
        case Command::ResetFaults:
            if (tally.take(supply.resetFaults())) {
                result.lines << QStringLiteral("faults reset");
            }
            break;
        case Command::Local:
        case Command::Remote: {
            const bool remote = invocation.command == Command::Remote;
            result.json.insert(QStringLiteral("remote"), remote);
            if (tally.take(supply.setRemote(remote))) {
                result.lines << (remote ? QStringLiteral("remote") : QStringLiteral("local"));
            }
            break;
        }
        case Command::Send: {
            const auto outcome = supply.send(invocation.sendText.toLatin1());
            tally.take(outcome);
            result.json.insert(QStringLiteral("sent"), invocation.sendText);
            result.json.insert(QStringLiteral("reply"), core::legibleBytes(outcome.reply));
            if (outcome.done()) {
                result.lines << core::legibleBytes(outcome.reply);
            }
            break;
        }
        case Command::Help:
        case Command::Version:
        case Command::Watch:
        case Command::Season:
        case Command::CycleTest:
            break;
    }
    tally.into(result);
    return result;
}

}  // namespace zov::ctl
