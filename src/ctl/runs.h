// zovctl season and cycle-test: the console's seasoning run and HV cycle
// test without a window. Each runs on the event loop until it ends by
// itself, after --for, on SIGINT or SIGTERM or when the link fails, then
// reads the output's state and prints it with how the run ended.
#pragma once

#include <QDeadlineTimer>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>
#include <variant>

#include "core/cycle_run.h"
#include "core/season_profile.h"
#include "core/seasoning_run.h"
#include "core/supply.h"
#include "ctl/invocation.h"

namespace zov::ctl {

// The profile file at `path`, its texts checked (the counts wait for the
// unit's scales); or why it cannot be run, in one line. Reads only the file.
[[nodiscard]] std::variant<core::Profile, QString> loadProfile(const QString& path);

// What the runs have in common: the signal check, the link watched, the
// closing status read and what is printed.
class RunTool : public QObject {
    Q_OBJECT
public:
    RunTool(const Invocation& invocation, core::Supply& supply);

protected:
    // The command's JSON and lines so far, for conclude().
    struct Report {
        QJsonObject json;
        QStringList lines;
    };

    // Starts looking for signals and for the link going away.
    void watchForEnd();
    // Called when a signal came, --for has run out or the link went away.
    virtual void endAsked() = 0;
    // Ends once: endAsked() runs the first time only.
    void askEnd();
    [[nodiscard]] bool ending() const { return ending_; }
    // Notes a command's answer; the worst decides the exit code.
    void note(core::Answer answer, const QString& command);
    // How the run ended: `asked`, unless the link or the unit failed it.
    [[nodiscard]] QString endWord(const QString& asked) const;
    // From the event loop, once no exchange runs: reads the output's state
    // when `readState` (the last reading when the link is gone), prints it
    // with `report`, the error line, and ends the event loop with `exitCode`
    // or the code of the worst answer.
    void conclude(Report report, std::optional<int> exitCode = std::nullopt, bool readState = true);
    // The output's state at the end, as the unit last gave it.
    static void addXray(Report& report, const core::Reading<bool>& xray);

    const Invocation& invocation_;
    core::Supply& supply_;
    QDeadlineTimer deadline_{QDeadlineTimer::Forever};  // --for
    bool linkLost_ = false;
    bool signalled_ = false;
    QString error_;

private:
    void check();

    QTimer signalCheck_;
    core::Answer worst_ = core::Answer::Done;
    bool ending_ = false;
    bool concluding_ = false;
};

class SeasonTool : public RunTool {
    Q_OBJECT
public:
    SeasonTool(const Invocation& invocation, core::Supply& supply, const core::Profile& profile);
    // Runs the event loop until the run and the status read have ended;
    // returns the exit code.
    int run();

private:
    void endAsked() override;
    void onProgress(int step, const QString& kv, const QString& ma, int minutesLeft);
    void onFinished(core::SeasoningRun::End end);
    [[nodiscard]] Report report(const QString& end) const;

    core::Profile profile_;
    core::SeasoningRun run_;
    int lastStep_ = 0;  // the step whose setpoints went out last
    std::pair<int, int> shown_{0, -1};
};

class CycleTool : public RunTool {
    Q_OBJECT
public:
    CycleTool(const Invocation& invocation, core::Supply& supply);
    int run();

private:
    void endAsked() override;

    core::CycleRun run_;
    qint64 switchings_ = 0;
};

}  // namespace zov::ctl
