// The ZovSupply device class: its attributes (one object per row of the
// attribute table), its commands and the making of its devices.
#pragma once

#include "tango/tango_headers.h"

namespace zov::tango {

class ZovSupplyClass : public Tango::DeviceClass {
public:
    static ZovSupplyClass* init(const char* name);

protected:
    explicit ZovSupplyClass(std::string& name);
    void command_factory() override;
    void attribute_factory(std::vector<Tango::Attr*>& attributes) override;
    void device_factory(const Tango::DevVarStringArray* names) override;
};

}  // namespace zov::tango
