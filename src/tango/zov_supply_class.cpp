#include "zov_supply_class.h"

#include <functional>

#include "tango/supply_view.h"
#include "tango/zov_supply.h"

namespace zov::tango {
namespace {

ZovSupply& deviceOf(Tango::DeviceImpl* device) {
    return *static_cast<ZovSupply*>(device);
}

long tangoType(Kind kind) {
    switch (kind) {
        case Kind::Double:
            return Tango::DEV_DOUBLE;
        case Kind::Bool:
            return Tango::DEV_BOOLEAN;
        case Kind::Long:
            return Tango::DEV_LONG;
        case Kind::String:
        case Kind::Strings:
            return Tango::DEV_STRING;
    }
    return Tango::DEV_DOUBLE;
}

void describe(const AttributeRow& row, Tango::UserDefaultAttrProp& properties) {
    properties.set_label(row.label);
    properties.set_description(row.description);
    if (*row.unit != '\0') {
        properties.set_unit(row.unit);
        properties.set_standard_unit(row.unit);
        properties.set_display_unit(row.unit);
    }
    if (*row.format != '\0') {
        properties.set_format(row.format);
    }
}

// Reads from the device's latest readings; writes program a setpoint.
template <typename Base>
class RowAttribute : public Base {
public:
    template <typename... Shape>
    explicit RowAttribute(std::size_t row, Shape... shape)
        : Base(attributeRows()[row].name, tangoType(attributeRows()[row].kind),
               attributeRows()[row].writes ? Tango::READ_WRITE : Tango::READ, shape...),
          row_(row) {
        Tango::UserDefaultAttrProp properties;
        describe(attributeRows()[row], properties);
        this->set_default_properties(properties);
        this->set_change_event(true, false);
        this->set_archive_event(true, false);
    }

    void read(Tango::DeviceImpl* device, Tango::Attribute& attribute) override {
        deviceOf(device).readAttribute(row_, attribute);
    }
    void write(Tango::DeviceImpl* device, Tango::WAttribute& attribute) override {
        const AttributeRow& entry = attributeRows()[row_];
        Tango::DevDouble value = 0.0;
        attribute.get_write_value(value);
        deviceOf(device).writeSetpoint(*entry.writes, entry.name, value);
    }
    bool is_allowed(Tango::DeviceImpl*, Tango::AttReqType) override { return true; }

private:
    std::size_t row_;
};

class DeviceCommand : public Tango::Command {
public:
    using Action = std::function<void(ZovSupply&, const CORBA::Any&)>;

    DeviceCommand(const char* name, Tango::CmdArgType in, const char* inDescription,
                  const char* description, Action action)
        : Tango::Command(name, in, Tango::DEV_VOID, inDescription, "", Tango::OPERATOR),
          action_(std::move(action)) {
        set_disp_level(Tango::OPERATOR);
        (void)description;
    }

    CORBA::Any* execute(Tango::DeviceImpl* device, const CORBA::Any& in) override {
        action_(deviceOf(device), in);
        return new CORBA::Any();
    }
    bool is_allowed(Tango::DeviceImpl*, const CORBA::Any&) override { return true; }

private:
    Action action_;
};

DeviceCommand* plainCommand(const char* name, void (ZovSupply::*action)()) {
    return new DeviceCommand(
        name, Tango::DEV_VOID, "", "",
        [action](ZovSupply& device, const CORBA::Any&) { (device.*action)(); });
}

}  // namespace

ZovSupplyClass::ZovSupplyClass(std::string& name) : Tango::DeviceClass(name) {}

ZovSupplyClass* ZovSupplyClass::init(const char* name) {
    static ZovSupplyClass* instance = nullptr;
    if (instance == nullptr) {
        std::string className(name);
        instance = new ZovSupplyClass(className);
    }
    return instance;
}

void ZovSupplyClass::command_factory() {
    command_list.push_back(plainCommand("On", &ZovSupply::switchOn));
    command_list.push_back(plainCommand("Off", &ZovSupply::switchOff));
    command_list.push_back(plainCommand("Reset", &ZovSupply::resetFaults));
    command_list.push_back(
        new DeviceCommand("Local", Tango::DEV_VOID, "", "",
                          [](ZovSupply& device, const CORBA::Any&) { device.setRemote(false); }));
    command_list.push_back(
        new DeviceCommand("Remote", Tango::DEV_VOID, "", "",
                          [](ZovSupply& device, const CORBA::Any&) { device.setRemote(true); }));
    command_list.push_back(plainCommand("ClearArcCount", &ZovSupply::clearArcCount));
    command_list.push_back(new DeviceCommand(
        "StartSeasoning", Tango::DEV_STRING,
        "The profile as its CSV file holds it: step,kV,mA,minutes,cycling, one line a step", "",
        [](ZovSupply& device, const CORBA::Any& in) {
            Tango::ConstDevString text = nullptr;
            if (!(in >>= text) || text == nullptr) {
                Tango::Except::throw_exception("ZOV_NotSent",
                                               "StartSeasoning takes the profile as a string",
                                               "StartSeasoning");
            }
            device.startSeasoning(text);
        }));
    command_list.push_back(plainCommand("StopSeasoning", &ZovSupply::stopSeasoning));
}

void ZovSupplyClass::attribute_factory(std::vector<Tango::Attr*>& attributes) {
    const auto& rows = attributeRows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].kind == Kind::Strings) {
            attributes.push_back(new RowAttribute<Tango::SpectrumAttr>(row, kMaxFaultNames));
        } else {
            attributes.push_back(new RowAttribute<Tango::Attr>(row));
        }
    }
}

void ZovSupplyClass::device_factory(const Tango::DevVarStringArray* names) {
    for (CORBA::ULong i = 0; i < names->length(); ++i) {
        auto* device = new ZovSupply(this, (*names)[i]);
        device_list.push_back(device);
        if (Tango::Util::_UseDb && !Tango::Util::_FileDb) {
            export_device(device);
        } else {
            export_device(device, device->get_name().c_str());
        }
    }
}

}  // namespace zov::tango
