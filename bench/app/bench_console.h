// What the console benchmarks share: boxes answered at once (input boxes with
// the entries queued for them, else empty), our own dialogs
// answered with OK, and the CPU time of the calling thread.
#pragma once

#include <sys/resource.h>

#include <QDialog>
#include <QPushButton>
#include <deque>

#include "app/main_window.h"
#include "app/widgets/prompter.h"

namespace zov::bench {

class SilentPrompter : public app::Prompter {
public:
    void message(const QString&, const QString&, Icon) override {}
    bool confirm(const QString&, const QString&) override { return true; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        if (entries_.empty()) {
            return QString();
        }
        QString entry = entries_.front();
        entries_.pop_front();
        return entry;
    }
    void answerInput(const QString& entry) { entries_.push_back(entry); }

private:
    std::deque<QString> entries_;
};

// Dialogs of the window (host, baud rate) are answered with their OK button.
inline void answerDialogsWithOk(app::MainWindow& window) {
    window.modalRunner().setScript([](QDialog& dialog) {
        for (const char* name : {"ok", "OK"}) {
            if (auto* button = dialog.findChild<QPushButton*>(QLatin1String(name))) {
                button->click();
                return;
            }
        }
    });
}

inline double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace zov::bench
