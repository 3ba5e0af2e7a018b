// What a test makes the simulated supply do, decided before the model
// answers: a scripted reply aimed at the command, else the fault plan. It
// matches commands by their text and knows nothing of what they do; whether
// a command sets something it asks of the model's side.
#pragma once

#include <functional>
#include <optional>
#include <random>
#include <string_view>

#include "sim/fault_plan.h"
#include "sim/framing.h"
#include "sim/scripted_reply.h"

namespace zov::sim {

// What happens to one command.
struct Treatment {
    enum class Origin { Unit, Faults, Script };

    ScriptedReply reply = ScriptedReply::own();
    Origin origin = Origin::Unit;
    bool lost = false;             // the reply is made and lost on the way
    bool closeConnection = false;  // on TCP: no reply, the connection closes
};

class ScriptingLayer {
public:
    using SetCommandTest = std::function<bool(std::string_view command)>;

    explicit ScriptingLayer(SetCommandTest isSetCommand)
        : m_isSetCommand(std::move(isSetCommand)) {}

    FaultPlan& faults() { return m_plan; }
    [[nodiscard]] const FaultPlan& faults() const { return m_plan; }
    // No faults, and every count and random draw starts afresh.
    void clearFaults();

    ReplyScript& script() { return m_script; }

    [[nodiscard]] Treatment treat(Link link, std::string_view command);

private:
    // Every Nth command since the fault was set as it is now.
    class EveryNth {
    public:
        [[nodiscard]] bool hit(int every, const CommandPattern& only);
        void restart() { m_seen = 0; }

    private:
        int m_every = 0;
        CommandPattern m_only;
        long long m_seen = 0;
    };

    [[nodiscard]] bool lose();

    SetCommandTest m_isSetCommand;
    FaultPlan m_plan;
    ReplyScript m_script;
    EveryNth m_drops;
    EveryNth m_closes;
    std::mt19937 m_random;
    std::optional<unsigned> m_seededWith;
};

}  // namespace zov::sim
