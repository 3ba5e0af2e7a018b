#include "scripted_reply.h"

#include <algorithm>

namespace zov::sim {

ScriptedReply ScriptedReply::late(std::chrono::milliseconds delay) const {
    ScriptedReply changed = *this;
    changed.m_shape.delay = delay;
    return changed;
}

ScriptedReply ScriptedReply::splitAt(std::vector<std::size_t> offsets,
                                     std::chrono::milliseconds gap) const {
    ScriptedReply changed = *this;
    changed.m_shape.splitAt = std::move(offsets);
    changed.m_shape.splitGap = gap;
    return changed;
}

ScriptedReply ScriptedReply::around(std::string leading, std::string trailing) const {
    ScriptedReply changed = *this;
    changed.m_shape.leadingGarbage = std::move(leading);
    changed.m_shape.trailingBytes = std::move(trailing);
    return changed;
}

ScriptedReply ScriptedReply::shaped(Shape shape) const {
    ScriptedReply changed = *this;
    changed.m_shape = std::move(shape);
    return changed;
}

bool ReplyScript::add(CommandPattern pattern, std::vector<ScriptedReply> replies, int calls) {
    if (replies.empty() || calls < kUntilCleared || m_rules.size() >= kMaxRules) {
        return false;
    }
    const int count = calls == kEachReplyOnce ? static_cast<int>(replies.size()) : calls;
    m_rules.push_back({std::move(pattern), std::move(replies), count});
    return true;
}

std::optional<ScriptedReply> ReplyScript::take(std::string_view command) {
    const auto rule = std::find_if(m_rules.begin(), m_rules.end(),
                                   [&](const Rule& r) { return r.pattern.matches(command); });
    if (rule == m_rules.end()) {
        return std::nullopt;
    }
    const auto index =
        std::min<std::size_t>(static_cast<std::size_t>(rule->used), rule->replies.size() - 1);
    ScriptedReply reply = rule->replies[index];
    ++rule->used;
    if (rule->calls != kUntilCleared && rule->used >= rule->calls) {
        m_rules.erase(rule);
    }
    return reply;
}

}  // namespace zov::sim
