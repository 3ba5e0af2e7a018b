// Faults a test or a user can inject on the link side of the simulated
// supply. They hit every command, or only those `only` is aimed at; a
// command a scripted reply is aimed at is left to the script.
#pragma once

#include <chrono>
#include <string>

#include "sim/command_pattern.h"
#include "sim/shape.h"

namespace zov::sim {

struct FaultPlan {
    CommandPattern only;        // the commands the faults below hit (default: every one)
    int dropEvery = 0;          // every Nth reply is lost (0: none), counted from when it was set
    double dropFraction = 0.0;  // this share of replies is lost, drawn from `seed`
    unsigned seed = 1;
    std::chrono::milliseconds delay{0};     // before a reply starts
    int splitPieces = 1;                    // a reply goes out in this many pieces...
    std::chrono::milliseconds splitGap{0};  // ...this far apart
    std::string leadingGarbage;             // sent before the reply's STX
    std::string trailingBytes;              // sent after its terminator
    bool refuseAll = false;                 // every command answered with a refusal
    bool refuseSetCommands = false;         // commands that set something refused, reads answered
    int tcpDropEvery = 0;  // every Nth command on TCP closes its connection instead (0: never)
    // The serial side paced at this fixed rate, whatever the unit's speed (0: see pacedSerial).
    int serialBaud = 0;
    // The serial side paced at the unit's own speed ("BAUD" changes it); a host
    // line set to another speed is noise to the unit, and the unit's replies
    // are noise to it.
    bool pacedSerial = false;
};

// The plan's delay, pieces, gap and stray bytes as the shape of a reply, and back.
[[nodiscard]] Shape shapeOf(const FaultPlan& plan);
void setShape(FaultPlan& plan, const Shape& shape);

}  // namespace zov::sim
