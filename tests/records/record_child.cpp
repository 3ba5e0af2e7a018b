// Records readings as fast as it can until it is killed. After each burst it
// tells on stderr (unbuffered) how many readings it has handed to the record,
// so whoever kills it knows what the file must hold.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "records/session_record.h"

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zov_record_child <file>\n");
        return 2;
    }
    zov::core::SessionEvents events;
    zov::records::SessionRecord record(events);
    if (const auto problem = record.start(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    constexpr int kBurst = 100;
    long long readings = 0;
    QTimer burst;
    QObject::connect(&burst, &QTimer::timeout, [&] {
        for (int i = 0; i < kBurst; ++i) {
            ++readings;
            emit events.monitorRead(QStringLiteral("KV_MON"), double(readings));
        }
        std::fprintf(stderr, "%lld\n", readings);
    });
    burst.start(0);
    return QCoreApplication::exec();
}
