// The engineer's side of the bench: control lines that drive the unit,
// script its replies, hit its links and send status messages, for the
// control channel and the --do option of zov-sim. The syntax is in kHelp.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/simulator.h"

namespace zov::sim {

class Words;

class ControlPanel : public QObject {
    Q_OBJECT

public:
    static const char* const kHelp;

    using Error = std::optional<std::string>;
    // What a parsed line does when it runs; empty when the line is wrong.
    using Action = std::function<Error()>;

    explicit ControlPanel(Simulator& sim, QObject* parent = nullptr);

    // Carries out one line (blank lines and lines starting with "#" do
    // nothing); nothing when it went well, else what is wrong with it, and
    // then nothing of it was carried out.
    [[nodiscard]] std::optional<std::string> run(std::string_view line);

private:
    using Parser = Action (ControlPanel::*)(Words&);

    Action interlock(Words& words);
    Action fault(Words& words);
    Action arc(Words& words);
    Action currentMode(Words& words);
    Action remote(Words& words);
    Action monitor(Words& words);
    Action noise(Words& words);
    Action watchdog(Words& words);
    Action baud(Words& words);
    Action reply(Words& words);
    Action replies(Words& words);
    Action status(Words& words);
    Action link(Words& words);
    Action dropConnections(Words& words);

    Simulator& m_sim;
    QTimer m_arcs;
};

}  // namespace zov::sim
