#include "output.h"

#include <QJsonDocument>
#include <cstdio>

namespace zov::ctl {

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
