// The service access codes. Each is compared exactly with what was typed; a
// wrong code is never reported. Factory programming and the serial number
// are also locked in the unit itself until it is told the code.
#pragma once

#include <QString>

namespace zov::app {
class MainWindow;
}

namespace zov::config {

inline const QString kFactoryCode = QStringLiteral("7955");
inline const QString kSerialNumberCode = QStringLiteral("9858");
inline const QString kSerialNumberMenuCode = QStringLiteral("7851");
inline const QString kModePassword = QStringLiteral("qzt");

// Asks with `prompt` and `title`; true only for exactly `code` (a cancelled
// box is an empty entry).
[[nodiscard]] bool askAccessCode(app::MainWindow& window, const QString& prompt,
                                 const QString& code, const QString& title = {});

// A window's "UnLock": asks "Enter Key to UnLock:" and, for the right
// `code`, tells the unit ("PASS " + code + ";", its reply left unread).
// False, with nothing sent, for any other entry.
[[nodiscard]] bool unlockUnit(app::MainWindow& window, const QString& code);

}  // namespace zov::config
