// What the TCP link delivers, in pieces of any size: the inbox hands out
// exactly the bytes that came, frame by frame up to each ETX, holds no more
// than its bound while no terminator comes, and a status message is told
// from a reply by the "22," after its last STX.
#include "core/tcp_inbox.h"
#include "core/status_flags.h"
#include "fuzz_input.h"
#include "protocol/frame.h"

namespace {

using zov::fuzz::require;
namespace protocol = zov::protocol;
namespace core = zov::core;

void checkFrame(const QByteArray& frame) {
    require(frame.endsWith(protocol::kEtx), "a frame ends with its ETX");
    require(frame.indexOf(protocol::kEtx) == frame.size() - 1, "a frame holds one ETX");
    const QByteArray message = zov::core::statusMessageIn(frame);
    const qsizetype stx = frame.lastIndexOf(protocol::kStx);
    require(message == (stx < 0 ? QByteArray() : frame.mid(stx)),
            "the message is the frame from its last STX");
    require(zov::core::isStatusMessage(frame) == message.startsWith("\x02"
                                                                    "22,"),
            "a status message starts with \"22,\"");
    if (zov::core::isStatusMessage(frame)) {
        const std::string_view text(message.constData(), static_cast<std::size_t>(message.size()));
        const auto status = core::unsolicitedStatusFrom(text);
        require(status.xrayOn == core::flagAt(text, 5), "the X-ray flag is character 5");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zov::fuzz::Input input(data, size);
    const std::size_t piece = 1 + input.byte() % 64;
    const std::string_view bytes = input.rest();

    zov::core::TcpInbox inbox;
    // What the inbox must still hold: the bytes that came and were not taken
    // or dropped for running on too long.
    QByteArray held;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::string_view part = bytes.substr(at, piece);
        const QByteArray arrived(part.data(), static_cast<qsizetype>(part.size()));
        inbox.append(arrived);
        held += arrived;
        while (const auto frame = inbox.takeFrame()) {
            require(held.startsWith(*frame), "a frame is the oldest bytes that came");
            checkFrame(*frame);
            held.remove(0, frame->size());
        }
        require(!held.contains(protocol::kEtx), "every complete frame is taken");
        require(inbox.size() == held.size(), "the inbox holds what came and was not taken");
        inbox.boundUnterminated();
        if (inbox.size() != held.size()) {
            require(inbox.size() == 0 && held.size() > zov::core::TcpInbox::kUnterminatedLimit,
                    "only a start running on too long is dropped, and whole");
            held.clear();
        }
        require(inbox.size() <= zov::core::TcpInbox::kUnterminatedLimit, "the inbox stays bounded");
    }
    const QByteArray rest = inbox.take(inbox.size() + 1);
    require(rest == held, "what is left is what came last");
    require(inbox.size() == 0, "taking all empties the inbox");
    return 0;
}
