#include "session_record.h"

#include <QDir>
#include <QFileInfo>

#include "records/record_lines.h"

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zov::records {
namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

SessionRecord::SessionRecord(core::SessionEvents& events, QObject* parent)
    : QObject(parent), clock_([] { return QDateTime::currentDateTime(); }) {
    diskSync_.setObjectName(QStringLiteral("tmr_RECORDSYNC"));
    diskSync_.setInterval(kDiskSyncMs);
    diskSync_.setTimerType(Qt::VeryCoarseTimer);
    connect(&diskSync_, &QTimer::timeout, this, &SessionRecord::syncToDisk);
    connect(&events, &core::SessionEvents::monitorRead, this,
            [this](const QString& variable, double value) {
                record(readingLine(clock_(), variable, value));
            });
    connect(&events, &core::SessionEvents::supplyEvent, this,
            [this](core::SupplyEvent kind, const QString& detail) {
                record(eventLine(clock_(), kind, detail));
            });
}

// Whoever listened may be gone already: the record ends without a word.
SessionRecord::~SessionRecord() {
    finish();
}

std::optional<QString> SessionRecord::start(const QString& path) {
    stop();
    file_.setFileName(path);
    // Unbuffered: each line goes to the system in one write of its own, so
    // it is in the file once the write returns, whatever becomes of the console.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const QString reason =
            QStringLiteral("Cannot record to %1: %2").arg(shown(path), file_.errorString());
        return reason;
    }
    path_ = QFileInfo(path).absoluteFilePath();
    wholeLines_ = 0;
    if (!write(headerLine()) ||
        !write(noteLine(clock_(), QStringLiteral("recording started"), {}))) {
        const QString reason =
            QStringLiteral("Cannot record to %1: %2").arg(shown(path), writeError_);
        close();
        return reason;
    }
    diskSync_.start();
    emit recordingChanged(true);
    return std::nullopt;
}

void SessionRecord::stop() {
    if (recording()) {
        finish();
        emit recordingChanged(false);
    }
}

void SessionRecord::finish() {
    if (recording()) {
        (void)write(noteLine(clock_(), QStringLiteral("recording stopped"), {}));
        (void)syncData();
        close();
    }
}

bool SessionRecord::write(const QByteArray& line) {
    errno = 0;
    if (file_.write(line) != line.size()) {
        // A write cut short leaves the file's own error text empty; the
        // system's reason is in errno.
        const int reason = errno;
        writeError_ =
            reason != 0 ? QString::fromLocal8Bit(std::strerror(reason)) : file_.errorString();
        // Shrinking needs no room on the disk, so this works when it is full.
        (void)file_.resize(wholeLines_);
        return false;
    }
    wholeLines_ += line.size();
    unsynced_ = true;
    return true;
}

void SessionRecord::record(const QByteArray& line) {
    if (!recording()) {
        return;
    }
    if (!write(line)) {
        fail(QStringLiteral("Writing to %1 failed: %2").arg(shown(path_), writeError_));
    } else if (!QFileInfo::exists(path_)) {
        // A removed file (or its folder) still takes writes, into nothing anyone can read.
        fail(QStringLiteral("%1 is no longer there: it or its folder was removed.")
                 .arg(shown(path_)));
    }
}

void SessionRecord::syncToDisk() {
    if (const auto problem = syncData()) {
        fail(QStringLiteral("Writing to %1 failed: %2").arg(shown(path_), *problem));
    }
}

std::optional<QString> SessionRecord::syncData() {
    if (!unsynced_ || !file_.isOpen()) {
        return std::nullopt;
    }
    unsynced_ = false;
#ifdef Q_OS_UNIX
    // Some file systems only find out at this point that the disk is full.
    if (::fdatasync(file_.handle()) != 0 && errno != EINVAL) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
#endif
    return std::nullopt;
}

void SessionRecord::fail(const QString& reason) {
    close();
    emit recordingChanged(false);
    emit failed(reason);
}

void SessionRecord::close() {
    diskSync_.stop();
    file_.close();
    unsynced_ = false;
}

}  // namespace zov::records
