// The main window's six-panel status bar.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QString>
#include <QTimer>
#include <array>

namespace zov::app {

// Panels are addressed 1..6. Panels 1 to 4 carry what the console writes (link settings, port,
// last reply, last frame); panels 5 and 6 keep today's date and the time of day by themselves.
//
// Written texts may hold framing bytes (STX, CR, LF) and be as long as a reply can be:
// panelText() returns them exactly as written, while the panel shows the start of the text in
// legible form (legibleText), cut to the width it has. A text never widens the panel, so a long
// reply never resizes the window. For assistive tools a panel is named by what it shows and
// described by its tool tip.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 6;
    static constexpr int kDatePanel = 5;
    static constexpr int kTimePanel = 6;

    explicit StatusBar(QWidget* parent = nullptr);

    // Writes panels 1..4; the clock panels and numbers out of range are left alone.
    void setPanelText(int panel, const QString& text);
    // Text of panel 1..6 as written (or as the clock shows it); empty out of range.
    QString panelText(int panel) const;
    // Panels 1..4 back to what they show at start ("SET PORT!", "Comm Ch.", nothing).
    void restoreStartText(int panel);

    // Characters of a written text that a panel renders at most.
    static constexpr int kShownLimit = 256;

    // An indicator left of the panels for a state the operator must not miss
    // (a session being recorded), bold in the alarm colour, named for
    // assistive tools by what it shows; hidden while its text is empty. The
    // panels keep their numbers and places.
    void setIndicator(const QString& text, const QString& toolTip = {});
    QString indicatorText() const;
    // Characters of an indicator text shown at most.
    static constexpr int kIndicatorLimit = 48;

    // A warning in the same colour, left of the indicator, for a supply that
    // stopped answering ("No answer from the supply since 10:02:07"); hidden
    // while empty. Named for assistive tools by what it shows.
    void setWarning(const QString& text);
    QString warningText() const;

private:
    class PanelLabel;
    struct Panel {
        PanelLabel* label = nullptr;
        QString text;
    };

    void showClock();
    QLabel* makeAlarmLabel(const QString& name);
    void showText(Panel& panel, const QString& text);

    std::array<Panel, kPanelCount> panels_;
    QLabel* indicator_ = nullptr;
    QLabel* warning_ = nullptr;
    QTimer clockTimer_;
};

}  // namespace zov::app
