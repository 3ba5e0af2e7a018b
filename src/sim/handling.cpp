#include "handling.h"

#include <cstdio>

namespace zov::sim {
namespace {

std::string quoted(std::string_view bytes) {
    return '"' + printable(bytes) + '"';
}

std::string what(const Handling& h) {
    using Outcome = Handling::Outcome;
    switch (h.outcome) {
        case Outcome::Answered:
            return "answered";
        case Outcome::Refused:
            return "refused";
        case Outcome::Dropped:
            return "dropped";
        case Outcome::Scripted:
            return h.pieces == 0 ? "scripted, no reply"
                   : h.refusal   ? "scripted refusal"
                                 : "scripted";
        case Outcome::ConnectionClosed:
            return "closed the connection";
        case Outcome::StatusSent:
            return "status";
        case Outcome::Unheard:
            return "unheard (" + h.note + ")";
    }
    return {};
}

}  // namespace

std::string printable(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (code < 0x20 || code > 0x7e) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", code);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text;
}

std::string describe(const Handling& h) {
    std::string line = h.link == Link::Serial ? "serial" : "tcp";
    if (h.outcome != Handling::Outcome::StatusSent) {
        line += ' ' + quoted(h.command);
    }
    line += ' ' + what(h);
    if (!h.reply.empty()) {
        line += (h.raw ? " raw " : " ") + quoted(h.reply);
    }
    if (h.pieces > 0 && h.delay.count() > 0) {
        line += " delayed " + std::to_string(h.delay.count()) + " ms";
    }
    if (h.pieces > 1) {
        line += " in " + std::to_string(h.pieces) + " pieces";
    }
    return line;
}

}  // namespace zov::sim
