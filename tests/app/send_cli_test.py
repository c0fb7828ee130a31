#!/usr/bin/env python3
"""pelmora-send over a pseudo-terminal, as a script runs it: exit status, messages, bytes.

  full      five shows that fill the controller's 60378 bytes, to the controller emulator:
            exit 0, the emulator's image byte-equal to one built here from the files alone,
            and --image writes the same bytes
  silent    a controller that never answers: exit 3 once --timeout has passed
  missing   a port that does not exist: exit 2 with the port message and the system's words
  busy      a port another pelmora-send holds: exit 2, saying so
  notserial /dev/null as the port: exit 2, not a serial device
  capacity  shows beyond the capacity: exit 1 with the window's text, and no port opened
  unread    an input file that does not exist: exit 1, saying so, and no port opened
  wait      --wait-port: started before the controller is plugged in, done once it is
  dry       --dry-run --image -: the image on standard output, exit 0, no port
  other     --list-ports, --help and a bad argument
"""

import argparse
import errno
import os
import pty
import random
import select
import subprocess
import sys
import tempfile
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "realwindow"))
import realwindow_test as builder  # noqa: E402  the LED files and the expected image, from the format

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print(f"FAIL: {what}")


# The system's words in its own language, to compare with Python's.
ENGLISH = dict(os.environ, LC_ALL="C.UTF-8")


def run(send, *args, timeout=60):
    return subprocess.run([send, *args], capture_output=True, timeout=timeout, env=ENGLISH)


def case_full(send, emulator, folder):
    rng = random.Random(15)
    # Four shows of 100 dots and 40 frames, and one of 2063 dots and 2 frames (13 sectors a
    # frame): 4 * 12000 + 12378 = 60378 bytes.
    shows = []
    for i in range(4):
        show = builder.make_led_file(os.path.join(folder, f"show{i}.led"), 100, 40, 0, rng)
        shows.append(dict(show, dots=100, frames=40))
    last = builder.make_led_file(os.path.join(folder, "末尾 @节目.led"), 2063, 2, 12, rng)
    shows.append(dict(last, dots=2063, frames=2))
    expected = builder.memory_image(shows, 2, 10)  # GRB, 100 ms a frame
    received = os.path.join(folder, "received.img")
    written = os.path.join(folder, "written.img")
    controller = subprocess.Popen([emulator, "--out", received, "--paced"], stdout=subprocess.PIPE, text=True)
    device = controller.stdout.readline().strip()
    try:
        result = run(send, "-p", device, "-o", "GRB", "-t", "100", "--image", written,
                     *[s["path"] for s in shows[:4]], f"{shows[4]['path']}@2063x2")
        controller.wait(timeout=30)
    finally:
        if controller.poll() is None:
            controller.kill()
        log = controller.stdout.read()
    check(result.returncode == 0, f"full: exit {result.returncode}: {result.stderr.decode()}")
    check("所有数据已经发送到控制器中." in result.stderr.decode(), "full: no completion message")
    check("块 15 / 15" in result.stderr.decode(), "full: no progress line for chunk 15 of 15")
    check(" 15 chunks, 0 unexpected bytes" in log, f"full: the emulator saw {log}")
    with open(received, "rb") as f:
        got = f.read()
    with open(written, "rb") as f:
        image = f.read()
    check(len(expected) == 38 + 60378, "full: the shows do not fill the capacity")
    check(got == expected, "full: " + (builder.describe_difference(got, expected) if got != expected else ""))
    check(image == expected, "full: --image differs from the expected image")


def case_silent(send, folder):
    master, slave = pty.openpty()
    tty.setraw(slave)
    rng = random.Random(1)
    show = builder.make_led_file(os.path.join(folder, "quiet.led"), 10, 2, 0, rng)
    result = run(send, "-p", os.ttyname(slave), "--timeout", "1", show["path"])
    taken = os.read(master, 4096)
    os.close(master)
    os.close(slave)
    check(result.returncode == 3, f"silent: exit {result.returncode}: {result.stderr.decode()}")
    check(taken == b"\x41", f"silent: wrote {taken!r}; only the start byte may go out unasked")


def case_missing(send, folder):
    rng = random.Random(2)
    show = builder.make_led_file(os.path.join(folder, "any.led"), 10, 2, 0, rng)
    result = run(send, "-p", os.path.join(folder, "ttyUSB99"), show["path"])
    check(result.returncode == 2, f"missing: exit {result.returncode}")
    check("不存在该串口,请重新选择." in result.stderr.decode(), "missing: not the port message")
    check(f"({os.strerror(errno.ENOENT)})" in result.stderr.decode(), f"missing: said {result.stderr.decode()}")


def case_busy(send, folder):
    master, slave = pty.openpty()
    tty.setraw(slave)
    rng = random.Random(6)
    show = builder.make_led_file(os.path.join(folder, "held.led"), 10, 2, 0, rng)
    device = os.ttyname(slave)
    # The first waits a minute for a controller that never answers; once its start byte has come,
    # it holds the port.
    holder = subprocess.Popen([send, "-p", device, "--timeout", "60", show["path"]], stderr=subprocess.PIPE, env=ENGLISH)
    try:
        ready, _, _ = select.select([master], [], [], 30)
        check(ready and os.read(master, 1) == b"\x41", "busy: the first never opened the port")
        result = run(send, "-p", device, show["path"])
    finally:
        holder.kill()
        holder.wait()
        os.close(master)
        os.close(slave)
    check(result.returncode == 2, f"busy: exit {result.returncode}: {result.stderr.decode()}")
    check("该串口被其他程序占用" in result.stderr.decode(), f"busy: said {result.stderr.decode()}")


def case_notserial(send, folder):
    rng = random.Random(7)
    show = builder.make_led_file(os.path.join(folder, "null.led"), 10, 2, 0, rng)
    result = run(send, "-p", "/dev/null", show["path"])
    check(result.returncode == 2, f"notserial: exit {result.returncode}")
    check(f"/dev/null: 这不是串口设备 ({os.strerror(errno.ENOTTY)})" in result.stderr.decode(),
          f"notserial: said {result.stderr.decode()}")


def case_unread(send, folder):
    result = run(send, "-p", os.path.join(folder, "never-opened"), os.path.join(folder, "absent.led"))
    check(result.returncode == 1, f"unread: exit {result.returncode}")
    check(f"absent.led: 文件不存在 ({os.strerror(errno.ENOENT)})" in result.stderr.decode(),
          f"unread: said {result.stderr.decode()}")


def case_capacity(send, folder):
    rng = random.Random(3)
    show = builder.make_led_file(os.path.join(folder, "big.led"), 1000, 21, 5, rng)  # 63000 bytes
    result = run(send, "-p", os.path.join(folder, "never-opened"), show["path"])
    check(result.returncode == 1, f"capacity: exit {result.returncode}")
    check("文件长度超出了控制器的容量." in result.stderr.decode(), "capacity: not the window's text")


def case_wait(send, emulator, folder):
    rng = random.Random(4)
    show = builder.make_led_file(os.path.join(folder, "later.led"), 30, 4, 0, rng)
    plug = os.path.join(folder, "ttyUSB7")
    waiting = subprocess.Popen([send, "--wait-port", "-q", "-p", plug, show["path"]], stderr=subprocess.PIPE)
    try:
        waiting.wait(timeout=1.5)
        check(False, "wait: ended before the port was there")
        return
    except subprocess.TimeoutExpired:
        pass
    controller = subprocess.Popen([emulator, "--link", plug], stdout=subprocess.PIPE, text=True)
    try:
        status = waiting.wait(timeout=60)
    finally:
        for p in (waiting, controller):
            if p.poll() is None:
                p.kill()
        controller.wait()
    check(status == 0, f"wait: exit {status}: {waiting.stderr.read().decode()}")
    check(waiting.stderr.read() == b"", "wait: -q still printed")


def case_dry(send, folder):
    rng = random.Random(5)
    show = builder.make_led_file(os.path.join(folder, "dry.led"), 40, 3, 1, rng)
    expected = builder.memory_image([dict(show, dots=40, frames=3)], 0, 5)
    result = run(send, "--dry-run", "--image", "-", "-p", "/nonexistent/port", show["path"])
    check(result.returncode == 0, f"dry: exit {result.returncode}: {result.stderr.decode()}")
    check(result.stdout == expected, "dry: the image on standard output differs")


def case_other(send):
    ports = run(send, "--list-ports")
    lines = ports.stdout.decode().splitlines()
    check(ports.returncode == 0 and len(lines) == 16, f"other: --list-ports gave {lines}")
    check(all(line.startswith(f"COM{n + 1}  ") for n, line in enumerate(lines)), "other: --list-ports lines")
    usage = run(send, "--help")
    check(usage.returncode == 0 and "退出状态" in usage.stdout.decode(), "other: --help")
    bad = run(send, "-t", "55", "a.led")
    check(bad.returncode == 1 and "每帧时间" in bad.stderr.decode(), f"other: bad frame time gave {bad.returncode}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--send", required=True)
    parser.add_argument("--emulator", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="pelmora-send-") as folder:
        case_full(args.send, args.emulator, folder)
        case_silent(args.send, folder)
        case_missing(args.send, folder)
        case_busy(args.send, folder)
        case_notserial(args.send, folder)
        case_capacity(args.send, folder)
        case_unread(args.send, folder)
        case_wait(args.send, args.emulator, folder)
        case_dry(args.send, folder)
        case_other(args.send)
    print("PASS" if not failures else f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
