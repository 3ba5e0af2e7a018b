// The session record: while on, every monitor reading and supply event the
// session announces becomes one line of a CSV file, written to the system
// as it happens, so a crash of the console loses at most the line being
// written. A write that fails (a full disk, a removed file or directory)
// ends the recording with the file cut back to its last whole line; the
// console and the exchange go on.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "core/session_events.h"

namespace zov::records {

class SessionRecord : public QObject {
    Q_OBJECT
public:
    // Written data is handed to the disk itself at most this long after it
    // was written, so a power cut loses at most this much.
    static constexpr int kDiskSyncMs = 1000;

    explicit SessionRecord(core::SessionEvents& events, QObject* parent = nullptr);
    ~SessionRecord() override;

    // Starts a new record at `path` (an existing file is replaced); the
    // reason when it cannot be started, and then nothing is recording.
    std::optional<QString> start(const QString& path);
    // Ends the record with a last line; nothing when none is on.
    void stop();

    [[nodiscard]] bool recording() const { return file_.isOpen(); }
    [[nodiscard]] QString path() const { return path_; }

    // Tests fix the clock here.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

signals:
    void recordingChanged(bool on);
    // A write failed and the recording stopped; `reason` tells the operator why.
    void failed(const QString& reason);

private:
    // False when the line could not be written whole; what went of it is
    // cut off again, so a reader never meets a torn last row.
    bool write(const QByteArray& line);
    void record(const QByteArray& line);
    void syncToDisk();
    // The reason when the system could not put the written data on the disk.
    [[nodiscard]] std::optional<QString> syncData();
    void fail(const QString& reason);
    // The last line, and the file closed.
    void finish();
    void close();

    QFile file_;
    QString path_;
    QString writeError_;     // why the last failed write failed
    qint64 wholeLines_ = 0;  // bytes of the file that are complete lines
    QTimer diskSync_;
    bool unsynced_ = false;
    std::function<QDateTime()> clock_;
};

}  // namespace zov::records
