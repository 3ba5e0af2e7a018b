// The lines of a session record: comma-separated, one event a line, with
// the local time of the event (ISO 8601, milliseconds, offset from UTC).
//
//     time,event,variable,value,detail
//     2026-12-08T14:30:00.066+01:00,reading,KV_MON,40.012,
//     2026-12-08T14:30:01.210+01:00,setpoint programmed,,,VREF 2048; acknowledged
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "core/record_text.h"
#include "core/session_events.h"

namespace zov::records {

// A detail longer than this is cut, so no line grows without bound.
inline constexpr int kDetailLimit = 512;

[[nodiscard]] QByteArray headerLine();
using core::csvField;
using core::timestamp;
[[nodiscard]] QString eventName(core::SupplyEvent kind);

[[nodiscard]] QByteArray readingLine(const QDateTime& when, const QString& variable, double value);
[[nodiscard]] QByteArray eventLine(const QDateTime& when, core::SupplyEvent kind,
                                   const QString& detail);
// The record's own beginning and end ("recording started", "recording stopped").
[[nodiscard]] QByteArray noteLine(const QDateTime& when, const QString& event,
                                  const QString& detail);

}  // namespace zov::records
