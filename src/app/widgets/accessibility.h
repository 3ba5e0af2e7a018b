// Accessible names and descriptions for a finished window.
#pragma once

class QWidget;

namespace zov::app {

// Run once after a window and its controls are built.
//
// Every widget under root (root included) whose objectName is set and whose accessible
// description is still empty gets its objectName (btn_HVONOFF, txt_MODNUM, led_HVSTAT,
// frm_RAWDATA ...) as description, so assistive tools and UI automation can address controls
// by the names the protocol documents use. Names Qt gives its own inner parts ("qt_...") are
// skipped.
//
// A widget with a buddy label and no accessible name is named after the label's text (without
// mnemonic "&" and a trailing ":"), e.g. a numeric edit beside "Scaled Value".
//
// Menu items (QAction) are left alone: Qt exposes a menu item to assistive tools with its
// caption as name and nothing else, and its objectName is already reachable through the
// accessible interface's object(). There is nothing to set.
void applyProtocolNames(QWidget* root);

}  // namespace zov::app
