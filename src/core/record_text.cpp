#include "record_text.h"

#include <cstdlib>

namespace zov::core {

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

}  // namespace zov::core
