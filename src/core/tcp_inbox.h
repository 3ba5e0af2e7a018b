// What the TCP link has delivered and nobody has taken yet, cut into frames.
// On TCP the unit sends its replies and, unasked, status messages when its
// X-ray, interlock or fault state changes; both end with ETX, and a status
// message carries the layout of the "22," reply.
#pragma once

#include <QByteArray>
#include <optional>

namespace zov::core {

// A frame, from its last STX on, that reads as a status message: "22," and
// its flags. Garbage before that STX is not part of it.
[[nodiscard]] bool isStatusMessage(const QByteArray& frame);
// The status message proper: the frame from its last STX on.
[[nodiscard]] QByteArray statusMessageIn(const QByteArray& frame);

class TcpInbox {
public:
    // Bytes held while no ETX has come; a status message is far shorter, so
    // what runs past this without a terminator is not one.
    static constexpr qsizetype kUnterminatedLimit = 4096;

    void append(const QByteArray& bytes);
    // The oldest complete frame, up to and including its ETX.
    [[nodiscard]] std::optional<QByteArray> takeFrame();
    // The first `count` bytes, or all when fewer are held.
    [[nodiscard]] QByteArray take(qsizetype count);
    // After the frames have been taken: a start that runs on too long without
    // a terminator is dropped, so the inbox stays bounded. Returns what was dropped.
    QByteArray boundUnterminated();
    void clear();
    [[nodiscard]] qsizetype size() const { return bytes_.size() - start_; }

private:
    QByteArray bytes_;
    qsizetype start_ = 0;  // bytes before this were taken
    // Bytes before this hold no ETX: each byte is searched once.
    qsizetype searched_ = 0;
};

}  // namespace zov::core
