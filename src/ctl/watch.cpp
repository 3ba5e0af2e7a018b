// SPDX-License-Identifier: Apache-2.0
#include "watch.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include "ctl/output.h"
#include "ctl/stop_signal.h"

namespace zov::ctl {

Watch::Watch(const Invocation& invocation, core::Supply& supply)
    : invocation_(invocation), supply_(supply), poller_(supply) {
    poller_.setIntervalMs(invocation.everyMs);
    connect(&poller_, &core::Poller::stepRan, this, &Watch::onStep);
    connect(&supply_, &core::Supply::unsolicitedStatus, this, &Watch::onUnsolicited);
    core::CommandExchange& exchange = supply_.exchange();
    // The watchdog reopens a serial port that came back; nothing reconnects TCP.
    connect(&exchange.tcp(), &core::Link::lost, this,
            [this](const QString& why) { finish(kExitNoAnswer, why); });
    signalCheck_.setInterval(kSignalCheckMs);
    connect(&signalCheck_, &QTimer::timeout, this, &Watch::check);
}

int Watch::run() {
    if (invocation_.format == WatchFormat::Csv) {
        writeOut(csvHeader());
    }
    catchStopSignals();
    if (invocation_.forMs) {
        deadline_.setRemainingTime(*invocation_.forMs, Qt::PreciseTimer);
    }
    signalCheck_.start();
    poller_.start();
    return QCoreApplication::exec();
}

QByteArray Watch::csvHeader() {
    return QByteArrayLiteral("time,event,variable,value,detail");
}

QByteArray Watch::csvLine(const Sample& sample, bool stale) {
    if (stale) {
        return csvField(timestamp(sample.staleSince)) + ",stale," + csvField(sample.variable) +
               ",,";
    }
    return csvField(timestamp(sample.at)) + ",reading," + csvField(sample.variable) + ',' +
           csvField(sample.text) + ',' + csvField(sample.unit);
}

QByteArray Watch::jsonLine(const Sample& sample, bool stale) {
    QJsonObject line{
        {QStringLiteral("time"), timestamp(stale ? sample.staleSince : sample.at)},
        {QStringLiteral("event"), stale ? QStringLiteral("stale") : QStringLiteral("reading")},
        {QStringLiteral("variable"), sample.variable}};
    if (!stale) {
        line.insert(QStringLiteral("value"), sample.json);
        line.insert(QStringLiteral("unit"), sample.unit);
    }
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

void Watch::print(const Sample& sample) {
    Printed& last = printed_[sample.variable];
    const bool fresh = sample.known && !sample.stale && sample.at != last.at;
    const bool newlyStale = sample.known && sample.stale && !last.stale;
    if (!fresh && !newlyStale) {
        return;
    }
    last = {sample.at, sample.stale};
    const bool json = invocation_.format == WatchFormat::Json;
    writeOut(json ? jsonLine(sample, newlyStale) : csvLine(sample, newlyStale));
    if (fresh) {
        ++readingsPrinted_;
    }
}

void Watch::onStep(core::UpdateStep step) {
    for (const Sample& sample : stepSamples(supply_.readings(), step)) {
        print(sample);
    }
    ++steps_;
    if (invocation_.cycles && steps_ >= *invocation_.cycles * core::kUpdateSteps) {
        finish(kExitDone);
    }
}

void Watch::onUnsolicited(const core::CombinedStatus& status) {
    const core::SupplyReadings& readings = supply_.readings();
    if (status.xrayOn) {
        print(flagSample(QStringLiteral("XRAY"), readings.xrayOn));
    }
    if (status.interlockOpen) {
        print(flagSample(QStringLiteral("INTERLOCK"), readings.interlockOpen));
    }
    if (status.supplyFault) {
        print(flagSample(QStringLiteral("PS_FAULT"), readings.supplyFault));
    }
}

void Watch::check() {
    if (stopAsked() || (invocation_.forMs && deadline_.hasExpired())) {
        finish(kExitDone);
    }
}

void Watch::finish(int exitCode, const QString& error) {
    if (finishing_) {
        return;
    }
    finishing_ = true;
    poller_.stop();
    signalCheck_.stop();
    supply_.exchange().whenIdle(this, [this, exitCode, error] {
        if (!error.isEmpty()) {
            writeError(error);
        } else if (readingsPrinted_ == 0 && steps_ > 0) {
            writeError(QStringLiteral("the supply gave no reading"));
            QCoreApplication::exit(kExitNoAnswer);
            return;
        }
        QCoreApplication::exit(exitCode);
    });
}

}  // namespace zov::ctl
