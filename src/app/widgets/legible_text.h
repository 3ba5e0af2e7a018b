// Protocol text as an operator can read it on any desktop: framing and other
// control bytes by their ASCII names ("<STX>", "<CR>"), bytes outside
// printable ASCII in hex ("<9F>"). Fonts that every desktop has show these;
// the Unicode control pictures are missing from many and show as boxes.
#pragma once

#include <QString>

namespace zov::app {

// At most `limit` characters of `text` are rendered; a longer text ends in "...".
[[nodiscard]] QString legibleText(const QString& text, int limit);

}  // namespace zov::app
