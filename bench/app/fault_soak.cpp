// The fault soak: the console in automatic update mode against a simulated
// supply that loses, splits, garbles and delays replies and loses its link,
// one fault per update cycle. Each link runs in a process of its own, so a
// crash is counted rather than ending the soak.
//
//     zov-fault-soak [--seconds N] [--link pty|tcp|both] [--operator [--seed S]]
//
// N (default 600) is the whole run; "both" gives each link half. Prints the
// figures of each link and exits non-zero when a target is missed: no crash,
// no event-loop stall over 1.5 s, communication errors as counted from the
// faults staged, no box showing another command's reading, resident memory
// grown by less than 2 MB.
//
// With --operator, a scripted operator (seeded by S, default 1) works the
// panel during the faults, in the same runs and with the same figures, so
// what the faults do to the console is measured with and without one. It
// adds: no reading the unit never held unless marked stale, the output off
// after every cycle test stop, no command nobody asked for. Communication
// errors are then shown, not foretold.

#include <QApplication>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <optional>

#include "soak_run.h"

namespace {

using zov::bench::SoakFigures;
using zov::bench::SoakLink;

constexpr const char* kResultTag = "soak-result ";
constexpr int kGraceSeconds = 90;  // beyond the run, before a child counts as hung

struct Options {
    int seconds = 600;
    QStringList links{QStringLiteral("pty"), QStringLiteral("tcp")};
    QString child;  // the link this process soaks, when started by the soak
    std::optional<quint32> operatorSeed;
};

std::optional<Options> parse(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--operator")) {
            options.operatorSeed = options.operatorSeed.value_or(1);
            continue;
        }
        const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        bool ok = true;
        if (argument == QLatin1String("--seconds")) {
            options.seconds = value.toInt(&ok);
            ok = ok && options.seconds > 0;
        } else if (argument == QLatin1String("--link")) {
            if (value == QLatin1String("pty") || value == QLatin1String("tcp")) {
                options.links = QStringList{value};
            } else {
                ok = value == QLatin1String("both");
            }
        } else if (argument == QLatin1String("--seed")) {
            options.operatorSeed = value.toUInt(&ok);
        } else if (argument == QLatin1String("--child")) {
            options.child = value;
            ok = value == QLatin1String("pty") || value == QLatin1String("tcp");
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "zov-fault-soak: bad option %s %s\n", qPrintable(argument),
                         qPrintable(value));
            return std::nullopt;
        }
        ++i;
    }
    return options;
}

int runChild(const Options& options) {
    const SoakFigures figures =
        zov::bench::runSoak(options.child == QLatin1String("pty") ? SoakLink::Pty : SoakLink::Tcp,
                            options.seconds, options.operatorSeed);
    std::printf("%s%s\n", kResultTag, qPrintable(zov::bench::resultLine(figures)));
    std::fflush(stdout);
    return figures.passed() ? 0 : 1;
}

void print(const QString& link, const SoakFigures& f, int crashes) {
    std::printf("%s: %.0f s, %lld update cycles\n", qPrintable(link), f.seconds, f.cycles);
    std::printf("  exchanges        %lld sent, %lld replies taken\n", f.exchanges, f.replies);
    std::printf("  injected faults  %lld:", f.faultsInjected());
    for (int i = 0; i < zov::bench::kSoakFaultKinds; ++i) {
        std::printf(" %s %lld", zov::bench::faultName(static_cast<zov::bench::SoakFault>(i)),
                    f.faults[static_cast<std::size_t>(i)]);
    }
    std::printf("\n  CommErrors       %lld (expected %lld)\n", f.commErrors, f.expectedErrors);
    std::printf("  crashes          %d\n", crashes);
    std::printf("  hangs            %lld (longest event-loop stall %.1f ms)\n", f.hangs,
                f.longestStallMs);
    std::printf("  memory           resident %ld kB after warm-up, %ld kB at the end: %+ld kB\n",
                f.residentStartKb, f.residentEndKb, f.residentEndKb - f.residentStartKb);
    std::printf("  wrong readings   %lld of %lld checked\n", f.wrongReadings, f.readingsChecked);
    if (f.withOperator) {
        std::printf("  operator actions %lld:", f.actionsTaken());
        for (int i = 0; i < zov::bench::kActionKinds; ++i) {
            std::printf(" %s %lld", zov::bench::actionName(static_cast<zov::bench::Action>(i)),
                        f.actions[static_cast<std::size_t>(i)]);
        }
        std::printf("\n  wrong displays   %lld of %lld checked\n", f.wrongDisplays,
                    f.displaysChecked);
        std::printf("  outputs left on  %lld\n", f.outputsLeftOn);
        std::printf("  unasked commands %lld\n", f.unaskedCommands);
    }
    if (!f.setupError.isEmpty()) {
        std::printf("  not checked      %s\n", qPrintable(f.setupError));
    }
    std::fflush(stdout);  // each link's figures as soon as it ends, also into a file
}

// Runs one link in a child process; false when a target is missed.
bool soak(const QString& link, int seconds, std::optional<quint32> operatorSeed) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("--child"), link, QStringLiteral("--seconds"),
                          QString::number(seconds)};
    if (operatorSeed) {
        arguments << QStringLiteral("--seed") << QString::number(*operatorSeed);
    }
    child.start(QCoreApplication::applicationFilePath(), arguments);
    const bool ended = child.waitForFinished((seconds + kGraceSeconds) * 1000);
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    SoakFigures figures;
    bool reported = false;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith(kResultTag)) {
            reported =
                parseResultLine(QString::fromUtf8(line.mid(int(std::strlen(kResultTag)))), figures);
        }
    }
    const bool crashed = !ended || child.exitStatus() != QProcess::NormalExit || !reported;
    if (!ended) {
        ++figures.hangs;
    }
    print(link, figures, crashed ? 1 : 0);
    return !crashed && child.exitCode() == 0 && figures.passed();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const std::optional<Options> options = parse(QCoreApplication::arguments());
    if (!options) {
        return 2;
    }
    if (!options->child.isEmpty()) {
        return runChild(*options);
    }
    const int perLink = std::max(1, options->seconds / int(options->links.size()));
    bool passed = true;
    for (const QString& link : options->links) {
        passed = soak(link, perLink, options->operatorSeed) && passed;
    }
    std::printf("%s soak %s\n", options->operatorSeed ? "operator" : "fault",
                passed ? "passed" : "FAILED");
    return passed ? 0 : 1;
}
