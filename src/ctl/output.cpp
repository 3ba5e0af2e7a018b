#include "output.h"

#include <QJsonDocument>
#include <cstdio>

namespace zov::ctl {

QString timestamp(const QDateTime& when) {
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODateWithMs);
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

void writeOut(const QByteArray& line) {
    const QByteArray whole = line + '\n';
    std::fwrite(whole.constData(), 1, static_cast<std::size_t>(whole.size()), stdout);
    std::fflush(stdout);
}

void writeJson(const QJsonObject& object) {
    writeOut(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void writeProgress(const QString& line) {
    const QByteArray whole = line.toUtf8() + '\n';
    std::fwrite(whole.constData(), 1, static_cast<std::size_t>(whole.size()), stderr);
    std::fflush(stderr);
}

void writeError(const QString& message) {
    QString line = message;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    const QByteArray whole = "zovctl: " + line.toUtf8() + '\n';
    std::fwrite(whole.constData(), 1, static_cast<std::size_t>(whole.size()), stderr);
    std::fflush(stderr);
}

}  // namespace zov::ctl
