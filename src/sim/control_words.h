// The words of one control line and a cursor that takes them in turn.
// Words are separated by blanks; a word in double quotes may hold blanks and
// the escapes \" \\ \r \n \t and \xHH ("ENBL 1;", "\x02" "junk").
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zov::sim {

// Nothing for an unclosed quote or a bad escape.
[[nodiscard]] std::optional<std::vector<std::string>> splitWords(std::string_view line);

// Takes words from the front; the first thing wrong is kept as the error and
// every later take fails.
class Words {
public:
    explicit Words(std::vector<std::string> words) : m_words(std::move(words)) {}

    [[nodiscard]] bool empty() const { return m_next >= m_words.size(); }
    [[nodiscard]] bool failed() const { return !m_error.empty(); }
    [[nodiscard]] const std::string& error() const { return m_error; }
    // Records `error` unless one is recorded already.
    void fail(std::string error);

    // `what` names the missing word in the error.
    [[nodiscard]] std::optional<std::string> take(std::string_view what);
    // Takes the next word only when it is `word`.
    [[nodiscard]] bool takeIf(std::string_view word);
    // A whole number from 0 to `max`.
    [[nodiscard]] std::optional<long long> takeNumber(std::string_view what, long long max);
    [[nodiscard]] std::optional<std::chrono::milliseconds> takeMs(std::string_view what);
    // `on` or `off`.
    [[nodiscard]] std::optional<bool> takeSwitch(std::string_view on = "on",
                                                 std::string_view off = "off");

private:
    std::vector<std::string> m_words;
    std::size_t m_next = 0;
    std::string m_error;
};

}  // namespace zov::sim
