// The ZovSupply Tango device: one supply behind one link, run by the core's
// worker in a thread of its own. Reads are served from the worker's latest
// readings and never wait for the unit; writes and commands go through the
// worker's queue with a deadline, and what the unit refused or did not
// answer comes back to the client as an exception that names the command
// and the unit's answer. Change and archive events are pushed by an event
// publisher as the update cycle brings new readings.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/seasoning_run.h"
#include "core/supply_worker.h"
#include "tango/device_settings.h"
#include "tango/supply_view.h"
#include "tango/tango_headers.h"

namespace zov::tango {

class EventPublisher;

[[nodiscard]] Tango::DevState tangoState(Condition condition);

class ZovSupply : public TANGO_BASE_CLASS {
public:
    ZovSupply(Tango::DeviceClass* deviceClass, const char* name);
    ~ZovSupply() override;
    ZovSupply(const ZovSupply&) = delete;
    ZovSupply& operator=(const ZovSupply&) = delete;

    void init_device() override;
    void delete_device() override;
    Tango::DevState dev_state() override;
    Tango::ConstDevString dev_status() override;
    void read_attr_hardware(std::vector<long>& attributes) override;

    // A server without a database cannot keep an attribute's configuration:
    // Tango's own code would fail on it, so such a request is refused there.
    void set_attribute_config(const Tango::AttributeConfigList& config) override;
    void set_attribute_config_3(const Tango::AttributeConfigList_3& config) override;
    void set_attribute_config_4(const Tango::AttributeConfigList_3& config,
                                const Tango::ClntIdent& client) override;
    void set_attribute_config_5(const Tango::AttributeConfigList_5& config,
                                const Tango::ClntIdent& client) override;

    // From the attribute and command objects, on a client's thread with the
    // device's monitor held.
    void readAttribute(std::size_t row, Tango::Attribute& attribute);
    // Puts `shown` into the attribute: value, date and quality, from storage
    // that lasts until Tango has sent it. Monitor held.
    void show(std::size_t row, const Shown& shown, Tango::Attribute& attribute);
    [[nodiscard]] static Shown shownFor(std::size_t row, const core::SupplyReadings& readings,
                                        Condition condition);
    void writeSetpoint(core::Channel channel, const char* attribute, double value);
    void switchOn();
    void switchOff();
    void resetFaults();
    void setRemote(bool remote);
    void clearArcCount();
    void startSeasoning(const std::string& profileCsv);
    void stopSeasoning();

    // For the event publisher: the situation the readings are shown in, and
    // the work a second of it brings (a link to reopen, the combined status).
    [[nodiscard]] DeviceSituation situation() const;
    // Sets Voltage's and Current's write limits to the unit's full scales
    // once it has given them (or another unit gives others). Monitor held.
    void limitWrites(const core::SupplyReadings& readings);
    void everySecond();
    [[nodiscard]] core::SupplyWorker* worker() { return worker_.get(); }

private:
    // Storage a read's value points at until Tango has sent it.
    struct ReadBuffer {
        Tango::DevDouble number = 0.0;
        Tango::DevBoolean truth = false;
        Tango::DevLong whole = 0;
        std::string text;
        Tango::DevString textPointer = nullptr;
        std::vector<std::string> list;
        std::vector<Tango::DevString> listPointers;
    };

    void readProperties();
    // Queues opening the link and the reads a freshly opened link needs.
    void openLink();
    void refuseWithoutDatabase() const;
    // Stops the publisher, letting it take the monitor it may be waiting for.
    void stopPublisher();

    DeviceSettings settings_;
    QString settingsProblem_;
    std::unique_ptr<core::SupplyWorker> worker_;
    std::unique_ptr<EventPublisher> publisher_;
    core::SupplyReadings snapshot_;
    std::vector<ReadBuffer> buffers_;
    std::string status_;

    mutable std::mutex linkMutex_;
    bool linkUp_ = false;
    QString linkProblem_;
    std::atomic<bool> opening_{false};
    std::atomic<bool> seasoning_{false};
    mutable std::mutex refusalMutex_;
    QString seasoningRefusal_;  // since the run last started
    // Made, used and destroyed on the worker's thread only, inside calls.
    core::SeasoningRun* run_ = nullptr;
    int secondsDown_ = 0;  // the publisher's thread only
    std::optional<double> voltageLimit_;
    std::optional<double> currentLimit_;
};

}  // namespace zov::tango
