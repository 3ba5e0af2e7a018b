// SPDX-License-Identifier: Apache-2.0
#include "runs.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonObject>

#include "core/record_text.h"
#include "ctl/operations.h"
#include "ctl/output.h"
#include "ctl/stop_signal.h"

namespace zov::ctl {
namespace {

int severity(core::Answer answer) {
    switch (answer) {
        case core::Answer::Done:
            return 0;
        case core::Answer::Refused:
            return 1;
        case core::Answer::Unreadable:
            return 2;
        case core::Answer::NoAnswer:
            return 3;
    }
    return 3;
}

QString xrayWord(bool on) {
    return QLatin1String(on ? "on" : "off");
}

QString padded(const QString& name, const QString& value) {
    constexpr int kNameWidth = 18;
    return name.leftJustified(kNameWidth) + value;
}

}  // namespace

std::variant<core::Profile, QString> loadProfile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("cannot read %1: %2; nothing was sent").arg(path, file.errorString());
    }
    const QByteArray bytes = file.read(core::kProfileFileByteLimit + 1);
    if (bytes.size() > core::kProfileFileByteLimit) {
        return QStringLiteral("%1 is no profile file: longer than %2 bytes; nothing was sent")
            .arg(path)
            .arg(core::kProfileFileByteLimit);
    }
    // The counts are checked at the start, against the unit's own scales.
    auto loaded = core::profileFromCsv(bytes, 0.0, 0.0);
    if (const auto* problem = std::get_if<core::FileProblem>(&loaded)) {
        return QStringLiteral("%1 line %2: %3; nothing was sent")
            .arg(path)
            .arg(problem->line)
            .arg(problem->reason);
    }
    return std::get<core::Profile>(loaded);
}

// --- what both runs do ---

RunTool::RunTool(const Invocation& invocation, core::Supply& supply)
    : invocation_(invocation), supply_(supply) {
    signalCheck_.setInterval(kSignalCheckMs);
    connect(&signalCheck_, &QTimer::timeout, this, &RunTool::check);
}

void RunTool::watchForEnd() {
    core::CommandExchange& exchange = supply_.exchange();
    const auto lost = [this](const QString& why) {
        if (linkLost_ || concluding_) {
            return;
        }
        linkLost_ = true;
        worst_ = core::Answer::NoAnswer;
        error_ = why;
        askEnd();
    };
    connect(&exchange, &core::CommandExchange::linkLost, this, lost);
    // A unit that stops answering ends the run; the closing read is noted
    // where it is made.
    connect(&exchange, &core::CommandExchange::replyMissing, this, [this](const QByteArray&) {
        if (concluding_) {
            return;
        }
        note(core::Answer::NoAnswer, QString::fromLatin1(supply_.exchange().lastCommand()));
        askEnd();
    });
    catchStopSignals();
    signalCheck_.start();
}

void RunTool::check() {
    if (stopAsked() || (!deadline_.isForever() && deadline_.hasExpired())) {
        signalled_ = stopAsked();
        askEnd();
    }
}

void RunTool::askEnd() {
    if (ending_) {
        return;
    }
    ending_ = true;
    signalCheck_.stop();
    endAsked();
}

void RunTool::note(core::Answer answer, const QString& command) {
    if (severity(answer) <= severity(worst_)) {
        return;
    }
    worst_ = answer;
    switch (answer) {
        case core::Answer::Refused:
            error_ = QStringLiteral("the unit refused %1").arg(command);
            break;
        case core::Answer::NoAnswer:
            error_ = QStringLiteral("no answer from the supply to %1").arg(command);
            break;
        case core::Answer::Unreadable:
            error_ = QStringLiteral("the reply to %1 could not be read").arg(command);
            break;
        case core::Answer::Done:
            break;
    }
}

QString RunTool::endWord(const QString& asked) const {
    if (linkLost_) {
        return QStringLiteral("link lost");
    }
    if (worst_ == core::Answer::NoAnswer) {
        return QStringLiteral("no answer");
    }
    return asked;
}

void RunTool::addXray(Report& report, const core::Reading<bool>& xray) {
    // What the unit has not confirmed since (the link went away, the last
    // read got no answer) is no state: it is told as what it was, and when.
    const QString state = xray.live() ? xrayWord(*xray.value) : QStringLiteral("unknown");
    QString line = state;
    report.json.insert(QStringLiteral("xray"), state);
    if (xray.known() && !xray.live()) {
        report.json.insert(QStringLiteral("xrayLastReported"), xrayWord(*xray.value));
        report.json.insert(QStringLiteral("xrayLastReportedAt"), core::timestamp(xray.at));
        line += QStringLiteral(" (last reported %1 at %2)")
                    .arg(xrayWord(*xray.value), xray.at.toString(QStringLiteral("HH:mm:ss")));
    }
    report.lines << padded(QStringLiteral("X-ray"), line);
}

void RunTool::conclude(Report report, std::optional<int> exitCode, bool readState) {
    if (concluding_) {
        return;
    }
    concluding_ = true;
    ending_ = true;
    signalCheck_.stop();
    // Later, from the event loop: this may be called before it runs.
    QTimer::singleShot(0, this, [this, report, exitCode, readState]() mutable {
        supply_.exchange().whenIdle(this, [this, report, exitCode, readState]() mutable {
            if (readState && !linkLost_) {
                const auto outcome = supply_.readStatus();
                note(outcome.answer, QString::fromLatin1(supply_.exchange().lastCommand()));
            }
            addXray(report, supply_.readings().xrayOn);
            report.json.insert(QStringLiteral("answer"), QLatin1String(core::answerName(worst_)));
            if (!error_.isEmpty()) {
                report.json.insert(QStringLiteral("error"), error_);
            }
            if (invocation_.json) {
                writeJson(report.json);
            } else {
                for (const QString& line : report.lines) {
                    writeOut(line.toUtf8());
                }
            }
            if (!error_.isEmpty()) {
                writeError(error_);
            }
            const int code = linkLost_ ? kExitNoAnswer : exitCode.value_or(exitCodeFor(worst_));
            QCoreApplication::exit(code);
        });
    });
}

// --- season ---

SeasonTool::SeasonTool(const Invocation& invocation, core::Supply& supply,
                       const core::Profile& profile)
    : RunTool(invocation, supply), profile_(profile), run_(supply) {
    connect(&run_, &core::SeasoningRun::progress, this, &SeasonTool::onProgress);
    connect(&run_, &core::SeasoningRun::stepSent, this,
            [this](int step, const core::StepText&) { lastStep_ = step; });
    connect(&run_, &core::SeasoningRun::finished, this, &SeasonTool::onFinished);
    // The run goes on, as the console's does; the refusal is told at once
    // and in the end (exit 1), as a refused switching of the cycle test is.
    connect(&run_, &core::SeasoningRun::setpointRefused, this,
            [this](int step, const QByteArray& command) {
                note(core::Answer::Refused, QString::fromLatin1(command));
                writeProgress(QStringLiteral("step %1: the unit refused %2")
                                  .arg(step)
                                  .arg(QString::fromLatin1(command)));
            });
}

RunTool::Report SeasonTool::report(const QString& end) const {
    Report report;
    report.json = {{QStringLiteral("command"), commandWord(Command::Season)},
                   {QStringLiteral("end"), end},
                   {QStringLiteral("lastStep"), lastStep_}};
    report.lines << padded(QStringLiteral("ended"), end)
                 << padded(QStringLiteral("last step"), QString::number(lastStep_));
    return report;
}

int SeasonTool::run() {
    watchForEnd();
    // The start checks every step it will reach against the unit's scales.
    const auto scaling = supply_.readScaling();
    if (!scaling.done() || ending()) {
        conclude(report(endWord(QStringLiteral("stopped"))), std::nullopt, false);
        return QCoreApplication::exec();
    }
    if (const auto problem = run_.start(profile_)) {
        error_ = QStringLiteral("the run did not start: %1").arg(core::describe(*problem));
        conclude(report(QStringLiteral("refused")), kExitRefused, false);
    }
    return QCoreApplication::exec();
}

void SeasonTool::endAsked() {
    // As the console's Stop: nothing is sent, the output stays as it is.
    run_.stop();
}

void SeasonTool::onProgress(int step, const QString& kv, const QString& ma, int minutesLeft) {
    if (shown_ == std::pair{step, minutesLeft}) {
        return;
    }
    shown_ = {step, minutesLeft};
    writeProgress(QStringLiteral("step %1: %2 kV, %3 mA, %4 min left")
                      .arg(step)
                      .arg(kv, ma)
                      .arg(minutesLeft));
}

void SeasonTool::onFinished(core::SeasoningRun::End end) {
    switch (end) {
        case core::SeasoningRun::End::LastStep:
            conclude(report(endWord(QStringLiteral("completed"))));
            break;
        case core::SeasoningRun::End::Stopped:
            conclude(report(endWord(QStringLiteral("stopped"))));
            break;
        case core::SeasoningRun::End::Problem:
            if (run_.problem()) {
                error_ = core::describe(*run_.problem());
            }
            conclude(report(QStringLiteral("problem")), kExitRefused);
            break;
    }
}

// --- cycle test ---

CycleTool::CycleTool(const Invocation& invocation, core::Supply& supply)
    : RunTool(invocation, supply), run_(supply) {
    connect(&run_, &core::CycleRun::switched, this, [this](bool on, core::Answer answer) {
        const QString command = QString::fromLatin1(supply_.exchange().lastCommand());
        note(answer, command);
        if (answer == core::Answer::Done) {
            ++switchings_;
        }
        writeProgress(
            QStringLiteral("output %1: %2")
                .arg(QLatin1String(on ? "on" : "off"), QLatin1String(core::answerName(answer))));
    });
}

int CycleTool::run() {
    if (invocation_.forMs) {
        deadline_.setRemainingTime(*invocation_.forMs, Qt::PreciseTimer);
    }
    watchForEnd();
    if (const auto refusal = run_.start(invocation_.onTime, invocation_.period)) {
        QString text = *refusal;
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
        writeError(text + QStringLiteral("; nothing was sent"));
        return kExitUsage;
    }
    return QCoreApplication::exec();
}

void CycleTool::endAsked() {
    const QString end = endWord(signalled_ || !invocation_.forMs ? QStringLiteral("stopped")
                                                                 : QStringLiteral("time up"));
    supply_.exchange().whenIdle(this, [this, end] {
        // Leaves the output off, unless an acknowledged off stands.
        run_.stop();
        Report report;
        report.json = {{QStringLiteral("command"), commandWord(Command::CycleTest)},
                       {QStringLiteral("end"), end},
                       {QStringLiteral("switchings"), switchings_}};
        report.lines << padded(QStringLiteral("ended"), end)
                     << padded(QStringLiteral("switchings"), QString::number(switchings_));
        conclude(report);
    });
}

}  // namespace zov::ctl
