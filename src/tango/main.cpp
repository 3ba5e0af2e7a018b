// ZovSupply: a Tango device server for ZOV supplies, one device per supply.
//
//     ZovSupply INSTANCE [-file=RESOURCES] [-nodb -dlist zov/supply/1,...]
//
// Each device opens its own link (its Port property) and runs the update
// cycle in a thread of its own; see README, "In a Tango control system".
#include <QCoreApplication>
#include <iostream>

#include "tango/tango_headers.h"
#include "tango/zov_supply_class.h"

void Tango::DServer::class_factory() {
    add_class(zov::tango::ZovSupplyClass::init("ZovSupply"));
}

int main(int argc, char* argv[]) {
    // The supplies' workers need an application object; its own event loop
    // never runs, Tango's does.
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);
    try {
        Tango::Util* tango = Tango::Util::init(argc, argv);
        tango->server_init();
        std::cout << "Ready to accept request" << std::endl;
        tango->server_run();
        tango->server_cleanup();
    } catch (const std::bad_alloc&) {
        std::cerr << "ZovSupply: out of memory" << std::endl;
        return 1;
    } catch (const CORBA::Exception& e) {
        Tango::Except::print_exception(e);
        return 1;
    }
    return 0;
}
