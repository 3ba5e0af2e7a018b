// Pushes a ZovSupply device's change and archive events as the worker's
// update cycle brings readings: an attribute's event goes out when its value
// or its validity changed, State's and Status's when they did. Runs in a
// thread of its own and takes the device's monitor for each pass, as Tango
// asks of a thread that pushes events. Once a second it also gives the
// device its periodic work (a link to reopen, the combined status).
#pragma once

#include <QMetaObject>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tango/supply_view.h"
#include "tango/tango_headers.h"

namespace zov::tango {

class ZovSupply;

class EventPublisher {
public:
    explicit EventPublisher(ZovSupply& device);
    ~EventPublisher();
    EventPublisher(const EventPublisher&) = delete;
    EventPublisher& operator=(const EventPublisher&) = delete;

    // Ends the thread after its pass; the device's monitor must not be held
    // by the calling thread (the pass may be waiting for it).
    void stop();

private:
    void wake();
    void run();
    void publish();

    ZovSupply& device_;
    QMetaObject::Connection connection_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool changed_ = false;
    bool stopping_ = false;
    std::vector<std::optional<Shown>> pushed_;
    std::optional<Tango::DevState> pushedState_;
    std::string pushedStatus_;
    std::thread thread_;
};

}  // namespace zov::tango
