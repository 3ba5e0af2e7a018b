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
