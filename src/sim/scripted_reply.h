// Replies a test or an engineer puts in the unit's mouth, and the script that
// hands them out to the commands they are aimed at.
//
//     sim.script("ENBL*", ScriptedReply::text("2;"));            // once
//     sim.script("STAT;", ScriptedReply::silence(), kUntilCleared);
//     sim.script("VMON;", ScriptedReply::own().late(1500ms), 3);  // three times
//     sim.script("27,", {ScriptedReply::text("27,x,"), ScriptedReply::own()});
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "sim/command_pattern.h"
#include "sim/shape.h"

namespace zov::sim {

// What goes back for one command, or out as one status message. The unit
// carries out every command it answers this way except the ones refused;
// only what it sends changes.
class ScriptedReply {
public:
    enum class Content {
        Own,      // the reply the unit gives (its status message, for a status)
        Text,     // this reply text in its place, framed for the link
        Raw,      // these bytes in its place, unframed
        Refusal,  // the unit's refusal; the command is not carried out
        Nothing,  // no reply at all
    };

    [[nodiscard]] static ScriptedReply own() { return {Content::Own, {}}; }
    [[nodiscard]] static ScriptedReply text(std::string body) {
        return {Content::Text, std::move(body)};
    }
    [[nodiscard]] static ScriptedReply raw(std::string bytes) {
        return {Content::Raw, std::move(bytes)};
    }
    [[nodiscard]] static ScriptedReply refusal() { return {Content::Refusal, {}}; }
    [[nodiscard]] static ScriptedReply silence() { return {Content::Nothing, {}}; }

    [[nodiscard]] ScriptedReply late(std::chrono::milliseconds delay) const;
    // Cut before these byte offsets of the frame, `gap` between the pieces.
    [[nodiscard]] ScriptedReply splitAt(std::vector<std::size_t> offsets,
                                        std::chrono::milliseconds gap) const;
    [[nodiscard]] ScriptedReply around(std::string leading, std::string trailing) const;
    [[nodiscard]] ScriptedReply shaped(Shape shape) const;

    [[nodiscard]] Content content() const { return m_content; }
    // The text or the raw bytes.
    [[nodiscard]] const std::string& bytes() const { return m_bytes; }
    [[nodiscard]] const Shape& shape() const { return m_shape; }

private:
    ScriptedReply(Content content, std::string bytes)
        : m_content(content), m_bytes(std::move(bytes)) {}

    Content m_content;
    std::string m_bytes;
    Shape m_shape;
};

// How many matching commands a script rule answers.
inline constexpr int kEachReplyOnce = 0;  // as many as it has replies
inline constexpr int kUntilCleared = -1;

// Rules are tried in the order they were added; the first one aimed at a
// command answers it, with its replies in turn and the last one repeating,
// and is spent after its number of calls. Two rules for the same command
// therefore make a sequence too.
class ReplyScript {
public:
    // Enough for any staged situation; more is a runaway peer.
    static constexpr std::size_t kMaxRules = 256;

    // False when there is no reply to give or the script is full.
    bool add(CommandPattern pattern, std::vector<ScriptedReply> replies, int calls);
    // The reply to this command, when a rule is aimed at it; spends one call.
    [[nodiscard]] std::optional<ScriptedReply> take(std::string_view command);
    void clear() { m_rules.clear(); }
    [[nodiscard]] std::size_t size() const { return m_rules.size(); }

private:
    struct Rule {
        CommandPattern pattern;
        std::vector<ScriptedReply> replies;
        int calls;
        int used = 0;
    };

    std::vector<Rule> m_rules;
};

}  // namespace zov::sim
