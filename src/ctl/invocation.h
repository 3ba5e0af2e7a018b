// What one run of zovctl is asked to do, read from its command line. Every
// argument is checked here, before any link is opened, so a mistyped
// command sends nothing.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/setpoint_channel.h"

namespace zov::ctl {

enum class Command {
    Help,
    Version,
    Identity,
    Status,
    Read,
    Set,
    Xray,
    ResetFaults,
    Local,
    Remote,
    Watch,
    Send,
    Season,
    CycleTest
};

enum class LinkKind { Serial, Tcp, Simulator };

// What `read` reads: one setpoint, the monitors, or all of them.
enum class ReadWhat { Setpoint, Monitors, All };

enum class WatchFormat { Csv, Json };

// Exit codes, the same for every command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoAnswer = 3;

// Bounds of what a command line may hold.
inline constexpr int kMostArguments = 32;
inline constexpr int kLongestArgument = 256;
inline constexpr int kShortestEveryMs = 10;
inline constexpr qint64 kLongestEveryMs = 3'600'000;
inline constexpr qint64 kLongestForMs = 366LL * 24 * 3'600'000;
inline constexpr qint64 kMostCycles = 1'000'000'000;

struct Invocation {
    Command command = Command::Help;
    bool json = false;
    bool service = false;

    LinkKind link = LinkKind::Simulator;
    QString device;
    qint32 baud = 115200;
    QString host;
    quint16 port = 0;

    ReadWhat read = ReadWhat::All;
    core::Channel channel = core::Channel::A;  // read, set
    std::optional<double> value;               // set: in kV or mA
    QString valueText;                         // as typed
    std::optional<std::int16_t> count;         // set --count
    bool on = false;                           // xray

    int everyMs = 66;
    WatchFormat format = WatchFormat::Csv;
    std::optional<qint64> cycles;  // watch --count
    std::optional<qint64> forMs;   // watch --for, cycle-test --for

    QString profilePath;      // season
    std::int16_t onTime = 0;  // cycle-test --on, in seconds
    std::int16_t period = 0;  // cycle-test --period, in seconds

    QString sendText;
};

// The name by which zovctl's command line and output call a setpoint.
[[nodiscard]] const char* channelWord(core::Channel channel);

// An invocation, or why the command line is no good (one line).
struct Parsed {
    std::optional<Invocation> invocation;
    QString error;
};

// `arguments` without the program's name.
[[nodiscard]] Parsed parseArguments(const QStringList& arguments);

[[nodiscard]] QString helpText();

}  // namespace zov::ctl
