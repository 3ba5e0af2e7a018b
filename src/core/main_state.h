// Variables that the console's windows share, under the names the supply's
// operators and service documents use for them.
#pragma once

#include <QString>
#include <cstdint>

namespace zov::core {

struct MainState {
    QString portType;       // "ethernet" selects the TCP link, anything else the serial link
    QString CommPortNum;    // serial port as the user chose it ("1", "2", or the entry)
    qint64 CommErrors = 0;  // exchanges without a reply since start
    bool CommStatusFlag = true;
    std::int16_t RxBufferFull = 0;
    std::int16_t ExitSeq = 0;
    bool AutoUpdate = false;
    std::int16_t ctr_AutoUpdate = 0;
    double KvScaleFactor = 0.0;       // kV per converter count, read from the unit
    double mAScaleFactor = 0.000341;  // mA per converter count
    // Whether the unit gave the factor on the link in use; a reading is
    // converted only with a factor it gave (the start-up ones are no scale).
    bool KvScaleRead = false;
    bool mAScaleRead = false;
    std::int16_t NewDAC_A = 0, NewDAC_B = 0, NewDAC_C = 0, NewDAC_D = 0;
    std::int16_t OldDAC_A = 0, OldDAC_B = 0, OldDAC_C = 0, OldDAC_D = 0;
    QString HwRevDefault = QStringLiteral("A01");
    // The monitors' last values as the unit sent them.
    QString KV_MON, EmMon, Fil_I_Mon, LVPS24, AmbTemp;
    std::int16_t ArcArmed = 1;
    std::int16_t ArcCount = 0;
    bool wdtEnabled = true;
};

}  // namespace zov::core
