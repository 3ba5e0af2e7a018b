#include "tcp_inbox.h"

#include "protocol/frame.h"

namespace zov::core {

QByteArray statusMessageIn(const QByteArray& frame) {
    const qsizetype start = frame.lastIndexOf(protocol::kStx);
    return start < 0 ? QByteArray() : frame.mid(start);
}

bool isStatusMessage(const QByteArray& frame) {
    return statusMessageIn(frame).startsWith(
        "\x02"
        "22,");
}

void TcpInbox::append(const QByteArray& bytes) {
    // What was taken is let go before the inbox grows.
    if (start_ > 0) {
        bytes_.remove(0, start_);
        searched_ -= start_;
        start_ = 0;
    }
    bytes_ += bytes;
}

std::optional<QByteArray> TcpInbox::takeFrame() {
    const qsizetype end = bytes_.indexOf(protocol::kEtx, searched_);
    if (end < 0) {
        searched_ = bytes_.size();
        return std::nullopt;
    }
    return take(end + 1 - start_);
}

QByteArray TcpInbox::take(qsizetype count) {
    const QByteArray taken = bytes_.mid(start_, count);
    start_ += taken.size();
    searched_ = qMax(searched_, start_);
    if (start_ == bytes_.size()) {
        clear();
    }
    return taken;
}

QByteArray TcpInbox::boundUnterminated() {
    return size() > kUnterminatedLimit ? take(size()) : QByteArray();
}

void TcpInbox::clear() {
    bytes_.clear();
    start_ = 0;
    searched_ = 0;
}

}  // namespace zov::core
