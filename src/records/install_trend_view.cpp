#include "install_trend_view.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include "app/main_window.h"

namespace zov::records {

TrendView::TrendView(app::MainWindow& window) : QObject(&window), window_(window) {
    setObjectName(QStringLiteral("trendView"));
    store_.follow(window.sessionEvents());
    chooser_ = [this](const QString& title, const QString& suggestedName, const QString& filter) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QFileDialog::getSaveFileName(loadedWindowOrMain(), title,
                                            QDir(folder).filePath(suggestedName), filter);
    };
    QAction* item = window.viewMenu().addAction(QStringLiteral("Trends"));
    item->setObjectName(QStringLiteral("mnu_TRENDS"));
    connect(item, &QAction::triggered, this, &TrendView::mnu_TRENDS_Click);
}

QWidget* TrendView::loadedWindowOrMain() const {
    QWidget* loaded = window_.loadedWindow(QLatin1String(kWindowName));
    return loaded != nullptr ? loaded : &window_;
}

TrendWindow& TrendView::trendWindow() {
    QWidget* loaded = window_.secondaryWindow(QLatin1String(kWindowName), [this] {
        return new TrendWindow(store_, services(), &window_);
    });
    return *static_cast<TrendWindow*>(loaded);
}

void TrendView::mnu_TRENDS_Click() {
    TrendWindow& trends = trendWindow();
    trends.show();
    trends.raise();
    trends.activateWindow();
}

void TrendView::setFileChooser(decltype(TrendWindow::Services::chooseFile) chooser) {
    chooser_ = std::move(chooser);
}

TrendWindow::Services TrendView::services() {
    TrendWindow::Services services;
    // Through this object, so a chooser set after the window opened is used.
    services.chooseFile = [this](const QString& title, const QString& name, const QString& filter) {
        return chooser_(title, name, filter);
    };
    // Shown once the running exchange (if any) is over, so a message box
    // never holds a reply wait open.
    services.report = [this](const QString& text) {
        window_.exchange().whenIdle(this, [this, text] {
            window_.prompter().message(text, QStringLiteral("Trends"),
                                       app::Prompter::Icon::Warning);
        });
    };
    return services;
}

TrendView& installTrendView(app::MainWindow& window) {
    return *new TrendView(window);
}

}  // namespace zov::records
