#include "status_flags.h"

#include <limits>

#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr int kFirstCombinedField = 5;
constexpr int kCombinedFieldStep = 2;

}  // namespace

std::optional<bool> flagAt(std::string_view reply, int position) {
    const auto c = protocol::charAt(reply, position);
    if (c == '1') {
        return true;
    }
    if (c == '0') {
        return false;
    }
    return std::nullopt;
}

CombinedStatus unsolicitedStatusFrom(std::string_view message) {
    const auto field = [message](int index) {
        return flagAt(message, kFirstCombinedField + kCombinedFieldStep * index);
    };
    CombinedStatus status;
    status.xrayOn = field(0);
    status.interlockOpen = field(1);
    status.supplyFault = field(2);
    return status;
}

CombinedStatus combinedStatusFrom(std::string_view reply) {
    if (!protocol::echoesCommand(reply, "22,")) {
        return {};
    }
    const auto field = [reply](int index) {
        return flagAt(reply, kFirstCombinedField + kCombinedFieldStep * index);
    };
    CombinedStatus status = unsolicitedStatusFrom(reply);
    status.remote = field(3);
    status.currentMode = field(4);
    status.rov = field(5);
    status.aol = field(6);
    status.watchdogOn = field(7);
    return status;
}

ArcCounter afterArcRead(ArcCounter counter, std::optional<bool> arcFault, bool xrayRequested) {
    if (arcFault == false) {
        counter.armed = 1;
    } else if (arcFault == true && counter.armed == 1 && xrayRequested) {
        if (counter.count < std::numeric_limits<std::int16_t>::max()) {
            ++counter.count;
        }
        counter.armed = 0;
    }
    return counter;
}

bool isFaultReadRefused(std::string_view reply) {
    return protocol::charAt(reply, 2) == '1' && protocol::charAt(reply, 3) == ';';
}

EnableAnswer enableAnswerFrom(std::string_view reply) {
    const auto answer = protocol::charAt(reply, 2);
    if (!answer) {
        return EnableAnswer::NoReply;
    }
    if (*answer == ';') {
        return EnableAnswer::Acknowledged;
    }
    return *answer == '1' ? EnableAnswer::Refused : EnableAnswer::Other;
}

bool reportChanged(std::optional<bool>& last, bool now) {
    const bool changed = last != now;
    last = now;
    return changed;
}

}  // namespace zov::core
