#include "control_phrases.h"

#include <algorithm>
#include <map>

#include "protocol/protocol.h"

namespace zov::sim {
namespace {

// Longer than any frame; also the most pieces a reply can be cut into.
constexpr long long kMaxOffset = 4096;

std::optional<std::vector<std::size_t>> takeOffsets(Words& words) {
    const auto list = words.take("byte offsets");
    if (!list) {
        return std::nullopt;
    }
    std::vector<std::size_t> offsets;
    std::string_view rest(*list);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        Words one({std::string(rest.substr(0, comma))});
        const auto offset = one.takeNumber("a byte offset", kMaxOffset);
        if (!offset) {
            words.fail(one.error());
            return std::nullopt;
        }
        offsets.push_back(static_cast<std::size_t>(*offset));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return offsets;
}

using ShapeWord = void (*)(Words&, Shape&);

const std::map<std::string_view, ShapeWord>& shapeWords() {
    static const std::map<std::string_view, ShapeWord> words{
        {"delay", [](Words& w, Shape& s) { assign(s.delay, w.takeMs("delay in ms")); }},
        {"split",
         [](Words& w, Shape& s) {
             assign(s.equalPieces, w.takeNumber("number of pieces", kMaxOffset));
             s.equalPieces = std::max<std::size_t>(1, s.equalPieces);
         }},
        {"split-at", [](Words& w, Shape& s) { assign(s.splitAt, takeOffsets(w)); }},
        {"split-gap", [](Words& w, Shape& s) { assign(s.splitGap, w.takeMs("gap in ms")); }},
        {"garbage", [](Words& w, Shape& s) { assign(s.leadingGarbage, w.take("garbage bytes")); }},
        {"trailing", [](Words& w, Shape& s) { assign(s.trailingBytes, w.take("trailing bytes")); }},
    };
    return words;
}

// One content word and its value; nothing when the next word is none.
std::optional<ScriptedReply> takeContent(Words& words) {
    if (words.takeIf("own")) {
        return ScriptedReply::own();
    }
    if (words.takeIf("refuse")) {
        return ScriptedReply::refusal();
    }
    if (words.takeIf("silent")) {
        return ScriptedReply::silence();
    }
    if (words.takeIf("text")) {
        const auto text = words.take("reply text");
        return text ? std::optional(ScriptedReply::text(*text)) : std::nullopt;
    }
    if (words.takeIf("raw")) {
        const auto bytes = words.take("raw bytes");
        return bytes ? std::optional(ScriptedReply::raw(*bytes)) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

bool takeShapeWord(Words& words, Shape& shape) {
    for (const auto& [name, take] : shapeWords()) {
        if (words.takeIf(name)) {
            take(words, shape);
            return true;
        }
    }
    return false;
}

std::optional<ScriptedReply> takeMessage(Words& words) {
    std::optional<ScriptedReply> content;
    Shape shape;
    for (;;) {
        if (auto next = takeContent(words)) {
            if (content) {
                words.fail("more than one content for one reply");
            }
            content = std::move(next);
        } else if (!takeShapeWord(words, shape)) {
            break;
        }
    }
    if (words.failed()) {
        return std::nullopt;
    }
    return content.value_or(ScriptedReply::own()).shaped(std::move(shape));
}

bool takeLinkWord(Words& words, FaultPlan& plan) {
    if (words.takeIf("only")) {
        if (const auto pattern = words.take("command pattern")) {
            plan.only = *pattern == "all" ? CommandPattern() : CommandPattern(*pattern);
        }
    } else if (words.takeIf("drop-every")) {
        assign(plan.dropEvery, words.takeNumber("drop period", kMaxCount));
    } else if (words.takeIf("tcp-drop-every")) {
        assign(plan.tcpDropEvery, words.takeNumber("connection drop period", kMaxCount));
    } else if (words.takeIf("seed")) {
        assign(plan.seed, words.takeNumber("seed", 0xffffffffLL));
    } else if (words.takeIf("drop-share")) {
        const auto text = words.take("share from 0 to 1");
        const auto share = text ? protocol::parseNumber(*text) : std::nullopt;
        if (!share || *share < 0.0 || *share > 1.0) {
            words.fail("the share must be from 0 to 1");
        }
        assign(plan.dropFraction, share);
    } else if (words.takeIf("refuse")) {
        const bool all = words.takeIf("all");
        const bool set = !all && words.takeIf("set");
        if (!all && !set && !words.takeIf("none")) {
            words.fail("refuse all, set or none");
        }
        plan.refuseAll = all;
        plan.refuseSetCommands = set;
    } else if (words.takeIf("pace")) {
        const bool unit = words.takeIf("unit");
        const bool off = !unit && words.takeIf("off");
        plan.pacedSerial = unit;
        plan.serialBaud = 0;
        if (!unit && !off) {
            assign(plan.serialBaud, words.takeNumber("baud rate", 4'000'000));
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace zov::sim
