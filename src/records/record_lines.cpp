#include "record_lines.h"

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
    // change to summer time, still says when.
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString eventName(app::SupplyEvent kind) {
    switch (kind) {
        case app::SupplyEvent::LinkChosen:
            return QStringLiteral("link chosen");
        case app::SupplyEvent::LinkLost:
            return QStringLiteral("link lost");
        case app::SupplyEvent::SetpointProgrammed:
            return QStringLiteral("setpoint programmed");
        case app::SupplyEvent::XrayRequested:
            return QStringLiteral("X-ray requested");
        case app::SupplyEvent::XrayAcknowledged:
            return QStringLiteral("X-ray acknowledged");
        case app::SupplyEvent::StatusChanged:
            return QStringLiteral("status changed");
        case app::SupplyEvent::FaultChanged:
            return QStringLiteral("fault changed");
        case app::SupplyEvent::InterlockChanged:
            return QStringLiteral("interlock changed");
        case app::SupplyEvent::ArcCounted:
            return QStringLiteral("arc counted");
        case app::SupplyEvent::SeasoningStep:
            return QStringLiteral("seasoning step");
        case app::SupplyEvent::ReadingsStale:
            return QStringLiteral("stale");
        case app::SupplyEvent::ReadingsFresh:
            return QStringLiteral("fresh");
        case app::SupplyEvent::Error:
            break;
    }
    return QStringLiteral("error");
}

QByteArray readingLine(const QDateTime& when, const QString& variable, double value) {
    return line(when, QStringLiteral("reading"), variable,
                QString::fromStdString(protocol::plainNumber(value)), {});
}

QByteArray eventLine(const QDateTime& when, app::SupplyEvent kind, const QString& detail) {
    return line(when, eventName(kind), {}, {}, detail);
}

QByteArray noteLine(const QDateTime& when, const QString& event, const QString& detail) {
    return line(when, event, {}, {}, detail);
}

}  // namespace zov::records
