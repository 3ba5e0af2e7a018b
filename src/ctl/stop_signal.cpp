#include "stop_signal.h"

#include <csignal>

namespace zov::ctl {
namespace {

volatile std::sig_atomic_t g_stopAsked = 0;

void askToStop(int) {
    g_stopAsked = 1;
}

}  // namespace

void catchStopSignals() {
    g_stopAsked = 0;
    std::signal(SIGINT, askToStop);
    std::signal(SIGTERM, askToStop);
}

bool stopAsked() {
    return g_stopAsked != 0;
}

}  // namespace zov::ctl
