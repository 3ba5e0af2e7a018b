#include "invocation.h"

#include <QMap>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/dac_editor.h"
#include "core/link_opening.h"
#include "core/season_profile.h"
#include "core/sendable_text.h"
#include "core/serial_link.h"
#include "protocol/numbers.h"

namespace zov::ctl {
namespace {

struct OptionRow {
    const char* name;
    bool takesValue;
};
constexpr OptionRow kOptions[] = {
    {"port", true},     {"baud", true},  {"tcp", true},      {"simulator", false}, {"json", false},
    {"service", false}, {"help", false}, {"version", false}, {"count", true},      {"every", true},
    {"format", true},   {"for", true},   {"on", true},       {"period", true},
};

struct CommandRow {
    const char* word;
    Command command;
    int arguments;        // besides options
    const char* options;  // of its own, blank-separated
};
constexpr CommandRow kCommands[] = {
    {"identity", Command::Identity, 0, ""},
    {"status", Command::Status, 0, ""},
    {"read", Command::Read, 1, ""},
    {"set", Command::Set, -1, "count"},
    {"xray", Command::Xray, 1, ""},
    {"reset-faults", Command::ResetFaults, 0, ""},
    {"local", Command::Local, 0, ""},
    {"remote", Command::Remote, 0, ""},
    {"watch", Command::Watch, 0, "every format count for"},
    {"send", Command::Send, 1, ""},
    {"season", Command::Season, 1, ""},
    {"cycle-test", Command::CycleTest, 0, "on period for"},
};
// Options that belong to one command or another; the rest go with any.
const QStringList kCommandOptions{QStringLiteral("count"),  QStringLiteral("every"),
                                  QStringLiteral("format"), QStringLiteral("for"),
                                  QStringLiteral("on"),     QStringLiteral("period")};

struct ChannelWord {
    const char* word;
    core::Channel channel;
};
constexpr ChannelWord kChannelWords[] = {{"kv", core::Channel::A},
                                         {"ma", core::Channel::B},
                                         {"filament-limit", core::Channel::C},
                                         {"preheat", core::Channel::D}};

// A text a user typed, shown back within bounds.
QString shown(const QString& text) {
    constexpr int kShown = 40;
    QString cut = text.left(kShown);
    for (QChar& c : cut) {
        if (!c.isPrint()) {
            c = u'?';
        }
    }
    return QLatin1Char('"') + cut + (text.size() > kShown ? QStringLiteral("...\"") : "\"");
}

// "66ms", "1s", "10m", "2h", "1d" in milliseconds.
std::optional<qint64> duration(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,9})(ms|s|m|h|d)$"));
    const auto match = form.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    static const QMap<QString, qint64> kMs{{QStringLiteral("ms"), 1},
                                           {QStringLiteral("s"), 1000},
                                           {QStringLiteral("m"), 60'000},
                                           {QStringLiteral("h"), 3'600'000},
                                           {QStringLiteral("d"), 86'400'000}};
    return match.captured(1).toLongLong() * kMs.value(match.captured(2));
}

std::optional<qint64> wholeNumber(const QString& text, qint64 lowest, qint64 highest) {
    static const QRegularExpression form(QStringLiteral("^\\d{1,10}$"));
    if (!form.match(text).hasMatch()) {
        return std::nullopt;
    }
    const qint64 value = text.toLongLong();
    if (value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

class Reader {
public:
    Parsed read(const QStringList& arguments) {
        if (arguments.size() > kMostArguments) {
            return fail(QStringLiteral("more than %1 arguments").arg(kMostArguments));
        }
        QStringList words;
        bool optionsEnded = false;
        for (int i = 0; i < arguments.size(); ++i) {
            const QString& argument = arguments[i];
            if (argument.size() > kLongestArgument) {
                return fail(
                    QStringLiteral("an argument longer than %1 characters").arg(kLongestArgument));
            }
            if (optionsEnded ||
                !(argument.startsWith(QLatin1String("--")) || argument == QLatin1String("-h"))) {
                words << argument;
                continue;
            }
            if (argument == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            QString name =
                argument == QLatin1String("-h") ? QStringLiteral("help") : argument.mid(2);
            std::optional<QString> value;
            if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
                value = name.mid(equals + 1);
                name.truncate(equals);
            }
            const OptionRow* row = nullptr;
            for (const OptionRow& option : kOptions) {
                if (name == QLatin1String(option.name)) {
                    row = &option;
                }
            }
            if (row == nullptr) {
                return fail(QStringLiteral("no option %1").arg(shown(argument)));
            }
            if (options_.contains(name)) {
                return fail(QStringLiteral("--%1 given twice").arg(name));
            }
            if (row->takesValue && !value) {
                if (i + 1 >= arguments.size()) {
                    return fail(QStringLiteral("--%1 wants a value").arg(name));
                }
                value = arguments[++i];
            } else if (!row->takesValue && value) {
                return fail(QStringLiteral("--%1 takes no value").arg(name));
            }
            options_.insert(name, value.value_or(QString()));
        }
        if (options_.contains(QStringLiteral("help"))) {
            invocation_.command = Command::Help;
            return {invocation_, {}};
        }
        if (options_.contains(QStringLiteral("version"))) {
            invocation_.command = Command::Version;
            return {invocation_, {}};
        }
        if (words.isEmpty()) {
            return fail(QStringLiteral("no command"));
        }
        return command(words.takeFirst(), words);
    }

private:
    Parsed fail(const QString& error) { return {std::nullopt, error}; }

    Parsed command(const QString& word, const QStringList& arguments) {
        const CommandRow* row = nullptr;
        for (const CommandRow& candidate : kCommands) {
            if (word == QLatin1String(candidate.word)) {
                row = &candidate;
            }
        }
        if (row == nullptr) {
            return fail(QStringLiteral("no command %1").arg(shown(word)));
        }
        invocation_.command = row->command;
        const QStringList own = QString::fromLatin1(row->options).split(u' ', Qt::SkipEmptyParts);
        for (const QString& option : kCommandOptions) {
            if (options_.contains(option) && !own.contains(option)) {
                return fail(QStringLiteral("--%1 does not go with %2").arg(option, word));
            }
        }
        if (row->arguments >= 0 && arguments.size() != row->arguments) {
            return fail(row->arguments == 0 ? QStringLiteral("%1 takes no argument").arg(word)
                                            : QStringLiteral("%1 takes one argument").arg(word));
        }
        if (auto error = link()) {
            return fail(*error);
        }
        invocation_.json = options_.contains(QStringLiteral("json"));
        invocation_.service = options_.contains(QStringLiteral("service"));
        std::optional<QString> error;
        switch (row->command) {
            case Command::Read:
                error = read(arguments.constFirst());
                break;
            case Command::Set:
                error = set(arguments);
                break;
            case Command::Xray:
                error = xray(arguments.constFirst());
                break;
            case Command::Watch:
                error = watch();
                break;
            case Command::Send:
                error = send(arguments.constFirst());
                break;
            case Command::Season:
                invocation_.profilePath = arguments.constFirst();
                break;
            case Command::CycleTest:
                error = cycleTest();
                break;
            default:
                break;
        }
        if (error) {
            return fail(*error);
        }
        return {invocation_, {}};
    }

    std::optional<QString> link() {
        const bool serial = options_.contains(QStringLiteral("port"));
        const bool tcp = options_.contains(QStringLiteral("tcp"));
        const bool simulator = options_.contains(QStringLiteral("simulator"));
        if (int(serial) + int(tcp) + int(simulator) != 1) {
            return QStringLiteral("choose one link: --port DEVICE, --tcp HOST:PORT or --simulator");
        }
        if (options_.contains(QStringLiteral("baud")) && !serial) {
            return QStringLiteral("--baud goes with --port");
        }
        if (simulator) {
            invocation_.link = LinkKind::Simulator;
            return std::nullopt;
        }
        if (serial) {
            invocation_.link = LinkKind::Serial;
            invocation_.device = options_.value(QStringLiteral("port"));
            if (!core::serialDeviceFor(invocation_.device)) {
                return QStringLiteral("--port %1 names no serial port")
                    .arg(shown(invocation_.device));
            }
            if (options_.contains(QStringLiteral("baud"))) {
                const QString text = options_.value(QStringLiteral("baud"));
                const auto baud = wholeNumber(text, 1, 1'000'000);
                const auto* end = std::end(core::kSerialBauds);
                if (!baud || std::find(std::begin(core::kSerialBauds), end, *baud) == end) {
                    return QStringLiteral("--baud wants 115200 or 9600, not %1").arg(shown(text));
                }
                invocation_.baud = static_cast<qint32>(*baud);
            }
            return std::nullopt;
        }
        invocation_.link = LinkKind::Tcp;
        const QString text = options_.value(QStringLiteral("tcp"));
        const qsizetype colon = text.lastIndexOf(u':');
        QString host = text.left(colon);
        if (host.startsWith(u'[') && host.endsWith(u']')) {
            host = host.mid(1, host.size() - 2);
        }
        const auto port = wholeNumber(text.mid(colon + 1), 1, 65535);
        static const QRegularExpression hostForm(QStringLiteral("^[A-Za-z0-9.:_-]{1,253}$"));
        if (colon < 0 || !port || !hostForm.match(host).hasMatch()) {
            return QStringLiteral("--tcp wants HOST:PORT (port 1 to 65535), not %1")
                .arg(shown(text));
        }
        invocation_.host = host;
        invocation_.port = static_cast<quint16>(*port);
        return std::nullopt;
    }

    static std::optional<core::Channel> channel(const QString& word) {
        for (const ChannelWord& row : kChannelWords) {
            if (word == QLatin1String(row.word)) {
                return row.channel;
            }
        }
        return std::nullopt;
    }

    std::optional<QString> read(const QString& what) {
        if (what == QLatin1String("monitors")) {
            invocation_.read = ReadWhat::Monitors;
        } else if (what == QLatin1String("all")) {
            invocation_.read = ReadWhat::All;
        } else if (const auto which = channel(what)) {
            invocation_.read = ReadWhat::Setpoint;
            invocation_.channel = *which;
        } else {
            return QStringLiteral("read kv, ma, filament-limit, preheat, monitors or all, not %1")
                .arg(shown(what));
        }
        return std::nullopt;
    }

    std::optional<QString> set(const QStringList& arguments) {
        const bool byCount = options_.contains(QStringLiteral("count"));
        const qsizetype wanted = byCount ? 1 : 2;
        const auto which = arguments.isEmpty() ? std::nullopt : channel(arguments.constFirst());
        if (arguments.size() != wanted || !which ||
            (*which != core::Channel::A && *which != core::Channel::B)) {
            return QStringLiteral("set kv|ma VALUE, or set kv|ma --count N");
        }
        invocation_.channel = *which;
        if (byCount) {
            const QString text = options_.value(QStringLiteral("count"));
            const auto count = wholeNumber(text, 0, core::kMaxCount);
            if (!count) {
                return QStringLiteral("--count wants a converter count from 0 to %1, not %2")
                    .arg(core::kMaxCount)
                    .arg(shown(text));
            }
            invocation_.count = static_cast<std::int16_t>(*count);
            return std::nullopt;
        }
        invocation_.valueText = arguments.at(1);
        const auto value = protocol::parseNumber(invocation_.valueText.toStdString());
        if (!value || !std::isfinite(*value) || *value < 0.0) {
            return QStringLiteral("set %1 wants a number of %2 from 0 up, not %3")
                .arg(arguments.constFirst(),
                     *which == core::Channel::A ? QStringLiteral("kV") : QStringLiteral("mA"),
                     shown(invocation_.valueText));
        }
        invocation_.value = *value;
        return std::nullopt;
    }

    std::optional<QString> xray(const QString& state) {
        if (state != QLatin1String("on") && state != QLatin1String("off")) {
            return QStringLiteral("xray on or xray off, not %1").arg(shown(state));
        }
        invocation_.on = state == QLatin1String("on");
        return std::nullopt;
    }

    std::optional<QString> watch() {
        if (options_.contains(QStringLiteral("every"))) {
            const QString text = options_.value(QStringLiteral("every"));
            const auto ms = duration(text);
            if (!ms || *ms < kShortestEveryMs || *ms > kLongestEveryMs) {
                return QStringLiteral(
                           "--every wants a time from 10ms to 1h such as 66ms or 1s, "
                           "not %1")
                    .arg(shown(text));
            }
            invocation_.everyMs = static_cast<int>(*ms);
        }
        if (options_.contains(QStringLiteral("count")) &&
            options_.contains(QStringLiteral("for"))) {
            return QStringLiteral("--count and --for do not go together");
        }
        if (options_.contains(QStringLiteral("count"))) {
            const QString text = options_.value(QStringLiteral("count"));
            invocation_.cycles = wholeNumber(text, 1, kMostCycles);
            if (!invocation_.cycles) {
                return QStringLiteral("--count wants a number of cycles from 1 up, not %1")
                    .arg(shown(text));
            }
        }
        if (auto error = forTime()) {
            return error;
        }
        const bool formatGiven = options_.contains(QStringLiteral("format"));
        const QString format = options_.value(QStringLiteral("format"));
        if (formatGiven && format != QLatin1String("csv") && format != QLatin1String("json")) {
            return QStringLiteral("--format wants csv or json, not %1").arg(shown(format));
        }
        if (invocation_.json && formatGiven && format == QLatin1String("csv")) {
            return QStringLiteral("--json and --format csv do not go together");
        }
        invocation_.format = invocation_.json || format == QLatin1String("json") ? WatchFormat::Json
                                                                                 : WatchFormat::Csv;
        return std::nullopt;
    }

    // --for, when given.
    std::optional<QString> forTime() {
        if (options_.contains(QStringLiteral("for"))) {
            const QString text = options_.value(QStringLiteral("for"));
            invocation_.forMs = duration(text);
            if (!invocation_.forMs || *invocation_.forMs < 1 ||
                *invocation_.forMs > kLongestForMs) {
                return QStringLiteral("--for wants a time up to 366d such as 10m or 8h, not %1")
                    .arg(shown(text));
            }
        }
        return std::nullopt;
    }

    // --on and --period as the console's input boxes take them (nearest
    // second); whether they make a test is the cycle test's to say, except
    // that an on time of no seconds is no test a user means.
    std::optional<QString> cycleTest() {
        for (const char* name : {"on", "period"}) {
            const QString option = QLatin1String(name);
            if (!options_.contains(option)) {
                return QStringLiteral("cycle-test wants --on SECONDS and --period SECONDS");
            }
            const QString text = options_.value(option);
            const auto seconds = core::secondsFrom(text);
            if (!seconds) {
                return QStringLiteral("--%1 wants a number of seconds such as 30, not %2")
                    .arg(option, shown(text));
            }
            if (option == QLatin1String("on") && *seconds <= 0) {
                return QStringLiteral("--on wants a time above 0 s, not %1").arg(shown(text));
            }
            (option == QLatin1String("on") ? invocation_.onTime : invocation_.period) = *seconds;
        }
        return forTime();
    }

    std::optional<QString> send(const QString& text) {
        if (!invocation_.service) {
            return QStringLiteral("send is for service use: add --service");
        }
        if (const auto why = core::unsendableCommand(text)) {
            return QStringLiteral("%1 holds %2; nothing was sent").arg(shown(text), *why);
        }
        invocation_.sendText = text;
        return std::nullopt;
    }

    QMap<QString, QString> options_;
    Invocation invocation_;
};

}  // namespace

const char* channelWord(core::Channel channel) {
    for (const ChannelWord& row : kChannelWords) {
        if (row.channel == channel) {
            return row.word;
        }
    }
    return "";
}

Parsed parseArguments(const QStringList& arguments) {
    return Reader().read(arguments);
}

QString helpText() {
    return QStringLiteral(
        "Usage: zovctl LINK [--json] COMMAND [ARGUMENTS]\n"
        "\n"
        "Drives a ZOV high-voltage X-ray supply from a shell: one command a run, the\n"
        "same commands the console sends, with the unit's answer on standard output.\n"
        "\n"
        "Link (one of):\n"
        "  --port DEVICE     a serial port: a device path (/dev/ttyUSB0, COM3) or a\n"
        "                    port number (1 is the first serial port)\n"
        "  --baud RATE       the serial port's speed: 115200 (the default) or 9600\n"
        "  --tcp HOST:PORT   a TCP connection to the unit\n"
        "  --simulator       the built-in simulated supply, inside zovctl\n"
        "\n"
        "Commands:\n"
        "  identity          model, revisions, software build, serial number\n"
        "  status            X-ray output, interlock, every fault flag, arcs counted\n"
        "  read WHAT         WHAT: kv, ma, filament-limit, preheat, monitors or all\n"
        "  set kv|ma VALUE   programs the setpoint in kV or mA, converted with the\n"
        "                    unit's own full scale (refused when the unit gives none)\n"
        "  set kv|ma --count N\n"
        "                    programs the converter count N (0 to 4095)\n"
        "  xray on|off       switches the X-ray output\n"
        "  reset-faults      clears the latched faults\n"
        "  local, remote     the unit's control mode\n"
        "  watch             runs the update cycle and prints one line per reading\n"
        "                    until Ctrl-C (SIGINT or SIGTERM); the step under way\n"
        "                    ends first\n"
        "      --every TIME  time between steps of the twelve-step cycle (66ms)\n"
        "      --format csv|json\n"
        "                    CSV with a header line (the default), or one JSON\n"
        "                    object a line\n"
        "      --count N     ends after N whole cycles\n"
        "      --for TIME    ends after TIME (such as 10m or 8h)\n"
        "  season PROFILE.csv\n"
        "                    runs the tube-seasoning profile the console saves, step\n"
        "                    by step, with a progress line on standard error as a\n"
        "                    step or a minute begins; Ctrl-C stops it as the\n"
        "                    console's Stop does (nothing sent: a cycling step may\n"
        "                    leave the output on); then reads and prints the\n"
        "                    output's state. A step the unit does not answer, or a\n"
        "                    lost link, ends the run (exit 3); a setpoint the unit\n"
        "                    refuses is told and the run goes on (exit 1 at its end)\n"
        "  cycle-test --on S --period S [--for TIME]\n"
        "                    the HV cycle test: the output on for S seconds of every\n"
        "                    period, until TIME has passed or Ctrl-C; it then leaves\n"
        "                    the output off and prints its state. An on time of 0 s\n"
        "                    or less, or a period of less than 1 s or not above the\n"
        "                    on time, is refused with exit 2, nothing sent\n"
        "  send TEXT         service use, with --service: one command as typed\n"
        "                    (\"VSET;\") and the unit's reply; a text that could\n"
        "                    carry a second command is refused\n"
        "\n"
        "Examples:\n"
        "  zovctl --port /dev/ttyUSB0 season tube-42.csv\n"
        "  zovctl --port /dev/ttyUSB0 cycle-test --on 30 --period 60 --for 8h\n"
        "\n"
        "Options:\n"
        "  --json            one JSON object on standard output (watch: one a line)\n"
        "  --service         allows send\n"
        "  -h, --help        this text\n"
        "  --version         the version\n"
        "\n"
        "Errors go to standard error, one line each. Exit status:\n"
        "  0  done\n"
        "  1  refused by the unit, or no full scale from it for set; for season a\n"
        "     profile the unit's scales cannot run (only the scales read), a step\n"
        "     that could not be sent or a setpoint refused; for cycle-test a\n"
        "     switching refused\n"
        "  2  usage error: nothing sent (for a set value past the unit's full scale,\n"
        "     only the scale read); a profile file that cannot be read or loaded;\n"
        "     a cycle-test period the test refuses\n"
        "  3  no answer, an unreadable answer, or a link that cannot be opened or\n"
        "     that closes\n");
}

}  // namespace zov::ctl
