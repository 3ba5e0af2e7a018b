// The console with its identity and supply areas installed, on the simulated
// supply over either link.
#pragma once

#include <QLineEdit>

#include "app/identity_area.h"
#include "app/reply_field.h"
#include "console_rig.h"
#include "core/scaling.h"
#include "supply/supply_areas.h"
#include "supply/update_cycle.h"

namespace zov::test {

struct SupplyRig : ConsoleRig {
    explicit SupplyRig(Supply supply = Supply::Simulated)
        : ConsoleRig(supply),
          identity(app::installIdentityArea(*window)),
          areas(supply::installSupplyAreas(*window, identity)) {}

    // Opens the pseudo-terminal (COMM1) or the TCP link, goes back to manual
    // update (a link choice starts the automatic one), has the unit give its
    // scale on it unless told not to, and forgets what was sent so far.
    void choose(bool tcp, bool unitGivesScale = true) {
        if (tcp) {
            window->linkSelection().mnu_ethernet_Click();
            QCOMPARE(state().portType, QStringLiteral("ethernet"));
        } else {
            window->linkSelection().mnu_comm1_Click();
        }
        goManual();
        if (unitGivesScale) {
            window->supply().readScaling();
        } else {
            core::forgetUnitScales(state());
        }
        sim.clearCommands();
    }
    void goManual() {
        areas.updateCycle->mnu_MANUAL_Click();
        settle(20);  // the reply of a keep-alive sent just before, if any
        sim.clearCommands();
    }

    QLineEdit* field(const char* name) const {
        auto* field = window->findChild<QLineEdit*>(QLatin1String(name));
        if (field == nullptr) {
            qFatal("no field %s", name);
        }
        return field;
    }

    // Replies come in two halves, the second long after the reply time limit,
    // so the console gets the first half only.
    void cutRepliesShort() {
        sim.faults().splitPieces = 2;
        sim.faults().splitGap = std::chrono::milliseconds(2 * kReplyLimitMs);
    }
    // Lets the late pieces arrive and be discarded, then answers whole again.
    void answerWhole() {
        const auto& faults = sim.faults();
        settle(static_cast<int>(faults.splitGap.count()) * (faults.splitPieces - 1) + 100);
        sim.faults() = {};
    }

    // The background timers the last exchange should have restarted.
    bool receiveTimersRunning() {
        return state().portType == QLatin1String("ethernet") ? exchange().netPollEnabled()
                                                             : exchange().tmr_RCVTIMER().isActive();
    }

    app::IdentityArea& identity;
    supply::SupplyAreas areas;
};

inline QColor background(const QLineEdit* field) {
    return app::fieldBackground(field);
}

}  // namespace zov::test
