// How zovctl hears Ctrl-C (SIGINT) and SIGTERM: the handler only raises a
// flag, and the command looks for it on a timer of its own.
#pragma once

namespace zov::ctl {

// How often a command looks for the flag.
inline constexpr int kSignalCheckMs = 50;

// Lowers the flag and sends both signals to the handler from now on.
void catchStopSignals();
// A signal came since catchStopSignals().
[[nodiscard]] bool stopAsked();

}  // namespace zov::ctl
