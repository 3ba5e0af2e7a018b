#include "control_channel.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace zov::sim {

ControlChannel::ControlChannel(LineSink sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink)) {}

ControlChannel::~ControlChannel() {
    close();
}

bool ControlChannel::open(const QString& path, QString* error) {
    if (path == QLatin1String("-")) {
        m_fd = STDIN_FILENO;
    } else {
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::stat(name.constData(), &info) != 0) {
            if (::mkfifo(name.constData(), 0600) != 0) {
                *error = QStringLiteral("%1: %2").arg(path,
                                                      QString::fromLocal8Bit(std::strerror(errno)));
                return false;
            }
            m_createdPipe = path;
        } else if (!S_ISFIFO(info.st_mode)) {
            *error = QStringLiteral("%1 exists and is not a named pipe").arg(path);
            return false;
        }
        // Open for writing too, so the pipe never reads as ended when a writer goes.
        m_fd = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            *error =
                QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            close();
            return false;
        }
        m_ownsFd = true;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ControlChannel::readAvailable);
    return true;
}

void ControlChannel::readAvailable() {
    char buffer[4096];
    const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
    if (got > 0) {
        take(std::string_view(buffer, static_cast<std::size_t>(got)));
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        // Standard input has ended: nothing more will come.
        m_notifier->setEnabled(false);
    }
}

void ControlChannel::take(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != '\n') {
            if (m_line.size() < kMaxLine) {
                m_line += c;
            } else {
                m_overlong = true;
            }
            continue;
        }
        if (m_overlong) {
            m_sink(std::nullopt);
        } else {
            m_sink(m_line);
        }
        m_line.clear();
        m_overlong = false;
    }
}

void ControlChannel::close() {
    m_notifier.reset();
    if (m_ownsFd && m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_ownsFd = false;
    if (!m_createdPipe.isEmpty()) {
        QFile::remove(m_createdPipe);
        m_createdPipe.clear();
    }
}

}  // namespace zov::sim
