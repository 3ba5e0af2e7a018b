// How the console shows its own modal dialogs (host, USB, baud rates). Tests
// replace the runner with a script that fills in and answers the dialog, so no
// test has to find a modal window on screen.
#pragma once

#include <QDialog>
#include <functional>

namespace zov::app {

class ModalRunner {
public:
    using Script = std::function<void(QDialog&)>;

    // Shows `dialog` modally and returns when it is closed.
    void run(QDialog& dialog) const {
        if (script_) {
            script_(dialog);
        } else {
            dialog.exec();
        }
    }
    void setScript(Script script) { script_ = std::move(script); }

private:
    Script script_;
};

}  // namespace zov::app
