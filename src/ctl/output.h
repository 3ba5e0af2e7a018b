// How zovctl writes: lines flushed one at a time, so a pipe or a file sees
// every line whole as soon as it is written, and a run that is ended loses
// nothing it printed; times as the session record writes them.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace zov::ctl {

// Local time, ISO 8601 with milliseconds and the offset from UTC.
[[nodiscard]] QString timestamp(const QDateTime& when);
// One CSV field: quoted (quotes doubled) when it holds a comma, a quote or a
// line break, else as it is.
[[nodiscard]] QByteArray csvField(const QString& text);

// One whole line (a newline is added) on standard output, flushed.
void writeOut(const QByteArray& line);
void writeJson(const QJsonObject& object);
// A progress line on standard error, as it is.
void writeProgress(const QString& line);
// One line on standard error: "zovctl: " and the message.
void writeError(const QString& message);

}  // namespace zov::ctl
