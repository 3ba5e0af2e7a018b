// The trend view of the View menu: its store listens from start-up, its
// window is a single instance opened by "Trends".
#pragma once

#include <QObject>

#include "records/trend_window.h"

namespace zov::app {
class MainWindow;
}

namespace zov::records {

class TrendView : public QObject {
    Q_OBJECT
public:
    explicit TrendView(app::MainWindow& window);

    TrendStore& store() { return store_; }
    // The loaded window, creating it hidden when none is.
    TrendWindow& trendWindow();
    // mnu_TRENDS: shows the window and brings it to the front.
    void mnu_TRENDS_Click();
    // Replaces the save dialog of the exports (tests answer it themselves).
    void setFileChooser(decltype(TrendWindow::Services::chooseFile) chooser);

    static constexpr const char* kWindowName = "frm_TRENDS";

private:
    TrendWindow::Services services();
    QWidget* loadedWindowOrMain() const;

    app::MainWindow& window_;
    TrendStore store_;
    decltype(TrendWindow::Services::chooseFile) chooser_;
};

TrendView& installTrendView(app::MainWindow& window);

}  // namespace zov::records
