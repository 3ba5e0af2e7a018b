"""ZovSupply against simulated supplies, through PyTango, with no database.

Two zov-sim units behind one server (devices zov/supply/1 and /2, the second
without XrayOnAllowed), and a server started with -nodb for what a client may
send to one that has no database.
"""
import os
import socket
import subprocess
import tempfile
import time
import unittest

import tango

SIM = os.environ["ZOV_SIM"]
SERVER = os.environ["ZOV_SUPPLY"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, seconds=8.0):
    """The condition's value once it holds, or None after `seconds`."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return None


class Unit:
    def __init__(self, folder, name):
        self.port = free_port()
        self.control = os.path.join(folder, name + ".control")
        self.process = subprocess.Popen(
            [SIM, "--tcp", str(self.port), "--control", self.control],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        assert wait_for(lambda: os.path.exists(self.control)), "zov-sim did not start"

    def tell(self, *lines):
        with open(self.control, "w") as pipe:
            pipe.write("".join(line + "\n" for line in lines))


class Server:
    def __init__(self, folder, *arguments):
        self.port = free_port()
        self.log = open(os.path.join(folder, "server-%d.log" % self.port), "w+")
        self.process = subprocess.Popen(
            [SERVER, "test", *arguments, "-ORBendPoint", "giop:tcp:127.0.0.1:%d" % self.port],
            stdout=self.log, stderr=subprocess.STDOUT)

    def device(self, name):
        address = "tango://127.0.0.1:%d/%s#dbase=no" % (self.port, name)

        def proxy():
            try:
                device = tango.DeviceProxy(address)
                device.ping()
                return device
            except tango.DevFailed:
                return None
        device = wait_for(proxy)
        assert device is not None, "the server did not come up"
        return device

    def stop(self):
        self.process.terminate()
        try:
            return self.process.wait(10)
        finally:
            self.log.close()


def failure(call, *arguments):
    """The first DevError of what `call` raised, or None when it did not."""
    try:
        call(*arguments)
    except tango.DevFailed as failed:
        return failed.args[0]
    return None


class ZovSupplyServer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="zov-tango-")
        cls.units = [Unit(cls.folder, "one"), Unit(cls.folder, "two")]
        resources = os.path.join(cls.folder, "zov.res")
        with open(resources, "w") as f:
            f.write("ZovSupply/test/DEVICE/ZovSupply: zov/supply/1, zov/supply/2\n")
            for number, unit in enumerate(cls.units, start=1):
                f.write("zov/supply/%d->Port: 127.0.0.1:%d\n" % (number, unit.port))
            f.write("zov/supply/1->XrayOnAllowed: true\n")
        cls.server = Server(cls.folder, "-file=" + resources)
        cls.one = cls.server.device("zov/supply/1")
        cls.two = cls.server.device("zov/supply/2")
        for device in (cls.one, cls.two):
            assert wait_for(lambda: device.state() == tango.DevState.OFF), device.status()

    @classmethod
    def tearDownClass(cls):
        assert cls.server.stop() == 0, "the server did not end cleanly; see " + cls.server.log.name
        for unit in cls.units:
            unit.process.terminate()
            unit.process.wait(10)

    def setUp(self):
        for unit in self.units:
            unit.tell("link clear", "replies clear", "interlock closed", "fault clear")
        self.one.Off()
        for device in (self.one, self.two):
            self.assertTrue(wait_for(lambda: device.state() == tango.DevState.OFF), device.status())

    def test_every_attribute_reads_as_the_unit_gave_it(self):
        numbers = ["Voltage", "Current", "VoltageSetpoint", "CurrentSetpoint", "FilamentCurrent",
                   "FilamentLimit", "FilamentPreheat", "AuxVoltage", "Temperature",
                   "VoltageFullScale", "CurrentFullScale", "ArcCount", "CommErrors"]
        flags = ["XrayOn", "InterlockOpen", "Remote"]
        texts = ["Model", "SerialNumber", "HardwareRevision", "SoftwareRevision", "SoftwareBuild"]
        wait_for(lambda: all(self.one.read_attribute(name).quality == tango.AttrQuality.ATTR_VALID
                             for name in numbers + flags + texts))
        for name in numbers + flags + texts:
            with self.subTest(attribute=name):
                reading = self.one.read_attribute(name)
                self.assertEqual(reading.quality, tango.AttrQuality.ATTR_VALID)
                kind = float if name in numbers[:11] else (
                    int if name in numbers else bool if name in flags else str)
                self.assertIsInstance(reading.value, kind)
        self.assertEqual(self.one.get_attribute_config("Voltage").unit, "kV")
        self.assertEqual(self.one.get_attribute_config("Current").max_value,
                         "%g" % self.one.CurrentFullScale)

    def test_writes_and_commands_reach_the_unit(self):
        self.one.write_attribute("Voltage", 30.0)
        self.assertTrue(wait_for(lambda: abs(self.one.VoltageSetpoint - 30.0) < 0.05))
        self.assertAlmostEqual(self.one.read_attribute("Voltage").w_value, 30.0, delta=0.05)
        self.one.write_attribute("FilamentLimit", 2.5)
        self.assertAlmostEqual(self.one.FilamentLimit, 2.5, delta=0.002)
        self.one.On()
        self.assertEqual(self.one.state(), tango.DevState.ON)
        self.one.On()  # already on: accepted, nothing to do
        self.one.Off()
        self.assertFalse(self.one.XrayOn)
        self.one.Remote()  # the command; the attribute of the same name reads it back
        self.assertTrue(self.one.read_attribute("Remote").value)
        self.one.Local()
        self.assertFalse(self.one.read_attribute("Remote").value)
        self.assertEqual(self.two.VoltageSetpoint, 0.0, "the other unit keeps its own setpoint")

    def test_refusals_reach_the_client(self):
        cases = [
            ("a setpoint the unit refuses", "link refuse set",
             lambda: self.one.write_attribute("Current", 0.25), "ZOV_Refused", '"IREF'),
            ("above the full scale", "link clear",
             lambda: self.one.write_attribute("Voltage", 10000.0), "API_WAttrOutsideLimit", ""),
            ("X-ray on not allowed", "link clear", self.two.On, "ZOV_XrayOnNotAllowed",
             "XrayOnAllowed"),
            ("a unit that does not answer", "reply ENBL* silent", self.one.On, "ZOV_NoAnswer",
             '"ENBL 1;"'),
            ("a profile that is none", "link clear",
             lambda: self.one.StartSeasoning("step,kV\n1,forty"), "ZOV_NotSent", "line"),
        ]
        for what, staging, call, reason, named in cases:
            with self.subTest(what):
                self.units[0].tell(staging)
                error = failure(call)
                self.assertIsNotNone(error)
                self.assertEqual(error.reason, reason, error.desc)
                self.assertIn(named, error.desc)
        self.units[0].tell("replies clear")
        self.two.Off()  # always allowed

    def test_interlock_and_faults_turn_the_state(self):
        self.units[1].tell("interlock open")
        self.assertTrue(wait_for(lambda: self.two.state() == tango.DevState.ALARM))
        self.assertTrue(self.two.InterlockOpen)
        self.assertEqual(self.one.state(), tango.DevState.OFF, "the other unit is not concerned")
        # The simulated unit raises its supply fault with any fault flag.
        self.units[1].tell("interlock closed", "fault temperature on")
        self.assertTrue(wait_for(lambda: self.two.state() == tango.DevState.FAULT))
        self.assertTrue(wait_for(lambda: list(self.two.Faults or []) == ["temperature", "supply"]))
        self.assertIn("supply fault", self.two.status())
        self.two.Off()
        self.two.Reset()
        self.assertTrue(wait_for(lambda: self.two.state() == tango.DevState.OFF), self.two.status())

    def test_change_events_follow_the_unit(self):
        seen = {"Voltage": [], "State": []}

        def keep(event):
            if not event.err:
                seen[event.attr_value.name.split("/")[-1].capitalize()
                     if event.attr_value.name.lower().endswith("state")
                     else "Voltage"].append(event.attr_value.value)
        ids = [self.one.subscribe_event(name, tango.EventType.CHANGE_EVENT, keep)
               for name in seen]
        try:
            self.one.write_attribute("Voltage", 20.0)
            self.one.On()
            self.assertTrue(wait_for(lambda: any(v is not None and abs(v - 20.0) < 0.5
                                                 for v in seen["Voltage"])), seen)
            self.assertTrue(wait_for(lambda: tango.DevState.ON in seen["State"]), seen)
            self.one.Off()
            self.assertTrue(wait_for(lambda: seen["State"][-1] == tango.DevState.OFF), seen)
        finally:
            for event_id in ids:
                self.one.unsubscribe_event(event_id)

    def test_a_lost_or_silent_unit_reads_unknown_and_invalid_then_recovers(self):
        for what, fault in [("connection dropped", "drop-connections"),
                            ("unit silent", "reply * silent forever")]:
            with self.subTest(what):
                self.units[0].tell(fault)
                self.assertTrue(wait_for(lambda: self.one.state() == tango.DevState.UNKNOWN))
                for name in ("Voltage", "XrayOn", "Model"):
                    self.assertEqual(self.one.read_attribute(name).quality,
                                     tango.AttrQuality.ATTR_INVALID, name)
                self.assertEqual(self.two.state(), tango.DevState.OFF)
                self.units[0].tell("replies clear")
                self.assertTrue(wait_for(lambda: self.one.state() == tango.DevState.OFF,
                                         seconds=15), self.one.status())
                self.assertTrue(wait_for(lambda: self.one.read_attribute("Voltage").quality
                                         == tango.AttrQuality.ATTR_VALID))

    def test_seasoning_moves_tells_a_refusal_and_stops_with_the_output_off(self):
        # 100 kV is past the simulated unit's 60 kV: its VREF is refused, the run goes on.
        profile = "step,kV,mA,minutes,cycling\n1,100,0.1,5,no\n"
        self.one.StartSeasoning(profile)
        self.assertTrue(wait_for(lambda: self.one.state() == tango.DevState.MOVING))
        self.assertTrue(wait_for(lambda: "refused the seasoning run's VREF 6825;, step 1"
                                 in self.one.status()), self.one.status())
        self.assertEqual(failure(self.two.StartSeasoning, profile).reason, "ZOV_XrayOnNotAllowed")
        self.one.StopSeasoning()
        self.assertTrue(wait_for(lambda: self.one.state() == tango.DevState.OFF))
        self.assertFalse(self.one.XrayOn)

    def test_init_restarts_the_device(self):
        self.two.Init()
        self.assertTrue(wait_for(lambda: self.two.state() == tango.DevState.OFF), self.two.status())


class ServerWithoutDatabase(unittest.TestCase):
    def test_attribute_configuration_is_refused_and_the_server_lives(self):
        folder = tempfile.mkdtemp(prefix="zov-tango-nodb-")
        server = Server(folder, "-nodb", "-dlist", "zov/supply/1")
        try:
            device = server.device("zov/supply/1")
            self.assertEqual(device.state(), tango.DevState.UNKNOWN)
            self.assertIn("Port property", device.status())
            config = device.get_attribute_config("Voltage")
            config.max_value = "50"
            self.assertEqual(failure(device.set_attribute_config, config).reason,
                             "ZOV_NoDatabase")
            device.ping()
            self.assertIsNone(server.process.poll())
        finally:
            self.assertEqual(server.stop(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
