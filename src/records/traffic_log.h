// The traffic log: every frame that went out or came in on a link, with when,
// where, how long the supply took and what became of it. A ring of the most
// recent frames, so a week of polling keeps a bounded amount of memory;
// adding a frame is O(1) and never allocates beyond the frame's own bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace zov::records {

enum class Outcome : std::uint8_t {
    Sent,         // a command framed and written to the link
    NotSent,      // a command for a link that was not open
    Answered,     // the reply to the command just sent
    NoReply,      // nothing came within the time limit (or the link went away)
    Incomplete,   // part of a reply came, then the time ran out
    Late,         // came after the wait for its reply was over; dropped
    Extra,        // came behind a complete reply in the same burst; dropped
    Dropped,      // waiting input that no command asked for; dropped
    Unsolicited,  // a status message the unit sent on its own (TCP)
};

[[nodiscard]] bool isOutgoing(Outcome outcome);
// The operator's word for it: "answered", "no reply", ...
[[nodiscard]] QString outcomeText(Outcome outcome);

struct TrafficEntry {
    static constexpr qint64 kNoRoundTrip = -1;
    // At most this much of a frame is kept; a supply's frames are far shorter.
    static constexpr qsizetype kBytesKept = 256;

    qint64 wallMs = 0;                  // when, as milliseconds since the epoch
    qint64 roundTripNs = kNoRoundTrip;  // since the command went out
    QByteArray bytes;                   // the frame's first kBytesKept bytes
    qsizetype size = 0;                 // the frame's whole length
    QString link;                       // "/dev/ttyS0", "TCP 10.0.0.5:4000"
    Outcome outcome = Outcome::Sent;
};

// How each part of an entry reads in the window and in a saved log.
[[nodiscard]] QString timeText(const TrafficEntry& entry);       // local, hh:mm:ss.zzz
[[nodiscard]] QString directionText(const TrafficEntry& entry);  // "sent" or "received"
[[nodiscard]] QString frameText(const TrafficEntry& entry);      // control bytes by name
[[nodiscard]] QString roundTripText(const TrafficEntry& entry);  // "12.35 ms", or empty
// One line of a saved log: date and time, link, direction, frame, round trip, outcome.
[[nodiscard]] QString lineOf(const TrafficEntry& entry);

// A text filter on the link, the direction, the frame as shown and the outcome, ignoring case;
// an empty filter lets everything through.
[[nodiscard]] bool matches(const TrafficEntry& entry, const QString& filter);

class TrafficLog {
public:
    static constexpr std::size_t kDefaultCapacity = 100000;

    explicit TrafficLog(std::size_t capacity = kDefaultCapacity);

    // The entry's bytes are cut to kBytesKept here.
    void append(TrafficEntry entry);
    // Forgets every entry; sequence numbers go on from where they were.
    void clear();

    // Every entry ever appended has a sequence number; the log holds those
    // from firstSeq() up to (not including) endSeq().
    [[nodiscard]] std::uint64_t firstSeq() const { return first_; }
    [[nodiscard]] std::uint64_t endSeq() const { return end_; }
    [[nodiscard]] std::size_t size() const { return std::size_t(end_ - first_); }
    [[nodiscard]] std::size_t capacity() const { return capacity_; }
    // Only for firstSeq() <= seq < endSeq().
    [[nodiscard]] const TrafficEntry& at(std::uint64_t seq) const {
        return ring_[std::size_t(seq % capacity_)];
    }

private:
    std::size_t capacity_;
    std::vector<TrafficEntry> ring_;
    std::uint64_t first_ = 0;
    std::uint64_t end_ = 0;
};

}  // namespace zov::records
