// What the simulated supply did with one command, or what it sent or heard
// besides: the record its log is written from.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <utility>

#include "sim/framing.h"

namespace zov::sim {

struct Handling {
    enum class Outcome {
        Answered,          // the unit's own reply went out
        Refused,           // a refusal went out, from the fault plan
        Dropped,           // the reply was made and lost
        Scripted,          // a scripted reply went out, or none when it is silence
        ConnectionClosed,  // the TCP connection closed instead
        StatusSent,        // a status message went out on TCP, unasked
        Unheard,           // bytes at a host speed that is not the unit's
    };

    Handling(Outcome what, Link on, std::string received = {})
        : outcome(what), link(on), command(std::move(received)) {}

    Outcome outcome;
    Link link;
    std::string command;  // as received (the bytes, when unheard); empty for a status message
    // The reply's text, or its raw bytes: what went out, or what was lost when dropped.
    std::string reply;
    bool raw = false;  // the reply went out unframed
    bool refusal = false;
    std::chrono::milliseconds delay{0};
    std::size_t pieces = 0;  // 0: nothing went out
    std::string note;        // why it was unheard
};

// One line of the log without its time: link, command and what became of it,
// control characters written as \xNN.
//     serial "STAT;" answered "0;"
//     tcp "ENBL 1;" scripted "2;" delayed 150 ms in 3 pieces
//     tcp "VMON;" dropped "2048;"
[[nodiscard]] std::string describe(const Handling& handling);

// Control characters, quotes and backslashes escaped, the rest as it is.
[[nodiscard]] std::string printable(std::string_view bytes);

}  // namespace zov::sim
