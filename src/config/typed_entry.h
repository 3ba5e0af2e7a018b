// Texts that go into a command as they stand: a model number, a serial
// number, a revision, a ramp or arc setting typed by the service user, and
// the option values sent back to the unit. A ";" or "," in such a text would
// end the command or its argument early, and a framing or other control
// character would break the frame, so the rest of the text could reach the
// unit as a second command (one that switches the output on, say). Such a
// text is refused whole, with a message, and nothing is sent.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/sendable_text.h"

namespace zov::app {
class Prompter;
}

namespace zov::config {

// What in `text` keeps it from being sent as it stands; the rule lives in
// the core, for tools without a window as well.
using core::unsendablePart;

// Reports `text` when it cannot be sent; true when it can.
[[nodiscard]] bool checkSendable(app::Prompter& prompter, const QString& text);

// Reports a typed number whose converter count the unit cannot take (below
// 0 or past full scale), e.g. "A filament preheat of 3 A is not from 0 to
// 2 A." Nothing is sent for it.
void reportOutsideConverter(app::Prompter& prompter, const QString& what, const QString& entry,
                            double fullScale, const QString& unit);

// Asks with `prompt` (a cancelled box is an empty entry) and returns the
// entry as the 8-bit text the unit receives; nothing when the entry cannot
// be sent as typed, which has been reported.
[[nodiscard]] std::optional<std::string> askSendableEntry(app::Prompter& prompter,
                                                          const QString& prompt,
                                                          const QString& title = {},
                                                          const QString& defaultText = {});

}  // namespace zov::config
