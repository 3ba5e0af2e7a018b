#include "event_publisher.h"

#include <chrono>

#include "tango/zov_supply.h"

namespace zov::tango {

namespace {
constexpr auto kSecond = std::chrono::seconds(1);

// Whether a client would see a change: the value or its validity (a new
// reading of the same value is no change).
bool sameForClients(const std::optional<Shown>& before, const Shown& now) {
    return before && before->valid == now.valid && (!now.valid || before->value == now.value);
}
}  // namespace

EventPublisher::EventPublisher(ZovSupply& device)
    : device_(device), pushed_(attributeRows().size()) {
    // Direct: called on the worker's thread, it only wakes this one.
    connection_ = QObject::connect(device_.worker(), &core::SupplyWorker::readingsChanged,
                                   [this] { wake(); });
    thread_ = std::thread([this] { run(); });
}

EventPublisher::~EventPublisher() {
    stop();
}

void EventPublisher::wake() {
    {
        std::lock_guard lock(mutex_);
        changed_ = true;
    }
    woken_.notify_one();
}

void EventPublisher::stop() {
    QObject::disconnect(connection_);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    woken_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void EventPublisher::run() {
    auto nextSecond = std::chrono::steady_clock::now() + kSecond;
    while (true) {
        {
            std::unique_lock lock(mutex_);
            woken_.wait_until(lock, nextSecond, [this] { return changed_ || stopping_; });
            if (stopping_) {
                return;
            }
            changed_ = false;
        }
        if (std::chrono::steady_clock::now() >= nextSecond) {
            nextSecond += kSecond;
            device_.everySecond();
        }
        try {
            Tango::AutoTangoMonitor guard(&device_);
            {
                std::lock_guard lock(mutex_);
                if (stopping_) {
                    return;
                }
            }
            publish();
        } catch (const Tango::DevFailed&) {
            // The monitor stayed busy (a long command) or nobody listens any
            // more; the next pass pushes what changed meanwhile.
        }
    }
}

void EventPublisher::publish() {
    const core::SupplyReadings readings = device_.worker()->latest();
    const DeviceSituation situation = device_.situation();
    const Condition condition = conditionOf(readings, situation);
    const auto& rows = attributeRows();
    Tango::MultiAttribute* attributes = device_.get_device_attr();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const Shown shown = ZovSupply::shownFor(row, readings, condition);
        if (sameForClients(pushed_[row], shown)) {
            continue;
        }
        pushed_[row] = shown;
        Tango::Attribute& attribute = attributes->get_attr_by_name(rows[row].name);
        device_.show(row, shown, attribute);
        attribute.fire_change_event();
        attribute.fire_archive_event();
    }
    device_.limitWrites(readings);
    const Tango::DevState state = tangoState(condition);
    if (state != pushedState_) {
        pushedState_ = state;
        // Without a value Tango pushes the device's own state and status.
        device_.set_state(state);
        device_.push_change_event("State");
        device_.push_archive_event("State");
    }
    const std::string status = statusOf(readings, situation);
    if (status != pushedStatus_) {
        pushedStatus_ = status;
        device_.set_status(status);
        device_.push_change_event("Status");
        device_.push_archive_event("Status");
    }
}

}  // namespace zov::tango
