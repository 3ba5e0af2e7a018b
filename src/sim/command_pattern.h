// Which commands a scripted reply or a fault is aimed at, by their text as
// received: "STAT;" is that command only, "ENBL*" every command that starts
// with "ENBL" ("ENBL 1;", "ENBL 0;"), and the empty pattern (or "*") every
// command. Nothing here knows what a command means.
#pragma once

#include <string>
#include <string_view>

namespace zov::sim {

class CommandPattern {
public:
    CommandPattern() = default;
    // Written as plain texts wherever a pattern is expected.
    CommandPattern(std::string text)
        : m_text(std::move(text)) {}                    // NOLINT(google-explicit-constructor)
    CommandPattern(const char* text) : m_text(text) {}  // NOLINT(google-explicit-constructor)

    [[nodiscard]] bool matches(std::string_view command) const;
    [[nodiscard]] const std::string& text() const { return m_text; }

    bool operator==(const CommandPattern& other) const { return m_text == other.m_text; }
    bool operator!=(const CommandPattern& other) const { return !(*this == other); }

private:
    std::string m_text;
};

}  // namespace zov::sim
