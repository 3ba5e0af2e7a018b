// How times and fields are written wherever the console and zovctl write
// lines for other programs (session record, trend CSV, zovctl's watch): one
// form everywhere, so a reader of one reads them all.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zov::core {

// One field as CSV: quoted (quotes doubled) when it holds a comma, a quote
// or a line break, else as it is.
[[nodiscard]] QByteArray csvField(const QString& text);
// Local time, ISO 8601 with milliseconds and the offset from UTC:
// 2026-12-08T14:30:00.066+01:00; in UTC too the offset, +00:00.
[[nodiscard]] QString timestamp(const QDateTime& when);

}  // namespace zov::core
