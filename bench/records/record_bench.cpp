// What a session record costs the thread that announces: the time of one
// announcement (a monitor reading) with nobody listening and with the record
// writing its line, median, 99th percentile and longest. Prints; asserts
// nothing. Usage: zov-record-bench [lines, default 100000] [folder, default temp]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "records/session_record.h"

namespace {

struct Figures {
    double median = 0;
    double p99 = 0;
    double longest = 0;
};

Figures announce(zov::core::SessionEvents& events, int lines) {
    std::vector<double> us(static_cast<std::size_t>(lines));
    QElapsedTimer clock;
    for (int i = 0; i < lines; ++i) {
        clock.start();
        emit events.monitorRead(QStringLiteral("KV_MON"), 30.007 + i);
        us[static_cast<std::size_t>(i)] = double(clock.nsecsElapsed()) / 1000;
    }
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 99 / 100], us.back()};
}

void print(const char* what, const Figures& figures) {
    std::printf("  %-28s median %7.2f us, p99 %7.2f us, longest %8.1f us\n", what, figures.median,
                figures.p99, figures.longest);
}

}  // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const int lines = argc > 1 ? std::max(100, std::atoi(argv[1])) : 100000;
    QTemporaryDir temporary(argc > 2 ? QDir(QString::fromLocal8Bit(argv[2])).filePath("XXXXXX")
                                     : QDir::temp().filePath("zov-record-bench-XXXXXX"));
    if (!temporary.isValid()) {
        std::fprintf(stderr, "cannot make a folder for the record\n");
        return 1;
    }
    std::printf("One monitor reading announced, %d times:\n", lines);
    zov::core::SessionEvents events;
    print("nobody listening", announce(events, lines));
    zov::records::SessionRecord record(events);
    const QString path = temporary.filePath(QStringLiteral("bench.csv"));
    if (const auto problem = record.start(path)) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    print("recorded, one line each", announce(events, lines));
    record.stop();
    std::printf("  record: %lld bytes in %s\n", static_cast<long long>(QFileInfo(path).size()),
                qPrintable(QDir::toNativeSeparators(path)));
    return 0;
}
