// Cutting supply replies by 1-based character position. Position 1 is the
// reply's STX, so a mnemonic reply's value starts at 2 and a numbered reply's
// value (after the echoed "nn,") at 5. These are the only way replies are cut.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zov::protocol {

// The character at `position`, or nothing when the reply is shorter.
[[nodiscard]] std::optional<char> charAt(std::string_view reply, int position);

// The text from `start` up to (not including) the first `delimiter` found at or
// after `searchFrom`; nothing when there is no such delimiter.
[[nodiscard]] std::optional<std::string> cutUntil(std::string_view reply, int start, char delimiter,
                                                  int searchFrom);

// Same, searching from `start` itself.
[[nodiscard]] inline std::optional<std::string> cutUntil(std::string_view reply, int start,
                                                         char delimiter) {
    return cutUntil(reply, start, delimiter, start);
}

// Whether `reply` can answer `command`. A numbered command ("16,", "99,1,")
// is answered with its number and comma echoed at positions 2 to 4
// ("\x02" "16,819,"); a reply echoing another number belongs to another
// command. Mnemonic replies carry no echo, so any reply can be theirs.
[[nodiscard]] bool echoesCommand(std::string_view reply, std::string_view command);

// The `length` characters from `start` (fewer when the reply is shorter; empty
// when it ends before `start`).
[[nodiscard]] std::string cutFixed(std::string_view reply, int start, int length);

}  // namespace zov::protocol
