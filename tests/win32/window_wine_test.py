#!/usr/bin/python3
"""The whole job in the Windows tool's real window, under Wine, done the way a person does it.

Runs pelmora.exe in the build's Wine prefix on the X server of the test run (DISPLAY) and drives
it only with X input events from xdotool. Control positions are the window's client-area origin
plus the x, y, w, h of the control in the window's layout table.

  1. 二.发送到控制器 with no show: the message box 注意 with its text (read by window-texts.exe).
  2. 一.导入LED文件: type the Z:\\ path of a generated LED file into the file dialog, press Return;
     in 设置参数 replace the dot count by typing; 确定. The same with a second file and the frames.
  3. Pick a colour order in cbrgb and a frame time in inputcbspeed (lists, arrow keys, Return).
  4. The controller emulator on a pseudo-terminal that dosdevices/com13 links to: pick COM13 in
     cbcom, 打开串口, 二.发送到控制器, and compare what the controller received with the image
     the test builds from the files; then double-click the first show away, send again, compare.
  5. Screenshots: background colour, the lamp black then red, the progress bar hidden then shown.
  6. The preview 节目预览: 预览 in the context menu of a show's entry plays that show in the file's
     own colours, Escape closes it; 预览 in the parameter dialog's menu follows a dot count typed
     wrong, and goes when the show is added. The dialog covers neither 一 nor 二, the preview not
     the dialog.

Exit status 0: passed; 1: failed; 77: skipped (no X server to run on).
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "realwindow"))
import realwindow_test as rw  # noqa: E402  LED files, the expected image, X input and screenshots

COM = 13
PREVIEW_TITLE = "节目预览"
FRAME_TIME_CODE = 10  # 100毫秒: list position 9, plus one


def client_sizes():
    """The client areas of the parameter dialog, the preview and the main window."""
    return [(rw.LAYOUT[w]["width"], rw.LAYOUT[w]["height"]) for w in ("inputform", "preview", "main")]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineTool(rw.Tool):
    """pelmora.exe under Wine. Wine draws the frames of its windows itself: a window's client area
    lies inside the X window by the border's width at the sides and the bottom."""

    def __init__(self, desktop, args):
        super().__init__(desktop, args.tool)
        self.args = args

    def start(self):
        log_file = open(os.path.join(self.desktop.run.out_dir, "tool.log"), "w")
        self.process = self.desktop.run.start(
            "tool", [self.args.wine_run, self.args.prefix, self.binary], cwd=self.desktop.run.scratch,
            env=self.desktop.env, stdout=log_file, stderr=subprocess.STDOUT)
        self.window = self.desktop.wait_window(rw.TITLE, "start-up", alive=self.alive)

    def texts(self, title):
        """The texts of the controls of the window with this title, as window-texts.exe reads them."""
        r = subprocess.run([self.args.wine_run, self.args.prefix, self.args.texts, title], env=self.desktop.env,
                           capture_output=True, timeout=rw.WAIT)
        return r.stdout.decode("utf-8", "replace").splitlines() if r.returncode == 0 else None


class WineDesktop(rw.Desktop):
    def origin(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split())
        x, y, w, h = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        client_width, client_height = min(client_sizes(), key=lambda size: abs(w - size[0]))
        border = (w - client_width) // 2
        return x + border, y + h - client_height - border

    def click(self, window, box, dx=None, dy=None, repeat=1):
        # Without --sync: under Wine that waits fifteen seconds for a move it has long seen. The
        # X server handles the move and the click in the order they are sent.
        x, y = self.point(window, box, dx, dy)
        self.xdotool("mousemove", x, y)
        if repeat == 1:
            self.xdotool("click", 1)
        else:
            self.xdotool("click", "--repeat", repeat, "--delay", 60, 1)

    def geometry(self, window):
        """x, y, width, height of a window's outer frame on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def context_menu_item(self, x, y, what):
        """A right-click at a point of the screen, then a click on the first item of the menu that
        comes up there: a new window with its top-left corner at the point (a tooltip comes below)."""
        def menu(new):
            for window in new:
                mx, my, mw, mh = self.geometry(window)
                if mx <= x + 2 < mx + mw and my <= y + 2 < my + mh:
                    return mx, my, mw, mh
            return None

        before = set(self.windows(""))
        self.xdotool("mousemove", x, y)
        self.xdotool("click", 3)
        deadline = time.monotonic() + rw.WAIT
        while not (found := menu(set(self.windows("")) - before)):
            if time.monotonic() > deadline:
                raise rw.Failure(f"{what}: no menu came up; {self.describe_screen(what)}")
            time.sleep(0.1)
        mx, my, mw, mh = found
        self.xdotool("mousemove", mx + mw // 2, my + min(mh, 22) // 2)
        self.xdotool("click", 1)


def steps(run, desktop, args):
    rng = random.Random(20241208)
    a = rw.make_led_file(os.path.join(run.scratch, "wipe.led"), 10, 4, 0, rng)
    a.update(dots=7, frames=4)
    # Typed paths stay ASCII: xdotool types other characters by remapping a key for each, which
    # the X server does not always take in time. Chinese paths are tested without typing.
    b = rw.make_led_file(os.path.join(run.scratch, "chaser_2.led"), 20, 6, 1, rng)
    b.update(dots=20, frames=5)
    for show in (a, b):
        show["path"] = windows_path(show["path"])

    tool = WineTool(desktop, args)
    tool.start()
    origin = desktop.origin(tool.window)
    rw.log(f"main window {tool.window}, client area at {origin}")

    def started(pic):
        for x, y in rw.BACKGROUND_POINTS:
            got = pic.pixel(origin[0] + x, origin[1] + y)
            if got != rw.BACKGROUND:
                return f"background at {x},{y} is {got}, not {rw.BACKGROUND}"
        lamp = pic.pixel(*desktop.point(tool.window, rw.MAIN["coms"]))
        if not rw.near(lamp, rw.BLACK):
            return f"the lamp coms is {lamp}, not black"
        if pic.share(rw.MAIN["ProgressBar"], origin, rw.BACKGROUND) < 0.99:
            return "the download progress bar is showing before any send"
        return None

    rw.wait_picture(desktop, "before", started, "right after start-up")
    rw.log("before: background, black lamp, no progress bar")

    # A send with no show: the refusal, its title and its text.
    desktop.click(tool.window, rw.MAIN["comsend"])
    deadline = time.monotonic() + rw.WAIT
    while not desktop.windows("注意"):
        if time.monotonic() > deadline:
            raise rw.Failure("a send with no show: no message box titled 注意")
        time.sleep(0.1)
    texts = tool.texts("注意")
    if not texts or "请先导入文件后再发送数据。" not in texts:
        raise rw.Failure(f"the message box 注意 reads {texts}")
    desktop.screenshot("refused-注意")
    desktop.focus(desktop.windows("注意")[0])
    desktop.key("Return")
    desktop.wait_gone("注意", "OK on the message box")
    rw.log("a send with no show: 注意 says 请先导入文件后再发送数据。")

    tool.import_show(a, "inputdots", "7")
    tool.import_show(b, "inputframes", "5")
    rw.log("imported two shows through the Win32 file dialog, 7 dots and 5 frames typed")

    order = 2  # GRB绿红蓝
    tool.choose_in_list(rw.MAIN["cbrgb"], order)
    tool.choose_in_list(rw.MAIN["inputcbspeed"], FRAME_TIME_CODE - 5)  # 50毫秒 down to 100毫秒
    desktop.screenshot("imported")
    preview_of_a_show(desktop, tool, b)

    link = os.path.join(args.prefix, "dosdevices", f"com{COM}")
    if os.path.lexists(link):
        os.unlink(link)
    image = os.path.join(run.scratch, "received.img")
    log_path = os.path.join(run.out_dir, "controller.log")
    controller = rw.Controller(run, args.emulator)
    controller.image_path, controller.log_path = image, log_path
    controller.process = run.start("controller", [args.emulator, "--link", link, "--out", image, "--repeat"],
                                   stdout=open(log_path, "w"), stderr=subprocess.STDOUT)
    deadline = time.monotonic() + rw.WAIT
    while not os.path.islink(link):
        if time.monotonic() > deadline or controller.process.poll() is not None:
            raise rw.Failure(f"the emulator did not link {link} (see {log_path})")
        time.sleep(0.05)
    rw.log(f"emulated controller on {os.readlink(link)}, linked as COM{COM}")

    tool.choose_in_list(rw.MAIN["cbcom"], COM - 1, arrow_dx=rw.MAIN["cbcom"][2] - 8)
    desktop.click(tool.window, rw.MAIN["opencom"])
    lamp_point = desktop.point(tool.window, rw.MAIN["coms"])

    def port_open(pic):
        lamp = pic.pixel(*lamp_point)
        return None if rw.near(lamp, rw.RED) else f"the lamp coms is {lamp}, not red"

    rw.wait_picture(desktop, "port-open", port_open, "click on opencom")
    rw.log("port open: the lamp is red")

    desktop.click(tool.window, rw.MAIN["comsend"])
    received = controller.wait_download(1, tool)
    expected = rw.memory_image([a, b], order, FRAME_TIME_CODE)
    if received != expected:
        raise rw.Failure("first send: " + rw.describe_difference(received, expected))
    rw.log(f"first send: the controller received the expected {len(expected)} bytes")

    def sent(pic):
        lamp = pic.pixel(*lamp_point)
        if not rw.near(lamp, rw.RED):
            return f"the lamp coms is {lamp}, not red"
        if pic.share(rw.MAIN["ProgressBar"], origin, rw.BACKGROUND) > 0.5:
            return "the download progress bar is not showing after the send"
        return None

    rw.wait_picture(desktop, "after-send", sent, "after the send")

    desktop.click(tool.window, rw.MAIN["datList"], dx=120, dy=6, repeat=2)
    desktop.click(tool.window, rw.MAIN["comsend"])
    received = controller.wait_download(2, tool)
    expected = rw.memory_image([b], order, FRAME_TIME_CODE)
    if received != expected:
        raise rw.Failure("send after removing show 1: " + rw.describe_difference(received, expected))
    rw.log(f"after removing show 1: the controller received the expected {len(expected)} bytes")
    desktop.screenshot("after-second-send")
    preview_of_the_dialog(desktop, tool, a, start=38 + 20 * 3 * 5)
    tool.alive()


def wait_texts(tool, title, text, what):
    """Until a control of the window with this title reads `text`."""
    deadline = time.monotonic() + rw.WAIT
    while text not in (texts := tool.texts(title) or []):
        if time.monotonic() > deadline:
            raise rw.Failure(f"{what}: the window {title!r} reads {texts}, not {text!r}")
        time.sleep(0.1)


def preview_of_a_show(desktop, tool, show):
    """预览 in the context menu of the second entry of datList: that show, in the file's own red,
    green and blue (the colour order chosen is another); Escape closes it."""
    x, y = desktop.point(tool.window, rw.MAIN["datList"], dx=120, dy=18)
    desktop.context_menu_item(x, y, "a right-click on the second show")
    preview = desktop.wait_window(PREVIEW_TITLE, "预览 in the list's menu")
    dots, frames = show["dots"], show["frames"]
    wait_texts(tool, PREVIEW_TITLE, f"点数 {dots}  帧数 {frames}  字节 {dots * 3 * frames}  起始地址 {38 + 7 * 3 * 4}",
               "预览 of the second show")
    origin = desktop.origin(preview)
    ox, oy, ow, oh = rw.LAYOUT["preview"]["overview"]  # the whole show at a glance

    def overview(pic):
        # One row per frame, one column per dot: the centres of frame 0's first and the last
        # frame's last dot.
        for f, d in ((0, 0), (frames - 1, dots - 1)):
            at = 512 + f * show["stride"] + 3 * d
            expected = tuple(show["content"][at : at + 3])
            x = origin[0] + ox + int((d + 0.5) * ow / dots)
            y = origin[1] + oy + int((f + 0.5) * oh / frames)
            if not rw.near(pic.pixel(x, y), expected, 2):
                return f"frame {f}, dot {d} of the overview is {pic.pixel(x, y)}, not the file's {expected}"
        return None

    rw.wait_picture(desktop, "preview-of-a-show", overview, "the preview's overview")
    main_origin = desktop.origin(tool.window)
    if origin[1] < main_origin[1] + rw.LAYOUT["main"]["height"]:
        raise rw.Failure(f"the preview at {origin} covers the main window at {main_origin}")
    desktop.focus(preview)
    desktop.key("Escape")
    desktop.wait_gone(PREVIEW_TITLE, "Escape on the preview")
    rw.log(f"预览 of show 2: {dots} dots, {frames} frames in the file's colours; Escape closed it")


def overlap(a, b):
    """Whether two rectangles (x, y, width, height) share a pixel."""
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def preview_of_the_dialog(desktop, tool, show, start):
    """The file waiting in 设置参数 previewed from the dialog's menu, a wrong dot count typed; the
    dialog opens clear of 一 and 二 (a click meant for them must not land in it), the preview clear
    of the dialog."""
    form = tool.choose_file(show)
    dialog = desktop.geometry(form)
    main_x, main_y = desktop.origin(tool.window)
    for name in ("open", "comsend"):
        x, y, w, h = rw.MAIN[name]
        if overlap(dialog, (main_x + x, main_y + y, w, h)):
            raise rw.Failure(f"the parameter dialog at {dialog} covers {name} of the main window at {main_x},{main_y}")
    x, y = desktop.point(form, rw.FORM["Label1"])  # 全彩点数
    desktop.context_menu_item(x, y, "a right-click on the parameter dialog")
    preview = desktop.wait_window(PREVIEW_TITLE, "预览 in the dialog's menu")
    if overlap(desktop.geometry(preview), dialog):
        raise rw.Failure(f"the preview at {desktop.geometry(preview)} covers the parameter dialog at {dialog}")
    wait_texts(tool, PREVIEW_TITLE, f"点数 10  帧数 4  字节 120  起始地址 {start}", "预览 of the waiting file")
    desktop.screenshot("preview-of-the-waiting-file")
    tool.type_number(form, "inputdots", "13")
    wait_texts(tool, PREVIEW_TITLE, f"点数 13  帧数 4  字节 156  起始地址 {start}", "a dot count typed in the dialog")
    desktop.screenshot("preview-of-a-wrong-dot-count")
    desktop.click(form, rw.FORM["inputok"])
    desktop.wait_gone(rw.FORM_TITLE, "click on inputok")
    desktop.wait_gone(PREVIEW_TITLE, "the previewed file added as a show")
    rw.log("预览 of the waiting file followed the typed dot count and went with it")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--wine-run", "--prefix", "--tool", "--texts", "--emulator", "--layout", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    rw.load_layout(args.layout)
    # The tool runs in a folder of its own: every path given must reach from there too.
    for name in ("wine_run", "prefix", "tool", "texts", "emulator", "out"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    if not os.environ.get("DISPLAY"):
        rw.log("SKIP: no X server to run on (scripts/windows-tests starts one)")
        return rw.SKIP
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    run = rw.Run(args.out)
    run.display = os.environ["DISPLAY"]

    def stop(signum, _frame):
        raise rw.Failure(f"stopped by signal {signum}")

    for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(s, stop)
    try:
        steps(run, WineDesktop(run), args)
        rw.log(f"PASS; screenshots in {args.out}")
        return 0
    except (rw.Failure, subprocess.TimeoutExpired, subprocess.CalledProcessError) as failure:
        rw.log(f"FAIL: {failure}")
        rw.show_logs(args.out)
        return 1
    finally:
        run.cleanup()
        link = os.path.join(args.prefix, "dosdevices", f"com{COM}")
        if os.path.islink(link):
            os.unlink(link)


if __name__ == "__main__":
    sys.exit(main())
