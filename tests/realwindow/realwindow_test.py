#!/usr/bin/python3
"""The whole job in a real window, done the way a person does it.

Starts its own Xvfb, starts the tool binary with no arguments and drives it only with X input
events from xdotool (pointer moves, clicks, typed text, keys). Control positions are the window's
client-area origin plus the x, y, w, h of the control in the window's layout table.

  1. 一.导入LED文件: type the path of a generated LED file into the file dialog, press Return;
     the parameter dialog 设置参数 comes up; replace the dot count by typing; 确定.
  2. A second file dragged from another program (the drag-source helper: mouse down on its
     window, moves onto datList, the release once the tool has taken the drag) and dropped on
     the main window: the same dialog comes up; this time replace the frame count.
  3. Pick another colour order in cbrgb (drop-down list, arrow keys, Return).
  4. As root: the emulated controller's pseudo-terminal is linked as a free /dev/ttyUSB<N>; the
     test works out which COM entry reaches it by the tool's numbering, picks that entry in
     cbcom, clicks 打开串口 and 二.发送到控制器, and compares what the controller received with
     the image it builds itself from the files. Then it double-clicks the first show in datList
     to remove it, sends again and checks the new image.
  5. Screenshots before and after: background colour, the lamp black then red, the download
     progress bar hidden before and shown after a send.

Exit status 0: passed; 1: failed; 77: skipped (no X server can be started here).
Without root the /dev part (4) is skipped with a message and the rest still runs.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
FILE_DIALOG_TITLE = "打开led文件"
DRAG_SOURCE_TITLE = "drag source"
MESSAGE_TITLES = ("注意", "提示", "出错了!")

# The windows' layout tables as the build's layout-json prints them (load_layout): the titles,
# the background, and each control's x, y, w, h in its window's client area.
LAYOUT = {}
MAIN = {}
FORM = {}
TITLE = FORM_TITLE = None
BACKGROUND = None
# Points of the main window with nothing but the window's background on them.
BACKGROUND_POINTS = [(4, 4), (200, 50), (600, 110), (800, 200), (140, 225), (800, 258)]
BLACK = (0, 0, 0)
RED = (255, 0, 0)

# The colour orders of cbrgb, in list order: which file byte (0 red, 1 green, 2 blue) each of a
# dot's three stored bytes takes.
COLOUR_ORDERS = [(0, 1, 2), (0, 2, 1), (1, 0, 2), (1, 2, 0), (2, 0, 1), (2, 1, 0)]
DEFAULT_FRAME_TIME_CODE = 5  # 50毫秒, list position 4, plus one

WAIT = 30.0  # seconds to wait for something the tool should do at once; only a hang reaches it


def load_layout(program):
    global TITLE, FORM_TITLE, BACKGROUND
    LAYOUT.update(json.loads(subprocess.run([program], capture_output=True, check=True, text=True).stdout))
    MAIN.update({name: tuple(box) for name, box in LAYOUT["main"]["controls"].items()})
    FORM.update({name: tuple(box) for name, box in LAYOUT["inputform"]["controls"].items()})
    TITLE, FORM_TITLE = LAYOUT["main"]["title"], LAYOUT["inputform"]["title"]
    BACKGROUND = tuple(LAYOUT["main"]["background"])


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def log(text):
    print(text, flush=True)


# ---------------------------------------------------------------- LED files and the image


def make_led_file(path, dots, frames, sectors_minus_one, rng):
    """An LED file built from the format: 512-byte header (bytes 0-1 pixel bytes per frame,
    little-endian; byte 16 sectors per frame minus one), then frame f at 512 + f * stride.
    Every byte the tool does not read is random too, so that reading the wrong place shows."""
    stride = (sectors_minus_one + 1) * 512
    content = bytearray(rng.getrandbits(8) for _ in range(512 + frames * stride))
    frame_bytes = dots * 3
    content[0] = frame_bytes & 0xFF
    content[1] = frame_bytes >> 8
    content[16] = sectors_minus_one
    with open(path, "wb") as out:
        out.write(content)
    return {"path": path, "content": bytes(content), "stride": stride}


def show_pixels(show, order):
    """The bytes the controller should get for a show: every frame, every dot, in colour order."""
    content, stride, dots, frames = show["content"], show["stride"], show["dots"], show["frames"]
    pick = COLOUR_ORDERS[order]
    data = bytearray()
    for f in range(frames):
        for d in range(dots):
            p = 512 + f * stride + 3 * d
            data += bytes(content[p + k] for k in pick)
    return bytes(data)


def memory_image(shows, order, frame_time_code=DEFAULT_FRAME_TIME_CODE):
    """38-byte header (data length, show count, frame time, per show: frame bytes, frames,
    start address; 16-bit fields big-endian; four zero bytes at the end) and the pixel data."""
    pixels = [show_pixels(s, order) for s in shows]
    used = sum(len(p) for p in pixels)
    header = bytearray(38)
    header[0:2] = used.to_bytes(2, "big")
    header[2] = len(shows)
    header[3] = frame_time_code
    address = 38
    for i, (show, data) in enumerate(zip(shows, pixels)):
        at = 4 + 6 * i
        header[at : at + 2] = (show["dots"] * 3).to_bytes(2, "big")
        header[at + 2 : at + 4] = show["frames"].to_bytes(2, "big")
        header[at + 4 : at + 6] = address.to_bytes(2, "big")
        address += len(data)
    return bytes(header) + b"".join(pixels)


def describe_difference(got, expected):
    if len(got) != len(expected):
        return f"{len(got)} bytes received, {len(expected)} expected; header received {got[:38].hex(' ')}"
    for i, (a, b) in enumerate(zip(got, expected)):
        if a != b:
            where = f"header byte {i}" if i < 38 else f"data byte {i - 38}"
            return f"first difference at {where}: received {a:#04x}, expected {b:#04x}"
    return "no difference"


# ---------------------------------------------------------------- serial devices in /dev

FAMILIES = ("ttyUSB", "ttyACM", "ttyS")


def com_number(device, folder="/dev"):
    """COMn of a device by the tool's rule: the n-th of the folder's ttyUSB*, then ttyACM*, then
    ttyS* entries, each family in numeric order."""
    found = []
    for name in os.listdir(folder):
        for f, family in enumerate(FAMILIES):
            m = re.fullmatch(re.escape(family) + r"([0-9]+)", name)
            if m:
                found.append((f, int(m.group(1)), os.path.join(folder, name)))
    found.sort()
    for i, (_, _, path) in enumerate(found):
        if path == device:
            return i + 1
    return None


def free_usb_link():
    n = 0
    while os.path.lexists(f"/dev/ttyUSB{n}"):
        n += 1
    return f"/dev/ttyUSB{n}"


# ---------------------------------------------------------------- processes


class Run:
    """Everything the test starts, and the cleanup that runs whatever happens."""

    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.scratch = tempfile.mkdtemp(prefix="pelmora-realwindow-")
        self.processes = []  # (name, Popen), stopped in reverse order
        self.link = None
        self.link_target = None
        self.display = None

    def start(self, name, argv, **kwargs):
        p = subprocess.Popen(argv, start_new_session=True, **kwargs)
        self.processes.append((name, p))
        return p

    def cleanup(self):
        for name, p in reversed(self.processes):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(p.pid, signal.SIGKILL)
                    p.wait()
        # The emulator removes its link when it stops; make sure, but only while the link is ours.
        if self.link and os.path.islink(self.link):
            if self.link_target is None or os.readlink(self.link) == self.link_target:
                os.unlink(self.link)
                log(f"removed {self.link}")
        shutil.rmtree(self.scratch, ignore_errors=True)


def start_xvfb(run):
    xvfb = shutil.which("Xvfb")
    if not xvfb:
        raise Skip("no X server can be started here: Xvfb is not installed (scripts/install-deps installs it)")
    read_fd, write_fd = os.pipe()
    p = run.start(
        "Xvfb",
        # -noreset: an X server resets when its last client leaves, and refuses whoever connects
        # meanwhile; here xdotool comes and goes while the tool starts.
        [xvfb, "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_fd,),
        stdout=subprocess.DEVNULL,
        stderr=open(os.path.join(run.out_dir, "xvfb.log"), "w"),
    )
    os.close(write_fd)
    number = b""
    deadline = time.monotonic() + WAIT
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    if not number.strip().isdigit():
        p.poll()
        raise Skip(f"no X server can be started here: Xvfb did not come up (exit status {p.returncode}, see xvfb.log)")
    run.display = ":" + number.decode().strip()
    log(f"Xvfb on display {run.display}")


class Desktop:
    """X input and screenshots on the test's display."""

    def __init__(self, run):
        self.run = run
        self.env = dict(os.environ, DISPLAY=run.display)
        self.env.pop("XAUTHORITY", None)
        self.shots = 0

    def xdotool(self, *args, timeout=WAIT):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=timeout)
        if r.returncode != 0 and args[0] != "search":
            raise Failure(f"xdotool {' '.join(map(str, args))} failed: {r.stderr.strip()}")
        return r.stdout

    def windows(self, title, visible=True):
        args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", "^" + re.escape(title) + "$"]
        return [int(w) for w in self.xdotool(*args).split()]

    def wait_window(self, title, what, alive=None):
        """The first visible window with this title; alive, when given, raises once the program
        that should show it has exited."""
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            self.fail_on_message_box()
            found = self.windows(title)
            if found:
                return found[0]
            if alive:
                alive()
            time.sleep(0.1)
        raise Failure(f"{what}: no window titled {title!r} appeared; {self.describe_screen(what)}")

    def describe_screen(self, what):
        """The titles on the screen and a screenshot, for a failure's message."""
        try:
            windows = self.xdotool("search", "--name", ".").split()
            titles = sorted({self.xdotool("getwindowname", w).strip() for w in windows} - {""})
            path = self.screenshot("no-" + re.sub(r"\W+", "-", what))
            return f"windows with a title: {titles} (see {path})"
        except (Failure, subprocess.SubprocessError) as e:
            return f"the screen could not be read: {e}"

    def wait_gone(self, title, what):
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            self.fail_on_message_box()
            if not self.windows(title):
                return
            time.sleep(0.1)
        raise Failure(f"{what}: the window titled {title!r} stayed up")

    def fail_on_message_box(self):
        for t in MESSAGE_TITLES:
            if self.windows(t):
                path = self.screenshot(f"unexpected-message-{t}")
                raise Failure(f"the tool showed a message box titled {t!r} (see {path})")

    def origin(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def point(self, window, box, dx=None, dy=None):
        """A point inside a control: its centre unless dx/dy give an offset from its corner."""
        ox, oy = self.origin(window)
        x, y, w, h = box
        return ox + x + (w // 2 if dx is None else dx), oy + y + (h // 2 if dy is None else dy)

    def click(self, window, box, dx=None, dy=None, repeat=1):
        x, y = self.point(window, box, dx, dy)
        self.xdotool("mousemove", "--sync", x, y)
        if repeat == 1:
            self.xdotool("click", 1)
        else:
            self.xdotool("click", "--repeat", repeat, "--delay", 60, 1)

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def type(self, text):
        self.xdotool("type", "--delay", 15, text)

    def key(self, *keys):
        self.xdotool("key", "--delay", 40, *keys)

    def screenshot(self, name):
        self.shots += 1
        path = os.path.join(self.run.out_dir, f"{self.shots:02d}-{name}.png")
        subprocess.run(["/usr/bin/import", "-window", "root", path], env=self.env, check=True, timeout=WAIT)
        return path


class Picture:
    """A screenshot's pixels, read with ImageMagick's convert."""

    def __init__(self, path):
        self.path = path
        size = subprocess.run(
            ["/usr/bin/convert", path, "-format", "%w %h", "info:"], capture_output=True, text=True, check=True
        ).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(
            ["/usr/bin/convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True
        ).stdout
        if len(self.rgb) != self.width * self.height * 3:
            raise Failure(f"{path}: convert gave {len(self.rgb)} bytes for {self.width}x{self.height}")

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i : i + 3])

    def share(self, box, origin, colour):
        """Share of the pixels of a control's rectangle that have exactly this colour."""
        x0, y0, w, h = box
        same = sum(
            self.pixel(origin[0] + x0 + i, origin[1] + y0 + j) == colour for j in range(h) for i in range(w)
        )
        return same / (w * h)


def near(a, b, tolerance=8):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


# ---------------------------------------------------------------- the user's steps


class Tool:
    def __init__(self, desktop, binary):
        self.desktop = desktop
        self.binary = binary
        self.window = None

    def start(self):
        env = dict(self.desktop.env, QT_QPA_PLATFORM="xcb")
        cwd = self.desktop.run.scratch  # anywhere: the tool takes no arguments and reads no folder of its own
        log_file = open(os.path.join(self.desktop.run.out_dir, "tool.log"), "w")
        self.process = self.desktop.run.start(
            "tool", [self.binary], cwd=cwd, env=env, stdout=log_file, stderr=subprocess.STDOUT
        )
        self.window = self.desktop.wait_window(TITLE, "start-up", alive=self.alive)
        log(f"main window {self.window} at {self.desktop.origin(self.window)}")

    def alive(self):
        if self.process.poll() is not None:
            raise Failure(f"the tool exited with status {self.process.returncode} (see tool.log)")

    def choose_file(self, show):
        """open, type the path into the file dialog, Return: the parameter dialog 设置参数."""
        d = self.desktop
        d.click(self.window, MAIN["open"])
        dialog = d.wait_window(FILE_DIALOG_TITLE, "click on open")
        d.focus(dialog)
        d.type(show["path"])
        d.key("Return")
        d.wait_gone(FILE_DIALOG_TITLE, "Return in the file dialog")
        return d.wait_window(FORM_TITLE, "a file chosen in the file dialog")

    def type_number(self, form, field, typed):
        """Replace the number in one of the dialog's boxes by typing."""
        d = self.desktop
        d.focus(form)
        d.click(form, FORM[field])
        d.key("Home", "shift+End")  # select the whole preset number, then type over it
        d.type(typed)

    def drop_file(self, show, drag_source):
        """Another program drags the file onto datList: the parameter dialog 设置参数."""
        d = self.desktop
        out = os.path.join(d.run.out_dir, "drag-source.log")
        source = d.run.start(
            "drag source", [drag_source, show["path"]], env=dict(d.env, QT_QPA_PLATFORM="xcb"),
            stdout=open(out, "w"), stderr=subprocess.STDOUT,
        )
        window = d.wait_window(DRAG_SOURCE_TITLE, "start of the drag source")
        d.xdotool("windowmove", "--sync", window, 880, 660)  # clear of the tool's windows
        x, y = d.point(window, (0, 0, 120, 80))
        d.xdotool("mousemove", "--sync", x, y)
        d.xdotool("mousedown", 1)
        target = d.point(self.window, MAIN["datList"])
        for point in [(x - 30, y - 30), target, (target[0] + 4, target[1] + 2)]:
            d.xdotool("mousemove", "--sync", *point)
        wait_line(out, "action 1", "the tool taking the drag over datList")
        d.xdotool("mouseup", 1)
        wait_line(out, "dropped 1", "the drop on datList")
        form = d.wait_window(FORM_TITLE, "a file dropped on datList")
        os.killpg(source.pid, signal.SIGTERM)
        source.wait(timeout=WAIT)
        return form

    def import_show(self, show, field, typed, bring=None):
        """The file brought in (through the file dialog unless told); in 设置参数 replace one
        number by typing, then 确定."""
        d = self.desktop
        form = (bring or self.choose_file)(show)
        self.type_number(form, field, typed)
        d.screenshot(f"parameters-{os.path.basename(show['path'])}")
        d.click(form, FORM["inputok"])
        d.wait_gone(FORM_TITLE, "click on inputok")
        self.alive()

    def refused(self, title, what):
        """A message box titled `title` comes up; OK closes it and the main window is left as it was."""
        d = self.desktop
        deadline = time.monotonic() + WAIT
        while not d.windows(title):
            if time.monotonic() > deadline:
                raise Failure(f"{what}: no message box titled {title!r}")
            time.sleep(0.1)
        box = d.windows(title)[0]
        d.screenshot(f"refused-{title}")
        d.focus(box)
        d.key("Return")
        d.wait_gone(title, f"OK on the message box after {what}")
        self.alive()

    def open_missing_file(self, path):
        """A typed name that does not exist: the file dialog returns it, the open command refuses it."""
        d = self.desktop
        d.click(self.window, MAIN["open"])
        dialog = d.wait_window(FILE_DIALOG_TITLE, "click on open")
        d.focus(dialog)
        d.type(path)
        d.key("Return")
        deadline = time.monotonic() + WAIT
        while d.windows(FILE_DIALOG_TITLE):
            if time.monotonic() > deadline:
                path_shot = d.screenshot("file-dialog-stayed")
                raise Failure(f"the file dialog stayed open on a typed name that does not exist (see {path_shot})")
            time.sleep(0.1)
        self.refused("注意", "a typed name that does not exist")

    def choose_in_list(self, box, steps, arrow_dx=None):
        """Open a drop-down list with a click and move the highlight with the arrow keys."""
        d = self.desktop
        d.focus(self.window)
        d.click(self.window, box, dx=arrow_dx)
        time.sleep(0.3)  # the list drops down
        d.key(*(["Down"] * steps), "Return")
        self.alive()


class Controller:
    """The emulated controller on a pseudo-terminal linked under /dev."""

    def __init__(self, run, binary):
        self.run = run
        self.binary = binary
        self.image_path = os.path.join(run.scratch, "received.img")
        self.log_path = os.path.join(run.out_dir, "controller.log")

    def start(self):
        for _ in range(20):
            link = free_usb_link()
            self.run.link = link
            log_file = open(self.log_path, "w")
            self.process = self.run.start(
                "controller", [self.binary, "--link", link, "--out", self.image_path, "--repeat"],
                stdout=log_file, stderr=subprocess.STDOUT,
            )
            deadline = time.monotonic() + WAIT
            while time.monotonic() < deadline and self.process.poll() is None and not os.path.islink(link):
                time.sleep(0.05)
            if os.path.islink(link) and self.process.poll() is None:
                self.run.link_target = os.readlink(link)
                self.link = link
                log(f"emulated controller on {self.run.link_target}, linked as {link}")
                return
            self.process.wait()
            self.run.link = None  # someone else took that name in the meantime: try the next
        raise Failure("could not link the emulated controller under /dev")

    def downloads(self):
        with open(self.log_path) as f:
            return len(re.findall(r"^download \d+:", f.read(), re.M))

    def wait_download(self, count, tool):
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            tool.alive()
            tool.desktop.fail_on_message_box()
            if self.downloads() >= count:
                with open(self.image_path, "rb") as f:
                    return f.read()
            if self.process.poll() is not None:
                raise Failure(f"the emulated controller stopped (see {self.log_path})")
            time.sleep(0.05)
        raise Failure(f"the controller did not receive download {count} (see {self.log_path})")


def wait_line(path, line, what):
    """Until the file has this line (a helper's output)."""
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        with open(path) as f:
            if line in f.read().splitlines():
                return
        time.sleep(0.05)
    raise Failure(f"{what}: no line {line!r} in {path}")


def wait_picture(desktop, name, check, what):
    """Screenshots until check(picture) is empty (no complaint) or the wait runs out."""
    deadline = time.monotonic() + WAIT
    while True:
        path = desktop.screenshot(name)
        complaint = check(Picture(path))
        if not complaint:
            return path
        if time.monotonic() > deadline:
            raise Failure(f"{what}: {complaint} (see {path})")
        os.unlink(path)
        desktop.shots -= 1
        time.sleep(0.2)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--drag-source", required=True, help="the program a file is dragged from")
    parser.add_argument("--layout", required=True, help="the build's layout-json")
    parser.add_argument("--out", required=True, help="folder for the screenshots and logs")
    args = parser.parse_args()
    load_layout(args.layout)
    # The tool is started in a folder of its own: paths given relative to here must still reach it.
    args.tool, args.emulator, args.drag_source, args.out = (
        os.path.abspath(p) for p in (args.tool, args.emulator, args.drag_source, args.out)
    )

    for program in ("xdotool", "/usr/bin/import", "/usr/bin/convert"):
        if not shutil.which(program):
            log(f"FAIL: {program} is missing (scripts/install-deps installs it)")
            return 1

    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    run = Run(args.out)

    def stop(signum, _frame):
        raise Failure(f"stopped by signal {signum}")

    for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(s, stop)
    try:
        start_xvfb(run)
        desktop = Desktop(run)
        steps(run, desktop, args)
        log(f"PASS; screenshots in {args.out}")
        return 0
    except Skip as skip:
        log(f"SKIP: {skip}")
        return SKIP
    except (Failure, subprocess.TimeoutExpired, subprocess.CalledProcessError) as failure:
        log(f"FAIL: {failure}")
        show_logs(args.out)
        return 1
    finally:
        run.cleanup()


def show_logs(out_dir, lines=40):
    """The end of every log the run wrote, so that a failure far away can be read from its output."""
    for name in sorted(os.listdir(out_dir)):
        if name.endswith(".log"):
            with open(os.path.join(out_dir, name), errors="replace") as f:
                tail = f.read().splitlines()[-lines:]
            log(f"--- {name} ({len(tail)} last lines)")
            for line in tail:
                log("    " + line)


def steps(run, desktop, args):
    rng = random.Random(20240607)
    # Show A: 10 dots, 4 frames of one sector; the dialog's 10 dots are replaced by 8.
    a = make_led_file(os.path.join(run.scratch, "wipe.led"), 10, 4, 0, rng)
    a.update(dots=8, frames=4)
    # Show B: 20 dots, 6 frames of two sectors; the dialog's 6 frames are replaced by 5.
    b = make_led_file(os.path.join(run.scratch, "chaser.led"), 20, 6, 1, rng)
    b.update(dots=20, frames=5)

    tool = Tool(desktop, args.tool)
    tool.start()
    origin = desktop.origin(tool.window)

    def started(pic):
        for x, y in BACKGROUND_POINTS:
            got = pic.pixel(origin[0] + x, origin[1] + y)
            if got != BACKGROUND:
                return f"background at {x},{y} is {got}, not {BACKGROUND}"
        lamp = pic.pixel(*desktop.point(tool.window, MAIN["coms"]))
        if not near(lamp, BLACK):
            return f"the lamp coms is {lamp}, not black"
        if pic.share(MAIN["ProgressBar"], origin, BACKGROUND) < 0.99:
            return "the download progress bar is showing before any send"
        return None

    before = wait_picture(desktop, "before", started, "right after start-up")
    log(f"before: background, black lamp, no progress bar ({before})")

    tool.import_show(a, "inputdots", "8")
    log("imported show 1 with 8 dots typed over the file's 10")
    tool.import_show(b, "inputframes", "5", bring=lambda show: tool.drop_file(show, args.drag_source))
    log("imported show 2, dragged from another program onto datList, with 5 frames typed over the file's 6")

    tool.open_missing_file(os.path.join(run.scratch, "no-such-folder", "nonexistent.led"))
    log("a typed name that does not exist: the dialog closed and the open command refused it")

    order = 3  # GBR绿蓝红: three entries below RGB红绿蓝
    tool.choose_in_list(MAIN["cbrgb"], order)
    log("chose GBR绿蓝红 in cbrgb")
    desktop.screenshot("imported")

    if os.geteuid() != 0:
        log("SKIP (part): not root, so no link under /dev can be made for the emulated controller;")
        log("             the COM entry, the port, the sends and the removal before a send are not checked")
        tool.alive()
        return

    controller = Controller(run, args.emulator)
    controller.start()
    com = com_number(controller.link)
    if com is None or com > 16:
        raise Failure(f"{controller.link} is COM{com} by the tool's numbering, beyond the list COM1..COM16")
    log(f"{controller.link} is COM{com}")
    # cbcom has an edit field: its list drops down from the arrow at the right end.
    tool.choose_in_list(MAIN["cbcom"], com - 1, arrow_dx=MAIN["cbcom"][2] - 8)

    desktop.click(tool.window, MAIN["opencom"])
    lamp_point = desktop.point(tool.window, MAIN["coms"])

    def port_open(pic):
        lamp = pic.pixel(*lamp_point)
        return None if near(lamp, RED) else f"the lamp coms is {lamp}, not red"

    wait_picture(desktop, "port-open", port_open, "click on opencom")
    log("port open: the lamp is red")

    desktop.click(tool.window, MAIN["comsend"])
    received = controller.wait_download(1, tool)
    expected = memory_image([a, b], order)
    if received != expected:
        raise Failure("first send: " + describe_difference(received, expected))
    log(f"first send: the controller received the expected {len(expected)} bytes (2 shows, GBR)")

    def sent(pic):
        for x, y in BACKGROUND_POINTS:
            got = pic.pixel(origin[0] + x, origin[1] + y)
            if got != BACKGROUND:
                return f"background at {x},{y} is {got}, not {BACKGROUND}"
        lamp = pic.pixel(*lamp_point)
        if not near(lamp, RED):
            return f"the lamp coms is {lamp}, not red"
        if pic.share(MAIN["ProgressBar"], origin, BACKGROUND) > 0.5:
            return "the download progress bar is not showing after the send"
        return None

    after = wait_picture(desktop, "after-send", sent, "after the send")
    log(f"after: background, red lamp, progress bar shown ({after})")

    # Double-click the first entry of datList (its first row lies just inside the list's frame).
    desktop.click(tool.window, MAIN["datList"], dx=120, dy=8, repeat=2)
    desktop.click(tool.window, MAIN["comsend"])
    received = controller.wait_download(2, tool)
    expected = memory_image([b], order)
    if received != expected:
        raise Failure("send after removing show 1: " + describe_difference(received, expected))
    log(f"after removing show 1: the controller received the expected {len(expected)} bytes (show 2 alone)")
    wait_picture(desktop, "after-second-send", sent, "after the second send")

    # One entry left: a double-click on the blank part of the list, below it, removes it too.
    desktop.click(tool.window, MAIN["datList"], dx=400, dy=50, repeat=2)
    desktop.click(tool.window, MAIN["comsend"])
    tool.refused("注意", "a send after the last show was double-clicked away below its entry")
    log("a double-click below the only entry removed it: the send asks for a file first")
    tool.alive()


if __name__ == "__main__":
    sys.exit(main())
