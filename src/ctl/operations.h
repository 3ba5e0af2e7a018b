// The one-shot commands of zovctl: each runs the supply's operations in the
// console's order and says what came of them, for a person (lines), for a
// program (one JSON object) and as an exit code.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "core/supply.h"
#include "ctl/invocation.h"

namespace zov::ctl {

struct Result {
    int exitCode = kExitDone;
    QJsonObject json;
    QStringList lines;
    QString error;  // one line; empty when all went well
};

// Everything but help, version and watch; the link is open.
[[nodiscard]] Result runOperation(const Invocation& invocation, core::Supply& supply);

// The word that names `command` on the command line and in JSON.
[[nodiscard]] QString commandWord(Command command);

// The exit code for what came of a command.
[[nodiscard]] int exitCodeFor(core::Answer answer);

}  // namespace zov::ctl
