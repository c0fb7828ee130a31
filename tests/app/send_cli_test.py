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
  repeat    --repeat --json: three controllers plugged in one after another (the emulator's
            unplug removes the pty's link and makes it again), each programmed once, byte-equal,
            one JSON object each; Ctrl-C between two of them ends with exit 0 and the count 3
  noise     a device that sends a byte every 0.5 s and asks for nothing: exit 3 after --timeout
  early     a controller that says 0x16 before it was sent everything: exit 3, saying how much
            it had asked for (-v shows the handshake)
  nobody    a port this user may not open (run as nobody): exit 2 with the dialout hint
  image     --image over an input file, a folder or a device: refused, the file untouched
  gb18030   in a zh_CN.GB18030 locale the messages are GB18030
"""

import argparse
import errno
import hashlib
import json
import os
import pty
import queue
import random
import select
import signal
import subprocess
import sys
import tempfile
import threading
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
    try:
        return subprocess.run([send, *args], capture_output=True, timeout=timeout, env=ENGLISH)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess([send, *args], -1, b"", f"hung for {timeout} s".encode())


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


class Lines:
    """The lines of a program's stream as they come, for waiting on one of them."""

    def __init__(self, stream):
        self.seen, self._queue = [], queue.Queue()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            self._queue.put(line.decode(errors="replace").rstrip("\n"))
        self._queue.put(None)

    def wait_for(self, text, limit=60):
        """True once a line with text has come; False when the stream ended (or hung) first."""
        try:
            while (line := self._queue.get(timeout=limit)) is not None:
                self.seen.append(line)
                if text in line:
                    return True
            self._queue.put(None)  # for the next wait
        except queue.Empty:
            pass
        return False

    def rest(self):
        while self.wait_for("\0"):
            pass
        return self.seen


def station_problems(command, show, emulator, plug, port, outs, expected, units, env=None, limit=60):
    """command --repeat --json -p port show against an emulator at plug that unplugs each controller
    once done and plugs the next in when the station waits for it; Ctrl-C while it waits for one
    more than units. What went wrong, by exit status, messages, JSON objects, log and images."""
    for n in range(1, units + 2):
        if os.path.exists(outs % n):
            os.unlink(outs % n)
    controllers = subprocess.Popen([emulator, "--link", plug, "--unplug", "--out", outs], stdout=subprocess.PIPE)
    station = subprocess.Popen([*command, "--repeat", "--json", "-p", port, show], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, env=env)
    said, log, problems, status = Lines(station.stderr), Lines(controllers.stdout), [], None
    try:
        for unit in range(2, units + 2):
            if not said.wait_for(f"等待第 {unit} 台控制器", limit):
                problems.append(f"no wait for controller {unit}: {said.seen}")
            elif unit <= units:
                controllers.send_signal(signal.SIGUSR1)
        # Ctrl-C while it waits (under Wine the program gets it as a console Ctrl-C).
        station.send_signal(signal.SIGINT)
        status = station.wait(timeout=60)
    except subprocess.TimeoutExpired:
        pass
    finally:
        for p in (station, controllers):
            if p.poll() is None:
                p.terminate()
            p.wait()
    lines, emulated = said.rest(), log.rest()
    if status != 0 or not any(f"共 {units} 台控制器, {units} 台完成" in line for line in lines):
        problems.append(f"Ctrl-C between units: exit {status}: {lines}")
    if sum(" 台 " in line and ": 完成, " in line for line in lines) != units:
        problems.append(f"unit lines {lines}")
    objects = [json.loads(line) for line in station.stdout.read().decode().splitlines() if line.strip()]
    digest, numbers = hashlib.sha256(expected).hexdigest(), range(1, units + 1)
    if [(o["unit"], o["result"], o["exit"], o["bytes"], o["sha256"], o["port"]) for o in objects] != \
            [(n, "done", 0, len(expected), digest, port) for n in numbers]:
        problems.append(f"--json gave {objects}")
    # Each controller asked once for the header and got one download, with nothing unasked.
    done = [line for line in emulated if line.startswith("download ")]
    if sum("-> 0x41 header" in line for line in emulated) != units or len(done) != units or \
            not all(" 0 unexpected bytes" in line for line in done) or any("not asked for" in x for x in emulated):
        problems.append(f"the controllers saw {emulated}")
    for n in numbers:
        got = open(outs % n, "rb").read() if os.path.exists(outs % n) else b""
        if got != expected:
            problems.append(f"controller {n}: " + builder.describe_difference(got, expected))
    return problems


def case_repeat(send, emulator, folder):
    show = builder.make_led_file(os.path.join(folder, "station.led"), 50, 6, 0, random.Random(16))
    expected = builder.memory_image([dict(show, dots=50, frames=6)], 0, 5)
    plug = os.path.join(folder, "ttyUSB3")
    for problem in station_problems([send], show["path"], emulator, plug, plug,
                                    os.path.join(folder, "unit-%d.img"), expected, 3, ENGLISH):
        check(False, f"repeat: {problem}")


def run_against(send, emulator, folder, name, emulator_args, send_args):
    """pelmora-send against an emulator started with emulator_args; its result and the emulator's log."""
    rng = random.Random(len(name))
    show = builder.make_led_file(os.path.join(folder, f"{name}.led"), 200, 1, 1, rng)  # 600 bytes
    controller = subprocess.Popen([emulator, *emulator_args], stdout=subprocess.PIPE, text=True)
    device = controller.stdout.readline().strip()
    try:
        result = run(send, "-p", device, *send_args, show["path"])
    finally:
        controller.terminate()
        log = controller.communicate(timeout=30)[0]
    return result, log


def case_faulty(send, emulator, folder):
    """noise and early: exit 3, saying what the device did, and not that all was sent."""
    early = "pelmora-send: 控制器只要了 {} / 638 字节就发来了完成信号 0x16"
    cases = [("noise", ["--noise", "500"], ["--timeout", "2"], ["pelmora-send: 控制器已经 2.", "秒没有发出请求 (其间收到 "], "")]
    cases += [(f"early {n}", ["--early", str(n)], ["-v"], [early.format(n), "<- 0x16 全部收到"], "said early")
              for n in (0, 38)]
    for name, emulator_args, send_args, says, logged in cases:
        result, log = run_against(send, emulator, folder, name.split()[0], emulator_args, send_args)
        said = result.stderr.decode()
        check(result.returncode == 3, f"{name}: exit {result.returncode}: {said}")
        check(all(text in said for text in says) and "所有数据已经发送到控制器中." not in said, f"{name}: said {said}")
        check(logged in log, f"{name}: the emulator said {log}")


def as_nobody():
    os.setgid(65534)
    os.setuid(65534)


def case_nobody(send, folder):
    if os.geteuid() != 0:
        print("nobody: not root, so the port is this user's own: left out")
        return
    master, slave = pty.openpty()
    device = os.ttyname(slave)
    os.chmod(device, 0o600)
    shared = tempfile.mkdtemp(prefix="nobody-", dir=folder)
    os.chmod(folder, 0o755)
    os.chmod(shared, 0o755)
    show = builder.make_led_file(os.path.join(shared, "any.led"), 10, 2, 0, random.Random(18))
    os.chmod(show["path"], 0o644)
    try:
        result = subprocess.run([send, "-p", device, show["path"]], capture_output=True, timeout=60, env=ENGLISH,
                                preexec_fn=as_nobody)
    finally:
        os.close(master)
        os.close(slave)
    said = result.stderr.decode()
    check(result.returncode == 2, f"nobody: exit {result.returncode}: {said}")
    check(f"{device}: 当前用户无权打开该串口: 请把用户加入 dialout 组" in said, f"nobody: said {said}")


def case_image(send, folder):
    show = builder.make_led_file(os.path.join(folder, "kept.led"), 10, 2, 0, random.Random(19))
    master, slave = pty.openpty()
    cases = [(show["path"], "映像文件不能是输入文件: "), (os.path.join(folder, "."), "映像文件只能是普通文件"),
             (os.ttyname(slave), "映像文件只能是普通文件")]
    try:
        for target, refusal in cases:
            result = run(send, "--dry-run", "--image", target, show["path"])
            said = result.stderr.decode()
            check(result.returncode == 1 and refusal in said, f"image {target}: exit {result.returncode}: {said}")
        check(select.select([master], [], [], 0)[0] == [], "image: bytes went out on the device")
    finally:
        os.close(master)
        os.close(slave)
    with open(show["path"], "rb") as f:
        check(f.read() == show["content"], "image: the LED file was overwritten")
    # Written through a temporary file: nothing is left beside the image.
    written = os.path.join(folder, "image-only", "out.img")
    os.makedirs(os.path.dirname(written))
    result = run(send, "--dry-run", "--image", written, show["path"])
    check(result.returncode == 0 and os.listdir(os.path.dirname(written)) == ["out.img"],
          f"image: exit {result.returncode}, left {os.listdir(os.path.dirname(written))}")


def case_gb18030(send, folder):
    locales = os.path.join(folder, "locales")
    os.makedirs(locales)
    made = subprocess.run(["localedef", "-i", "zh_CN", "-f", "GB18030", os.path.join(locales, "zh_CN.GB18030")],
                          capture_output=True)
    check(made.returncode in (0, 1) and os.path.isdir(os.path.join(locales, "zh_CN.GB18030")),
          f"gb18030: localedef failed: {made.stderr.decode()}")
    environment = dict(os.environ, LOCPATH=locales, LC_ALL="zh_CN.GB18030")
    result = subprocess.run([send, "-p", os.path.join(folder, "ttyUSB98"), os.path.join(folder, "absent.led")],
                            capture_output=True, timeout=60, env=environment)
    expected = "pelmora-send: " + os.path.join(folder, "absent.led") + ": 文件不存在 ("
    said = result.stderr.decode("gb18030", errors="replace")
    # The system's own words, in the locale's language, come through whole as well.
    check(expected in said and not {"?", "\ufffd"} & set(said) and said.endswith(")\n"), f"gb18030: said {said}")


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
        case_repeat(args.send, args.emulator, folder)
        case_faulty(args.send, args.emulator, folder)
        case_nobody(args.send, folder)
        case_image(args.send, folder)
        case_gb18030(args.send, folder)
    print("PASS" if not failures else f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
