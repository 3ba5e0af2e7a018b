// Texts that go to the unit as they stand. A typed value (a model number,
// a serial number, an option value) goes into a command: a ";" or "," in it
// would end the command or its argument early, and a framing or other
// control character would break the frame, so the rest of the text could
// reach the unit as a second command (one that switches the output on, say).
// A whole command typed by a service user may hold "," between its fields
// and ends with its own ";" or ",", but nothing in it may start another.
// Such a text is refused whole, and nothing is sent.
#pragma once

#include <QString>
#include <optional>

namespace zov::core {

// What in a typed value keeps it from being sent as it stands ("\";\"",
// "a control character (code 2)" ...); nothing when it can be sent. An
// empty text can.
[[nodiscard]] std::optional<QString> unsendablePart(const QString& text);

// The longest command a service user may send as typed; the unit's own
// longest (the user options) is about 40 characters.
inline constexpr int kTypedCommandLimit = 128;

// What keeps `command` from going to the unit as one command: nothing typed,
// too long, a ";" before its end, a line break, or a byte outside printable
// ASCII. Nothing when it can go.
[[nodiscard]] std::optional<QString> unsendableCommand(const QString& command);

}  // namespace zov::core
