// The unit's transmitter on one link: writes pieces of replies in order, each
// after its delay, optionally paced at a serial baud rate. Never blocks:
// waits are single-shot timers on the owner's event loop.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/shape.h"

namespace zov::sim {

class Outbox : public QObject {
    Q_OBJECT

public:
    using Writer = std::function<void(std::string_view bytes)>;

    explicit Outbox(Writer writer, QObject* parent = nullptr);

    // Wire time of one byte; 0 writes each piece in one call as soon as it is due.
    void setByteTime(std::chrono::nanoseconds perByte) { m_byteTime = perByte; }

    // Queued behind whatever is still waiting, so replies never interleave.
    void send(std::vector<Piece> pieces);

private:
    struct Pending {
        Piece piece;
        std::optional<std::chrono::nanoseconds> due;
    };

    void pump();
    [[nodiscard]] std::size_t nextChunk(const Pending& pending) const;
    [[nodiscard]] std::chrono::nanoseconds now() const;

    Writer m_write;
    std::chrono::nanoseconds m_byteTime{0};
    std::deque<Pending> m_queue;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

}  // namespace zov::sim
