#include "command_log.h"

#include <QDateTime>
#include <QFileDevice>

namespace zov::sim {

CommandLog::CommandLog(Simulator& sim, QIODevice& device, QObject* parent)
    : QObject(parent), m_device(device) {
    connect(&sim, &Simulator::handled, this,
            [this](const Handling& handling) { note(describe(handling)); });
}

void CommandLog::note(std::string_view text) {
    const QByteArray time =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    m_device.write(time + ' ' + QByteArray(text.data(), static_cast<qsizetype>(text.size())) +
                   '\n');
    if (auto* file = qobject_cast<QFileDevice*>(&m_device)) {
        file->flush();
    }
}

}  // namespace zov::sim
