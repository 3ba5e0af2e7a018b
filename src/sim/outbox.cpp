#include "outbox.h"

#include <algorithm>

namespace zov::sim {
namespace {

// A paced piece goes out in chunks of about this much wire time, the finest
// step a timer can keep.
constexpr std::chrono::nanoseconds kChunkTime = std::chrono::milliseconds(1);

}  // namespace

Outbox::Outbox(Writer writer, QObject* parent)
    : QObject(parent), m_write(std::move(writer)), m_timer(this) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Outbox::pump);
    m_clock.start();
}

void Outbox::send(std::vector<Piece> pieces) {
    for (Piece& piece : pieces) {
        m_queue.push_back({std::move(piece), std::nullopt});
    }
    pump();
}

void Outbox::pump() {
    while (!m_queue.empty()) {
        Pending& head = m_queue.front();
        const auto current = now();
        if (!head.due) {
            head.due = current + head.piece.delay + m_byteTime * nextChunk(head);
        }
        if (current < *head.due) {
            m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(*head.due - current));
            return;
        }
        const std::size_t chunk = nextChunk(head);
        m_write(std::string_view(head.piece.bytes).substr(0, chunk));
        head.piece.bytes.erase(0, chunk);
        if (head.piece.bytes.empty()) {
            m_queue.pop_front();
        } else {
            head.due = *head.due + m_byteTime * nextChunk(head);
        }
    }
}

std::size_t Outbox::nextChunk(const Pending& pending) const {
    const std::size_t size = pending.piece.bytes.size();
    if (m_byteTime.count() <= 0) {
        return size;
    }
    const auto perChunk = static_cast<std::size_t>(std::max<long long>(1, kChunkTime / m_byteTime));
    return std::min(size, perChunk);
}

std::chrono::nanoseconds Outbox::now() const {
    return std::chrono::nanoseconds(m_clock.nsecsElapsed());
}

}  // namespace zov::sim
