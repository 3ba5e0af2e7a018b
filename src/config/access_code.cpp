#include "access_code.h"

#include "app/main_window.h"

namespace zov::config {

bool askAccessCode(app::MainWindow& window, const QString& prompt, const QString& code,
                   const QString& title) {
    return window.prompter().input(prompt, title).value_or(QString()) == code;
}

bool unlockUnit(app::MainWindow& window, const QString& code) {
    if (!askAccessCode(window, QStringLiteral("Enter Key to UnLock:"), code)) {
        return false;
    }
    (void)window.supply().sendAccessCode(code);
    return true;
}

}  // namespace zov::config
