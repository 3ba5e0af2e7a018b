#include "control_words.h"

#include <algorithm>
#include <charconv>

namespace zov::sim {
namespace {

// Longer than any wait worth staging; keeps every sum of delays finite.
constexpr long long kMaxMs = 3'600'000;

std::optional<char> escaped(std::string_view line, std::size_t& i) {
    if (++i >= line.size()) {
        return std::nullopt;
    }
    switch (line[i]) {
        case '"':
        case '\\':
            return line[i];
        case 'r':
            return '\r';
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'x': {
            unsigned value = 0;
            const char* first = line.data() + i + 1;
            const char* last = line.data() + std::min(line.size(), i + 3);
            const auto [end, error] = std::from_chars(first, last, value, 16);
            if (error != std::errc() || end != last || last - first != 2) {
                return std::nullopt;
            }
            i += 2;
            return static_cast<char>(value);
        }
        default:
            return std::nullopt;
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

std::optional<std::vector<std::string>> splitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && !isBlank(line[i])) {
                word += line[i++];
            }
            words.push_back(std::move(word));
            continue;
        }
        for (++i; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] != '\\') {
                word += line[i];
            } else if (const auto c = escaped(line, i)) {
                word += *c;
            } else {
                return std::nullopt;
            }
        }
        if (i >= line.size()) {
            return std::nullopt;
        }
        ++i;
        words.push_back(std::move(word));
    }
    return words;
}

void Words::fail(std::string error) {
    if (m_error.empty()) {
        m_error = std::move(error);
    }
}

std::optional<std::string> Words::take(std::string_view what) {
    if (failed()) {
        return std::nullopt;
    }
    if (empty()) {
        fail("missing " + std::string(what));
        return std::nullopt;
    }
    return m_words[m_next++];
}

bool Words::takeIf(std::string_view word) {
    if (failed() || empty() || m_words[m_next] != word) {
        return false;
    }
    ++m_next;
    return true;
}

std::optional<long long> Words::takeNumber(std::string_view what, long long max) {
    const auto word = take(what);
    if (!word) {
        return std::nullopt;
    }
    long long value = 0;
    const char* last = word->data() + word->size();
    const auto [end, error] = std::from_chars(word->data(), last, value);
    if (error != std::errc() || end != last || value < 0 || value > max) {
        fail(std::string(what) + " must be a whole number from 0 to " + std::to_string(max) +
             ", not \"" + *word + '"');
        return std::nullopt;
    }
    return value;
}

std::optional<std::chrono::milliseconds> Words::takeMs(std::string_view what) {
    const auto ms = takeNumber(what, kMaxMs);
    return ms ? std::optional(std::chrono::milliseconds(*ms)) : std::nullopt;
}

std::optional<bool> Words::takeSwitch(std::string_view on, std::string_view off) {
    const std::string what = std::string(on) + " or " + std::string(off);
    const auto word = take(what);
    if (!word) {
        return std::nullopt;
    }
    if (*word != on && *word != off) {
        fail(what + ", not \"" + *word + '"');
        return std::nullopt;
    }
    return *word == on;
}

}  // namespace zov::sim
