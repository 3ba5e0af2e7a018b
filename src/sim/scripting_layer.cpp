#include "scripting_layer.h"

namespace zov::sim {

void ScriptingLayer::clearFaults() {
    m_plan = FaultPlan{};
    m_drops.restart();
    m_closes.restart();
    m_seededWith.reset();
}

Treatment ScriptingLayer::treat(Link link, std::string_view command) {
    if (auto scripted = m_script.take(command)) {
        return {std::move(*scripted), Treatment::Origin::Script};
    }
    if (!m_plan.only.matches(command)) {
        return {};
    }
    Treatment treatment{ScriptedReply::own(), Treatment::Origin::Faults};
    if (link == Link::Tcp && m_closes.hit(m_plan.tcpDropEvery, m_plan.only)) {
        treatment.closeConnection = true;
        return treatment;
    }
    const bool refuse = m_plan.refuseAll || (m_plan.refuseSetCommands && m_isSetCommand(command));
    treatment.reply =
        (refuse ? ScriptedReply::refusal() : ScriptedReply::own()).shaped(shapeOf(m_plan));
    treatment.lost = lose();
    return treatment;
}

bool ScriptingLayer::EveryNth::hit(int every, const CommandPattern& only) {
    if (every != m_every || only != m_only) {
        m_every = every;
        m_only = only;
        m_seen = 0;
    }
    return every > 0 && ++m_seen % every == 0;
}

bool ScriptingLayer::lose() {
    if (m_drops.hit(m_plan.dropEvery, m_plan.only)) {
        return true;
    }
    if (m_plan.dropFraction <= 0.0) {
        return false;
    }
    if (m_seededWith != m_plan.seed) {
        m_random.seed(m_plan.seed);
        m_seededWith = m_plan.seed;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < m_plan.dropFraction;
}

}  // namespace zov::sim
