// frm_TRAFFICLOG, "Traffic Log": every frame of the session on either link,
// newest at the bottom, with pause, clear, a filter and saving to a text
// file. It reads the log the recorder fills; while hidden it costs nothing,
// while shown it catches up a few times a second.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "app/widgets/prompter.h"
#include "records/traffic_log.h"
#include "records/traffic_table.h"

namespace zov::records {

class TrafficLogWindow : public QDialog {
    Q_OBJECT
public:
    // New rows are taken in at this pace, like the trend window's redraws:
    // each refresh repaints the rows in view, so a faster pace costs the
    // console thread several per cent of a core while polling.
    static constexpr int kRefreshMs = 500;
    // The filter is applied once typing has paused this long.
    static constexpr int kFilterDelayMs = 250;

    // Asks where to save; an empty answer cancels. The real one is a file
    // dialog; tests put their own here.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggestion)>;

    TrafficLogWindow(TrafficLog& log, app::Prompter& prompter, QWidget* parent = nullptr);

    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // Writes the rows shown to `path`; a failure is told in a message box.
    bool saveTo(const QString& path);

    // Brings the rows up to date now (the refresh timer does it while shown).
    void refresh();
    TrafficTable& table() { return *table_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void saveAs();
    void clearLog();
    void showCounts();

    TrafficLog& log_;
    app::Prompter& prompter_;
    TrafficTable* table_;
    QTreeView* view_;
    QPushButton* pause_;
    QLineEdit* filter_;
    QLabel* counts_;
    QLabel* saved_;
    QTimer refreshTimer_;
    QTimer filterDelay_;
    FileChooser chooseFile_;
};

}  // namespace zov::records
