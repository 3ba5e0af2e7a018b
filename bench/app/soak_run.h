// One link of the fault soak: the console in automatic update mode against a
// simulated supply on a thread of its own, with one fault staged per update
// cycle, while the run counts what the console should and should not do.
// With an operator, a scripted one acts on the panel meanwhile.
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "scripted_operator.h"

namespace zov::bench {

enum class SoakLink { Pty, Tcp };

// What the soak stages, one per cycle in this order, round and round. A
// "status" fault hits the "STAT;" read, which counts a communication error
// when it gets no reply; the monitor reads count none.
enum class SoakFault {
    LostStatusReply,
    LostMonitorReply,
    LinkLoss,  // pseudo-terminal closed and reopened, or TCP peer dropped and chosen again
    SplitStatusReply,
    SplitMonitorReply,
    GarbledStatusReply,
    GarbledMonitorReply,
    LateStatusReply,
    LateMonitorReply,
};
inline constexpr int kSoakFaultKinds = 9;

struct SoakFigures {
    double seconds = 0;
    long long exchanges = 0;  // frames sent
    long long replies = 0;    // replies taken
    long long cycles = 0;
    std::array<long long, kSoakFaultKinds> faults{};
    long long commErrors = 0;
    long long expectedErrors = 0;
    long long hangs = 0;  // event-loop stalls over the limit
    double longestStallMs = 0;
    long residentStartKb = 0;
    long residentEndKb = 0;
    long long wrongReadings = 0;
    long long readingsChecked = 0;
    QString setupError;  // why the run could not check what it should
    // With the operator only.
    bool withOperator = false;
    std::array<long long, kActionKinds> actions{};
    long long wrongDisplays = 0;
    long long displaysChecked = 0;
    long long outputsLeftOn = 0;  // after a cycle test stop
    long long unaskedCommands = 0;

    [[nodiscard]] long long faultsInjected() const;
    [[nodiscard]] long long actionsTaken() const;
    [[nodiscard]] bool passed() const;
};

inline constexpr double kStallLimitMs = 1500;
inline constexpr long kGrowthLimitKb = 2048;
inline constexpr double kOperatorMemorySeconds = 120;

// An operator acts when `operatorSeed` is given, at moments and with values
// drawn from it.
[[nodiscard]] SoakFigures runSoak(SoakLink link, int seconds,
                                  std::optional<quint32> operatorSeed = std::nullopt);

// One line of key=value pairs, and back.
[[nodiscard]] QString resultLine(const SoakFigures& figures);
[[nodiscard]] bool parseResultLine(const QString& line, SoakFigures& figures);
[[nodiscard]] const char* faultName(SoakFault fault);

}  // namespace zov::bench
