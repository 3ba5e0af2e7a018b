#include "pty_server.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <array>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zov::sim {
namespace {

// How long reading pauses after the pty reports a hang-up or an error, so a
// persistent condition does not spin the event loop.
constexpr int kReadPauseMs = 100;

constexpr std::array<std::pair<speed_t, int>, 9> kSpeeds{{{B1200, 1200},
                                                          {B2400, 2400},
                                                          {B4800, 4800},
                                                          {B9600, 9600},
                                                          {B19200, 19200},
                                                          {B38400, 38400},
                                                          {B57600, 57600},
                                                          {B115200, 115200},
                                                          {B230400, 230400}}};

// A UART at the wrong speed sees framing errors and bytes that are none of
// the ones sent: here every byte comes out with its top bit set, so no STX,
// ETX, CR or LF survives.
std::string garbled(std::string_view bytes) {
    std::string noise(bytes);
    for (char& c : noise) {
        c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    }
    return noise;
}

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtyServer::PtyServer(CommandSink sink, SpeedToMatch speedToMatch, NoiseSink noise, QObject* parent)
    : QObject(parent),
      m_sink(std::move(sink)),
      m_speedToMatch(std::move(speedToMatch)),
      m_noise(std::move(noise)),
      m_outbox([this](std::string_view bytes) { write(bytes); }, this) {}

PtyServer::~PtyServer() {
    close();
}

bool PtyServer::open(const QString& linkPath, int baud, QString* error) {
    auto fail = [&](const QString& message) {
        *error = message;
        close();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) {
        return fail(systemError("pseudo-terminal"));
    }
    const char* name = ::ptsname(m_master);
    if (name == nullptr) {
        return fail(systemError("ptsname"));
    }
    m_device = QString::fromLocal8Bit(name);
    // Raw before anyone else opens it: no echo, no line editing, no CR/LF
    // translation, all eight bits.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &settings) != 0) {
        return fail(systemError("pseudo-terminal device"));
    }
    ::cfmakeraw(&settings);
    const auto speed = std::find_if(kSpeeds.begin(), kSpeeds.end(),
                                    [baud](const auto& entry) { return entry.second == baud; });
    if (speed != kSpeeds.end()) {
        ::cfsetspeed(&settings, speed->first);
    }
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0) {
        return fail(systemError("raw mode"));
    }
    const QByteArray link = linkPath.toLocal8Bit();
    if (QFileInfo(linkPath).isSymLink()) {
        ::unlink(link.constData());
    }
    if (::symlink(name, link.constData()) != 0) {
        return fail(systemError(link.constData()));
    }
    m_link = linkPath;
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read, this);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyServer::readAvailable);
    return true;
}

void PtyServer::readAvailable() {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_master, buffer, sizeof buffer);
        if (got > 0) {
            receive(std::string_view(buffer, static_cast<std::size_t>(got)));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got == 0 || errno != EAGAIN) {
            m_notifier->setEnabled(false);
            QTimer::singleShot(kReadPauseMs, m_notifier.get(),
                               [notifier = m_notifier.get()] { notifier->setEnabled(true); });
        }
        return;
    }
}

void PtyServer::receive(std::string_view bytes) {
    if (speedsDisagree()) {
        m_reader = FrameReader(Link::Serial);
        m_noise(bytes, hostBaud());
        return;
    }
    for (const std::string& command : m_reader.feed(bytes)) {
        m_sink(command, m_outbox);
    }
}

// A serial line does not wait for its listener: what the pty cannot take now
// is lost, as on a wire nobody reads.
void PtyServer::write(std::string_view bytes) {
    const std::string noise = speedsDisagree() ? garbled(bytes) : std::string();
    if (!noise.empty()) {
        bytes = noise;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_master, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

int PtyServer::hostBaud() const {
    termios settings{};
    if (::tcgetattr(m_master, &settings) != 0) {
        return 0;
    }
    const speed_t speed = ::cfgetospeed(&settings);
    const auto found = std::find_if(kSpeeds.begin(), kSpeeds.end(),
                                    [speed](const auto& entry) { return entry.first == speed; });
    return found == kSpeeds.end() ? 0 : found->second;
}

bool PtyServer::speedsDisagree() const {
    const int unit = m_speedToMatch();
    return unit > 0 && hostBaud() != unit;
}

void PtyServer::close() {
    m_notifier.reset();
    if (!m_link.isEmpty() && QFileInfo(m_link).symLinkTarget() == m_device) {
        ::unlink(m_link.toLocal8Bit().constData());
    }
    m_link.clear();
    for (int* fd : {&m_slave, &m_master}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

}  // namespace zov::sim
