// What a supply stores: identity, factory data and user options, with the
// values a unit leaves the factory with.
#pragma once

#include <string>

namespace zov::sim {

// Converter counts: setpoints and monitors are 12-bit.
inline constexpr int kFullScaleCount = 4095;

struct Identity {
    std::string hardwareRevision = "A01";
    std::string model = "ZOV80N100";
    // Exactly eleven characters: the console takes the revision by position.
    std::string softwareRevision = "REV 03.06.1";
    std::string softwareBuild = "0412";
    std::string serialNumber = "101407139-A00041";
};

struct FactoryData {
    int fullScaleVoltage = 6000;  // hundredths of a kV
    int fullScaleCurrent = 500;   // thousandths of a mA
    int filamentPreheat = 2048;   // counts of 2 A
    int rampSpeed = 1;            // 0 slow, 1 fast
    int arcMode = 0;              // 0 rides through arcs, 1 shuts down on the first
    int filamentTurnOn = 1024;    // counts of the full-scale voltage
};

// In the order the "27," and "09," commands carry them.
struct UserOptions {
    int rov = 0;
    int overVoltage = 105;  // percent
    int rampTenths = 10;    // output ramp from zero to full scale, tenths of a second
    int aol = 0;
    int arcCount = 5;
    int arcPeriod = 10;  // seconds
    int quenchMs = 50;
    int reRamp = 1;
    int noArcDetect = 0;
};

}  // namespace zov::sim
