// How zovctl writes: lines flushed one at a time, so a pipe or a file sees
// every line whole as soon as it is written, and a run that is ended loses
// nothing it printed; times as the session record writes them.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "core/record_text.h"

namespace zov::ctl {

using core::csvField;
using core::timestamp;

// One whole line (a newline is added) on standard output, flushed.
void writeOut(const QByteArray& line);
void writeJson(const QJsonObject& object);
// A progress line on standard error, as it is.
void writeProgress(const QString& line);
// One line on standard error: "zovctl: " and the message.
void writeError(const QString& message);

}  // namespace zov::ctl
