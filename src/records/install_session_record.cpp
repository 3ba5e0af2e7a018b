#include "install_session_record.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include "app/main_window.h"
#include "app/widgets/file_dialog.h"

namespace zov::records {
namespace {

const QString kTitle = QStringLiteral("Session Record");

std::optional<QString> askWithDialog(QWidget* parent) {
    const QString suggested = QDir::home().filePath(QDateTime::currentDateTime().toString(
        QStringLiteral("'zov-session-'yyyyMMdd-HHmmss'.csv'")));
    return app::askForCsvFile(parent, QStringLiteral("Record to File"),
                              QStringLiteral("Session records"), QFileDialog::AcceptSave,
                              suggested);
}

}  // namespace

SessionRecorder::SessionRecorder(app::MainWindow& window)
    : QObject(&window), window_(window), record_(window.sessionEvents(), this) {
    setObjectName(QStringLiteral("sessionRecorder"));
    QMenu& view = window_.viewMenu();
    start_ = view.addAction(QStringLiteral("Record to File..."));
    start_->setObjectName(QStringLiteral("mnu_RecordToFile"));
    stop_ = view.addAction(QStringLiteral("Stop Recording"));
    stop_->setObjectName(QStringLiteral("mnu_StopRecording"));
    connect(start_, &QAction::triggered, this, &SessionRecorder::mnu_RecordToFile_Click);
    connect(stop_, &QAction::triggered, this, &SessionRecorder::mnu_StopRecording_Click);
    connect(&record_, &SessionRecord::recordingChanged, this, &SessionRecorder::showState);
    connect(&record_, &SessionRecord::failed, this, &SessionRecorder::reportFailure);
    showState(false);
}

void SessionRecorder::setPathChooser(RecordPathChooser chooser) {
    chooser_ = std::move(chooser);
}

void SessionRecorder::mnu_RecordToFile_Click() {
    const std::optional<QString> path = chooser_ ? chooser_(&window_) : askWithDialog(&window_);
    if (!path || path->isEmpty()) {
        return;
    }
    if (const auto problem = record_.start(*path)) {
        window_.prompter().message(*problem + QStringLiteral("\nNothing is being recorded."),
                                   kTitle, app::Prompter::Icon::Warning);
    }
}

void SessionRecorder::mnu_StopRecording_Click() {
    record_.stop();
}

void SessionRecorder::showState(bool on) {
    start_->setEnabled(!on);
    stop_->setEnabled(on);
    window_.statusBar1().setIndicator(
        on ? QStringLiteral("Recording: ") + QFileInfo(record_.path()).fileName() : QString(),
        on ? QDir::toNativeSeparators(record_.path()) : QString());
}

void SessionRecorder::reportFailure(const QString& reason) {
    // The write failed inside some area's handler: the message waits until
    // that handler and any reply wait are over.
    QTimer::singleShot(0, this, [this, reason] {
        window_.exchange().whenIdle(this, [this, reason] {
            window_.prompter().message(
                reason + QStringLiteral("\nThe recording stopped; the lines written before "
                                        "are in the file."),
                kTitle, app::Prompter::Icon::Warning);
        });
    });
}

SessionRecorder& installSessionRecord(app::MainWindow& window) {
    return *new SessionRecorder(window);
}

}  // namespace zov::records
