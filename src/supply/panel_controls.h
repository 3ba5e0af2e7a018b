// Small builders for the lamps and captions of the supply's panels.
#pragma once

#include <QLabel>
#include <QString>

#include "app/widgets/instrument_button.h"

namespace zov::supply {

// An indicator lamp named `name`, off.
app::InstrumentButton* makeLed(const QString& name, const QString& accessibleName,
                               QWidget* parent = nullptr);

// A caption named `name` (empty: unnamed) that also names `buddy` for assistive tools.
QLabel* makeCaption(const QString& text, QWidget* buddy = nullptr, const QString& name = {},
                    QWidget* parent = nullptr);

}  // namespace zov::supply
