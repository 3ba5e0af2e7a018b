#!/usr/bin/python3
"""ZovSupply under load: ten devices on ten simulated units at the 66 ms cycle.

Prints the change events a client receives per second, the server's CPU share
of one core and its resident memory, and a client's read round trip.

    bench/tango/tango_bench.py [BUILD_DIR] [--devices N] [--seconds S]
"""
import argparse
import os
import socket
import statistics
import subprocess
import tempfile
import time

import tango


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def resident_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    arguments = argparse.ArgumentParser()
    arguments.add_argument("build", nargs="?", default="build")
    arguments.add_argument("--devices", type=int, default=10)
    arguments.add_argument("--seconds", type=float, default=30.0)
    options = arguments.parse_args()
    folder = tempfile.mkdtemp(prefix="zov-tango-bench-")
    units = []
    resources = os.path.join(folder, "bench.res")
    names = ["zov/bench/%d" % n for n in range(1, options.devices + 1)]
    with open(resources, "w") as f:
        f.write("ZovSupply/bench/DEVICE/ZovSupply: %s\n" % ", ".join(names))
        for name in names:
            port = free_port()
            units.append(subprocess.Popen(
                [os.path.join(options.build, "zov-sim"), "--tcp", str(port), "--do", "noise on"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            f.write("%s->Port: 127.0.0.1:%d\n" % (name, port))
    server_port = free_port()
    time.sleep(0.5)
    server = subprocess.Popen(
        [os.path.join(options.build, "ZovSupply"), "bench", "-file=" + resources,
         "-ORBendPoint", "giop:tcp:127.0.0.1:%d" % server_port],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subscriptions = []
    try:
        devices = []
        for name in names:
            address = "tango://127.0.0.1:%d/%s#dbase=no" % (server_port, name)
            for _ in range(100):
                try:
                    device = tango.DeviceProxy(address)
                    device.ping()
                    break
                except tango.DevFailed:
                    time.sleep(0.1)
            devices.append(device)
        for device in devices:
            while device.state() != tango.DevState.OFF:
                time.sleep(0.1)
        received = [0]

        def count(event):
            if not event.err:
                received[0] += 1
        attributes = [a for a in devices[0].get_attribute_list() if a not in ("State", "Status")]
        # Without a database Tango's event heartbeat does not reach a client,
        # which gives up on its subscriptions after 10 s (and PyTango 9.3.6
        # may crash then): events are counted in windows of 8 s.
        received[0] = 0
        counted = 0.0
        cpu_before = cpu_seconds(server.pid)
        start = time.monotonic()
        while counted < options.seconds:
            for device in devices:
                for name in attributes + ["State", "Status"]:
                    subscriptions.append((device, device.subscribe_event(
                        name, tango.EventType.CHANGE_EVENT, count)))
            window_start = time.monotonic()
            # The first event of a subscription is its current value.
            time.sleep(1)
            before = received[0]
            time.sleep(min(7.0, options.seconds - counted))
            counted += time.monotonic() - window_start - 1
            events_in_windows = received[0] - before
            for device, subscription in subscriptions:
                device.unsubscribe_event(subscription)
            subscriptions.clear()
            received.append(events_in_windows)
        elapsed = time.monotonic() - start
        cpu = (cpu_seconds(server.pid) - cpu_before) / elapsed * 100
        events = sum(received[1:]) / counted
        round_trips = []
        for _ in range(2000):
            begin = time.perf_counter()
            devices[0].read_attribute("Voltage")
            round_trips.append((time.perf_counter() - begin) * 1e6)
        round_trips.sort()
        print("devices on simulated units:     %d, %d attributes each, every change subscribed"
              % (len(devices), len(attributes) + 2))
        print("change events received:         %.1f a second (%.1f a device)"
              % (events, events / len(devices)))
        print("server CPU:                     %.1f %% of one core" % cpu)
        print("server resident memory:         %.1f MiB" % resident_mib(server.pid))
        print("read_attribute round trip:      median %.0f us, 99th percentile %.0f us"
              % (statistics.median(round_trips), round_trips[int(len(round_trips) * 0.99)]))
    finally:
        # A subscription left open when the server goes crashes PyTango at exit.
        for device, subscription in subscriptions:
            device.unsubscribe_event(subscription)
        server.terminate()
        server.wait(10)
        for unit in units:
            unit.terminate()
            unit.wait(10)


if __name__ == "__main__":
    main()
