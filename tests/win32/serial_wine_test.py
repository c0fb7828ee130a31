#!/usr/bin/env python3
"""The Windows serial port end to end under Wine.

Each case links a COM port of the Wine prefix (dosdevices/comN) to the slave side of a
pseudo-terminal, puts a controller on the master side (the Linux build's controller emulator, or
this script playing a faulty one), and runs one test of the Windows test program against it:

  full     the emulator; a full table is downloaded and the emulator's image is compared byte for
           byte with the one the test program built from the LED files alone
  missing  no link at all; pelmora-send.exe on it too
  notserial a link to /dev/null
  busy     a pty nobody answers on; the test program holds the port itself first
  lost     a controller that goes away in the middle of a chunk
  flood    a controller that sends bytes without end
  send     pelmora-send.exe downloads five shows that fill the controller to the emulator through
           COM12 (a number that only the \\.\COMn form reaches), byte-equal to an image built
           here from the files alone
  repeat   pelmora-send.exe --repeat --json programs two controllers one after another through
           COM14, the emulator unplugging each (its COM link removed) and plugging in the next;
           Ctrl-C while it waits for a third ends it with exit 0 and the count
"""

import argparse
import os
import pty
import select
import subprocess
import sys
import threading
import time
import random
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "realwindow"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app"))
import realwindow_test as builder  # noqa: E402  the LED files and the expected image, from the format
from send_cli_test import station_problems  # noqa: E402  the station's run, shared with the pty test

COM = 7


def link(prefix, number, target):
    path = os.path.join(prefix, "dosdevices", f"com{number}")
    if os.path.lexists(path):
        os.unlink(path)
    if target:
        os.symlink(target, path)
    return path


def run_test(args, name, number, env=None, timeout=300):
    environment = dict(os.environ, PELMORA_WINE_COM=str(number), **(env or {}))
    command = [args.wine_run, args.prefix, args.exe, f"--gtest_filter={name}"]
    try:
        return subprocess.run(command, env=environment, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired as hung:
        return subprocess.CompletedProcess(command, -1, str(hung.stdout or ""), f"hung for {timeout} s")


def passed(result, name):
    ok = result.returncode == 0 and "[  PASSED  ] 1 test" in result.stdout
    if not ok:
        print(f"--- {name}: exit {result.returncode}\n{result.stdout}\n{result.stderr}")
    return ok


def raw_pty():
    master, slave = pty.openpty()
    tty.setraw(slave)
    tty.setraw(master)
    os.set_blocking(master, False)
    return master, slave


def read_some(master, deadline):
    while time.monotonic() < deadline:
        ready, _, _ = select.select([master], [], [], 0.1)
        if ready:
            try:
                return os.read(master, 65536)
            except BlockingIOError:
                continue
            except OSError:
                return b""
    return b""


def case_full(args):
    image = os.path.join(args.work, "image.bin")
    expected = os.path.join(args.work, "expected.bin")
    for path in (image, expected):
        if os.path.exists(path):
            os.unlink(path)
    com_link = link(args.prefix, COM, None)
    emulator = subprocess.Popen([args.emulator, "--link", com_link, "--out", image],
                                stdout=subprocess.PIPE, text=True)
    lines = []
    ready = threading.Event()

    def collect():
        for line in emulator.stdout:
            lines.append(line.rstrip("\n"))
            if line.startswith("controller on"):
                ready.set()
        ready.set()

    reader = threading.Thread(target=collect, daemon=True)
    reader.start()
    ready.wait(30)
    try:
        result = run_test(args, "WineSerial.DownloadsAFullTableThroughTheComPort", COM,
                          {"PELMORA_WINE_EXPECTED": "Z:" + expected.replace("/", "\\")})
        ok = passed(result, "full")
        if ok:
            try:
                emulator.wait(timeout=30)  # it ends by itself after one download
            except subprocess.TimeoutExpired:
                ok = False
                print("--- full: the emulator did not end after the download")
    finally:
        if emulator.poll() is None:
            emulator.terminate()
            emulator.wait()
        reader.join(5)
    if not ok:
        print("\n".join(lines))
        return False
    done = [line for line in lines if line.startswith("download 1:")]
    problems = []
    if len(done) != 1 or "60416 bytes" not in done[0] or " 15 chunks, 0 unexpected bytes" not in done[0]:
        problems.append(f"the emulator reported {done or lines}")
    with open(image, "rb") as got, open(expected, "rb") as want:
        got_bytes, want_bytes = got.read(), want.read()
    if len(want_bytes) != 60416 or got_bytes != want_bytes:
        first = next((i for i, (a, b) in enumerate(zip(got_bytes, want_bytes)) if a != b), None)
        problems.append(f"image differs: {len(got_bytes)} bytes against {len(want_bytes)}, first at {first}")
    for problem in problems:
        print(f"--- full: {problem}")
    return not problems


def case_missing(args):
    link(args.prefix, 8, None)
    ok = passed(run_test(args, "Kinds/WineSerialRefused.GivesThePortMessageAndThePortSaysWhy/AMissingPort", 8),
                "missing")
    rng = random.Random(13)
    show = builder.make_led_file(os.path.join(args.work, "nowhere.led"), 10, 2, 0, rng)
    sent = subprocess.run([args.wine_run, args.prefix, args.send, "-p", "COM8", windows_path(show["path"])],
                          capture_output=True, timeout=300)
    said = sent.stderr.decode(errors="replace")
    if sent.returncode != 2 or "COM8: 不存在该串口,请重新选择. (" not in said:
        print(f"--- missing: pelmora-send.exe exit {sent.returncode}: {said}")
        ok = False
    return ok


def case_notserial(args):
    link(args.prefix, 13, "/dev/null")
    return passed(run_test(args, "Kinds/WineSerialRefused.GivesThePortMessageAndThePortSaysWhy/NoSerialDevice", 13),
                  "notserial")


def case_busy(args):
    master, slave = raw_pty()
    link(args.prefix, 9, os.ttyname(slave))
    try:
        return passed(run_test(args, "WineSerial.APortHeldByAnotherGivesThePortMessageUntilItIsReleased", 9),
                      "busy")
    finally:
        os.close(master)
        os.close(slave)


def case_lost(args):
    master, slave = raw_pty()
    link(args.prefix, 10, os.ttyname(slave))
    # The controller: answers the start byte, takes the header, asks for a chunk, and once a
    # thousand bytes of it have come, the line goes away.
    def controller():
        deadline = time.monotonic() + 120
        taken = b""
        stage = "start"
        while time.monotonic() < deadline:
            more = read_some(master, deadline)
            if not more:
                continue
            taken += more
            if stage == "start" and b"\x41" in taken:
                taken = taken[taken.index(b"\x41") + 1:]
                os.write(master, b"\x41")
                stage = "header"
            if stage == "header" and len(taken) >= 38:
                taken = taken[38:]
                os.write(master, b"\x42")
                stage = "chunk"
            if stage == "chunk" and len(taken) >= 1000:
                os.close(master)
                os.close(slave)
                return
        os.close(master)
        os.close(slave)

    thread = threading.Thread(target=controller, daemon=True)
    thread.start()
    result = run_test(args, "WineSerial.ALineClosedMidTransferGivesOneMessageAndAClosedPort", 10)
    thread.join(10)
    return passed(result, "lost")


def case_flood(args):
    master, slave = raw_pty()
    link(args.prefix, 11, os.ttyname(slave))
    stop = threading.Event()
    pattern = bytes(range(256)) * 16

    def flood():
        while not stop.is_set():
            _, ready, _ = select.select([], [master], [], 0.1)
            if ready:
                try:
                    os.write(master, pattern)
                except (BlockingIOError, OSError):
                    pass

    thread = threading.Thread(target=flood, daemon=True)
    thread.start()
    try:
        result = run_test(args, "WineSerialFlood.LeavesTheToolAnsweringAndItsMemoryFlat", 11)
    finally:
        stop.set()
        thread.join(10)
        os.close(master)
        os.close(slave)
    return passed(result, "flood")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def case_send(args):
    rng = random.Random(12)
    shows = []
    for i in range(4):
        show = builder.make_led_file(os.path.join(args.work, f"show{i}.led"), 100, 40, 0, rng)
        shows.append(dict(show, dots=100, frames=40))
    last = builder.make_led_file(os.path.join(args.work, "末尾.led"), 2063, 2, 12, rng)
    shows.append(dict(last, dots=2063, frames=2))
    expected = builder.memory_image(shows, 5, 3)  # BGR, 30 ms a frame
    received = os.path.join(args.work, "send-received.img")
    written = os.path.join(args.work, "send-written.img")
    com_link = link(args.prefix, 12, None)
    emulator = subprocess.Popen([args.emulator, "--link", com_link, "--out", received],
                                stdout=subprocess.PIPE, text=True)
    emulator.stdout.readline()
    emulator.stdout.readline()  # "controller on ...": the link is there
    command = [args.wine_run, args.prefix, args.send, "-p", "COM12", "-o", "BGR", "-t", "30",
               "--image", windows_path(written)] + [windows_path(s["path"]) for s in shows]
    try:
        result = subprocess.run(command, capture_output=True, timeout=300)
        emulator.wait(timeout=30)
    except subprocess.TimeoutExpired:
        print("--- send: hung")
        return False
    finally:
        if emulator.poll() is None:
            emulator.kill()
    log = emulator.stdout.read()
    problems = []
    if result.returncode != 0:
        problems.append(f"exit {result.returncode}: {result.stderr.decode(errors='replace')}")
    if " 15 chunks, 0 unexpected bytes" not in log:
        problems.append(f"the emulator saw {log}")
    for name, path in (("the emulator's image", received), ("--image", written)):
        with open(path, "rb") as f:
            got = f.read()
        if got != expected:
            problems.append(f"{name}: " + builder.describe_difference(got, expected))
    for problem in problems:
        print(f"--- send: {problem}")
    return not problems


def case_repeat(args):
    show = builder.make_led_file(os.path.join(args.work, "station.led"), 300, 4, 1, random.Random(14))
    expected = builder.memory_image([dict(show, dots=300, frames=4)], 0, 5)
    problems = station_problems([args.wine_run, args.prefix, args.send], windows_path(show["path"]), args.emulator,
                                link(args.prefix, 14, None), "COM14", os.path.join(args.work, "unit-%d.img"),
                                expected, 2, limit=120)
    for problem in problems:
        print(f"--- repeat: {problem}")
    return not problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--send", required=True, help="pelmora-send.exe")
    parser.add_argument("cases", nargs="*",
                        default=["full", "missing", "notserial", "busy", "lost", "flood", "send", "repeat"])
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    # The prefix is made on first use; its dosdevices folder must be there before any link.
    subprocess.run([args.wine_run, args.prefix, args.exe, "--gtest_list_tests"], capture_output=True, check=True)
    cases = {"full": case_full, "missing": case_missing, "notserial": case_notserial, "busy": case_busy,
             "lost": case_lost, "flood": case_flood, "send": case_send, "repeat": case_repeat}
    failed = []
    for name in args.cases:
        started = time.monotonic()
        try:
            ok = cases[name](args)
        except (OSError, subprocess.SubprocessError) as error:
            print(f"--- {name}: {error}")
            ok = False
        print(f"{name}: {'ok' if ok else 'FAILED'} ({time.monotonic() - started:.1f} s)")
        if not ok:
            failed.append(name)
    for number in (COM, 8, 9, 10, 11, 12, 13, 14):
        link(args.prefix, number, None)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
