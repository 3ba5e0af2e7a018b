// "Record to File..." and "Stop Recording" in the View menu, and the status
// bar's indicator while a session record is on. Off until the operator
// starts it; a failed write stops it with a message shown once no exchange
// is waiting.
#pragma once

#include <QAction>
#include <QObject>
#include <functional>
#include <optional>

#include "records/session_record.h"

namespace zov::app {
class MainWindow;
}

namespace zov::records {

// Where a new record goes; nothing when the operator cancels. The console
// asks with a file dialog; tests answer with a path.
using RecordPathChooser = std::function<std::optional<QString>(QWidget* parent)>;

class SessionRecorder : public QObject {
    Q_OBJECT
public:
    explicit SessionRecorder(app::MainWindow& window);

    void mnu_RecordToFile_Click();
    void mnu_StopRecording_Click();

    SessionRecord& record() { return record_; }
    QAction* mnu_RecordToFile() const { return start_; }
    QAction* mnu_StopRecording() const { return stop_; }
    // An empty chooser restores the file dialog.
    void setPathChooser(RecordPathChooser chooser);

private:
    void showState(bool on);
    void reportFailure(const QString& reason);

    app::MainWindow& window_;
    SessionRecord record_;
    QAction* start_;
    QAction* stop_;
    RecordPathChooser chooser_;
};

SessionRecorder& installSessionRecord(app::MainWindow& window);

}  // namespace zov::records
