#include "records/traffic_log_window.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSaveFile>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/widgets/accessibility.h"

namespace zov::records {
namespace {

QString askForFile(QWidget* parent, const QString& suggestion) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Traffic Log"), suggestion,
                                        QStringLiteral("Text files (*.txt);;All files (*)"));
}

QPushButton* addButton(QHBoxLayout* row, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

TrafficLogWindow::TrafficLogWindow(TrafficLog& log, app::Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      log_(log),
      prompter_(prompter),
      table_(new TrafficTable(log, this)),
      chooseFile_(askForFile) {
    setObjectName(QStringLiteral("frm_TRAFFICLOG"));
    setWindowTitle(QStringLiteral("Traffic Log"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    auto* controls = new QHBoxLayout;
    pause_ = addButton(controls, "btn_PAUSE", QStringLiteral("Pause"));
    pause_->setCheckable(true);
    QPushButton* clear = addButton(controls, "btn_CLEAR", QStringLiteral("Clear"));
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"));
    filter_ = new QLineEdit;
    filter_->setObjectName(QStringLiteral("txt_FILTER"));
    filter_->setPlaceholderText(QStringLiteral("link, frame or outcome"));
    filter_->setClearButtonEnabled(true);
    filter_->setMaxLength(200);
    filterLabel->setBuddy(filter_);
    controls->addWidget(filterLabel);
    controls->addWidget(filter_, 1);
    QPushButton* saveAs = addButton(controls, "btn_SAVEAS", QStringLiteral("Save As..."));

    view_ = new QTreeView;
    view_->setObjectName(QStringLiteral("lst_TRAFFIC"));
    view_->setAccessibleName(QStringLiteral("Traffic"));
    view_->setModel(table_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);  // keeps a view of a full log cheap
    view_->setAlternatingRowColors(true);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setTextElideMode(Qt::ElideMiddle);  // a device path tells most at its end
    QFont fixed = view_->font();
    fixed.setFamily(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::Monospace);
    view_->setFont(fixed);
    QHeaderView* header = view_->header();
    header->setStretchLastSection(false);
    const int digit = view_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[TrafficTable::kColumns] = {14, 22, 10, 48, 12, 26};
    for (int column = 0; column < TrafficTable::kColumns; ++column) {
        header->resizeSection(column, widths[column] * digit);
    }
    header->setSectionResizeMode(TrafficTable::Frame, QHeaderView::Stretch);

    counts_ = new QLabel;
    counts_->setObjectName(QStringLiteral("lbl_COUNT"));
    saved_ = new QLabel;
    saved_->setObjectName(QStringLiteral("lbl_SAVED"));
    saved_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    saved_->setSizePolicy(QSizePolicy::Ignored,
                          QSizePolicy::Preferred);  // a long path never widens the window
    auto* footer = new QHBoxLayout;
    footer->addWidget(counts_);
    footer->addStretch(1);
    footer->addWidget(saved_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(view_, 1);
    layout->addLayout(footer);
    resize(110 * digit, 40 * view_->fontMetrics().height());

    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &TrafficLogWindow::refresh);
    filterDelay_.setSingleShot(true);
    filterDelay_.setInterval(kFilterDelayMs);
    connect(filter_, &QLineEdit::textChanged, &filterDelay_, qOverload<>(&QTimer::start));
    connect(&filterDelay_, &QTimer::timeout, this, [this] {
        table_->setFilter(filter_->text().trimmed());
        showCounts();
    });
    connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
        pause_->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        table_->setPaused(paused);
        if (!paused) {
            view_->scrollToBottom();
        }
        showCounts();
    });
    connect(clear, &QPushButton::clicked, this, &TrafficLogWindow::clearLog);
    connect(saveAs, &QPushButton::clicked, this, &TrafficLogWindow::saveAs);

    showCounts();
    app::applyProtocolNames(this);
}

void TrafficLogWindow::refresh() {
    QScrollBar* bar = view_->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    const int before = table_->rowCount();
    table_->refresh();
    if (following && table_->rowCount() != before && !table_->isPaused()) {
        view_->scrollToBottom();
    }
    showCounts();
}

void TrafficLogWindow::showCounts() {
    QString text = QStringLiteral("%1 of %2 frames shown (the newest %3 are kept)")
                       .arg(table_->rowCount())
                       .arg(log_.size())
                       .arg(log_.capacity());
    if (table_->isPaused()) {
        text += QStringLiteral(", paused");
    }
    counts_->setText(text);
}

void TrafficLogWindow::clearLog() {
    log_.clear();
    saved_->clear();
    refresh();
}

void TrafficLogWindow::saveAs() {
    const QString suggestion = QDir::home().filePath(
        QStringLiteral("traffic-%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"))));
    const QString path = chooseFile_(this, suggestion);
    if (!path.isEmpty()) {
        saveTo(path);
    }
}

bool TrafficLogWindow::saveTo(const QString& path) {
    // Written aside and put in place at the end: a failed save leaves no
    // half-written file and never replaces a good one.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Text);
    const int rows = table_->rowCount();
    for (int row = 0; written && row < rows; ++row) {
        written = file.write(lineOf(table_->entryAt(row)).toUtf8() + '\n') >= 0;
    }
    if (!written || !file.commit()) {
        prompter_.message(QStringLiteral("The traffic log could not be saved to %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()),
                          QStringLiteral("Save As"), app::Prompter::Icon::Warning);
        return false;
    }
    saved_->setText(QStringLiteral("Saved %1 frames to %2").arg(rows).arg(path));
    return true;
}

void TrafficLogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refresh();
    view_->scrollToBottom();
    refreshTimer_.start();
}

void TrafficLogWindow::hideEvent(QHideEvent* event) {
    refreshTimer_.stop();
    QDialog::hideEvent(event);
}

}  // namespace zov::records
