// Asks for a CSV file with a Qt file dialog.
#pragma once

#include <QFileDialog>
#include <QString>
#include <optional>

namespace zov::app {

// The file chosen, or nothing when the user cancels. `kind` names the files
// in the filter ("Session records"). The dialog goes with its parent if that
// window is unloaded while it is open, and then nothing is chosen.
[[nodiscard]] std::optional<QString> askForCsvFile(QWidget* parent, const QString& title,
                                                   const QString& kind,
                                                   QFileDialog::AcceptMode mode,
                                                   const QString& suggested = {});

}  // namespace zov::app
