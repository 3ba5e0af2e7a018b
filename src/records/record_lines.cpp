#include "record_lines.h"

#include <cstdlib>

#include "protocol/numbers.h"

namespace zov::records {
namespace {

QByteArray line(const QDateTime& when, const QString& event, const QString& variable,
                const QString& value, const QString& detail) {
    return csvField(timestamp(when)) + ',' + csvField(event) + ',' + csvField(variable) + ',' +
           csvField(value) + ',' + csvField(detail.left(kDetailLimit)) + '\n';
}

}  // namespace

QByteArray headerLine() {
    return QByteArrayLiteral("time,event,variable,value,detail\n");
}

QByteArray csvField(const QString& text) {
    QByteArray field = text.toUtf8();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') &&
        !field.contains('\r')) {
        return field;
    }
    field.replace('"', QByteArrayLiteral("\"\""));
    return '"' + field + '"';
}

QString timestamp(const QDateTime& when) {
    // With its offset, so a record read in another time zone, or across a
    // change to summer time, still says when; in UTC too ("+00:00", not the
    // "Z" of Qt's ISO form), so every line has the one form.
    const int offset = when.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return when.toOffsetFromUtc(offset).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString eventName(core::SupplyEvent kind) {
    switch (kind) {
        case core::SupplyEvent::LinkChosen:
            return QStringLiteral("link chosen");
        case core::SupplyEvent::LinkLost:
            return QStringLiteral("link lost");
        case core::SupplyEvent::SetpointProgrammed:
            return QStringLiteral("setpoint programmed");
        case core::SupplyEvent::XrayRequested:
            return QStringLiteral("X-ray requested");
        case core::SupplyEvent::XrayAcknowledged:
            return QStringLiteral("X-ray acknowledged");
        case core::SupplyEvent::StatusChanged:
            return QStringLiteral("status changed");
        case core::SupplyEvent::FaultChanged:
            return QStringLiteral("fault changed");
        case core::SupplyEvent::InterlockChanged:
            return QStringLiteral("interlock changed");
        case core::SupplyEvent::ArcCounted:
            return QStringLiteral("arc counted");
        case core::SupplyEvent::SeasoningStep:
            return QStringLiteral("seasoning step");
        case core::SupplyEvent::ReadingsStale:
            return QStringLiteral("stale");
        case core::SupplyEvent::ReadingsFresh:
            return QStringLiteral("fresh");
        case core::SupplyEvent::Error:
            break;
    }
    return QStringLiteral("error");
}

QByteArray readingLine(const QDateTime& when, const QString& variable, double value) {
    return line(when, QStringLiteral("reading"), variable,
                QString::fromStdString(protocol::plainNumber(value)), {});
}

QByteArray eventLine(const QDateTime& when, core::SupplyEvent kind, const QString& detail) {
    return line(when, eventName(kind), {}, {}, detail);
}

QByteArray noteLine(const QDateTime& when, const QString& event, const QString& detail) {
    return line(when, event, {}, {}, detail);
}

}  // namespace zov::records
