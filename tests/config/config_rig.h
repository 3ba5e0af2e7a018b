// The console with its configuration items installed, on the simulated
// supply, with a way to work a modal service window while it is open.
#pragma once

#include <QDialog>
#include <functional>

#include "config/configuration.h"
#include "supply_rig.h"

namespace zov::test {

struct ConfigRig : SupplyRig {
    ConfigRig() {
        config::installConfiguration(*window, identity, areas);
        // The scale as at start, unread: the entries that need it say so.
        choose(false, false);
        dialogsShown.clear();  // the baud-rate dialog of COMM1
    }

    // A command whose reply the console leaves unread is answered before
    // the next exchange starts, as it is before an operator's next click.
    void letUnitAnswer(qsizetype commandsSent) {
        QTRY_COMPARE(sim.commands().size(), commandsSent);
    }

    // The next modal window is shown and handed to `work` as the window
    // class it is; the console unloads it when `work` returns.
    template <typename Window>
    void whileOpen(std::function<void(Window&)> work) {
        dialogScript = [work = std::move(work)](QDialog& dialog) {
            dialog.show();
            auto* window = qobject_cast<Window*>(&dialog);
            QVERIFY2(window != nullptr, qPrintable(dialog.objectName()));
            work(*window);
        };
    }

    void trigger(const char* item) {
        QAction* action = this->item(item);
        QVERIFY2(action != nullptr && action->isEnabled(), item);
        action->trigger();
    }

    // Message boxes shown, as "title: text".
    QStringList messages() const {
        QStringList shown;
        for (const auto& box : prompter.shown()) {
            if (box.kind == ScriptedPrompter::Kind::Message) {
                shown << box.title + QStringLiteral(": ") + box.text;
            }
        }
        return shown;
    }
};

}  // namespace zov::test
