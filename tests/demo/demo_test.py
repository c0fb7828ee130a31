#!/usr/bin/python3
"""make demo as a user meets it, under Xvfb: scripts/demo writes the samples, starts the emulated
controller and the tool; the test imports both samples through the file dialog, chooses the COM
entry the demo names, opens the port and sends, and waits for the emulator to report the image.
Then it closes the tool and checks that the demo removed its link and stopped the emulator.

  demo_test.py --build BUILD_DIR --out OUT_DIR
Exit status 0: passed; 1: failed; 77: skipped (not root, or no X server).
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "realwindow"))
import realwindow_test as rw  # noqa: E402  (the real-window test's X helpers)

REPO = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


class Demo:
    """scripts/demo running in a session of its own; its output collected line by line."""

    def __init__(self, run, desktop, build):
        env = dict(desktop.env, QT_QPA_PLATFORM="xcb")
        self.process = run.start(
            "demo", [os.path.join(REPO, "scripts", "demo"), build], env=env, cwd=run.scratch,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
        )
        self.lines = []
        self.log = open(os.path.join(run.out_dir, "demo.log"), "w")
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.rstrip("\n"))
            self.log.write(line)
            self.log.flush()

    def wait_line(self, pattern, what):
        deadline = time.monotonic() + rw.WAIT
        ended = None
        while time.monotonic() < deadline:
            for line in list(self.lines):
                m = re.search(pattern, line)
                if m:
                    return m
            if self.process.poll() is not None:
                if ended is not None and time.monotonic() > ended + 1:
                    break  # the demo is over and its last lines are read
                ended = ended or time.monotonic()
            time.sleep(0.05)
        raise rw.Failure(f"{what}: the demo never printed /{pattern}/ (see demo.log)")


def steps(run, desktop, build):
    demo = Demo(run, desktop, build)
    m = demo.wait_line(r"(/dev/ttyUSB\d+) -> (/dev/pts/\d+); in the tool choose COM(\d+)", "start-up")
    link, com = m.group(1), int(m.group(3))
    run.link, run.link_target = link, m.group(2)  # removed by the cleanup if the demo does not
    rw.log(f"the demo linked the emulated controller as {link}, COM{com}")
    demo.wait_line(r"Sample animations", "start-up")
    time.sleep(0.3)
    samples = [m.group(1) for m in (re.match(r"\s+(/\S+\.led):", line) for line in demo.lines) if m]
    if len(samples) != 2 or not all(os.path.isfile(s) for s in samples):
        raise rw.Failure(f"the demo should name two sample files, it printed {samples}")

    tool = rw.Tool(desktop, None)
    tool.process = demo.process
    tool.window = desktop.wait_window(rw.TITLE, "the demo starting the tool", alive=tool.alive)

    d = desktop
    for path in samples:
        d.click(tool.window, rw.MAIN["open"])
        dialog = d.wait_window(rw.FILE_DIALOG_TITLE, "click on open")
        d.focus(dialog)
        d.type(path)
        d.key("Return")
        d.wait_gone(rw.FILE_DIALOG_TITLE, "Return in the file dialog")
        form = d.wait_window(rw.FORM_TITLE, "a sample chosen in the file dialog")
        d.focus(form)
        d.click(form, rw.FORM["inputok"])
        d.wait_gone(rw.FORM_TITLE, "click on inputok")
        rw.log(f"imported {os.path.basename(path)} with the numbers the file gives")

    tool.choose_in_list(rw.MAIN["cbcom"], com - 1, arrow_dx=rw.MAIN["cbcom"][2] - 8)
    d.click(tool.window, rw.MAIN["opencom"])
    d.fail_on_message_box()
    d.click(tool.window, rw.MAIN["comsend"])
    m = demo.wait_line(r"^download 1: .*", "a send to the emulated controller")
    rw.log(f"the emulator reported: {m.group(0)}")
    requests = [line for line in demo.lines if "0x42" in line]
    if not requests:
        raise rw.Failure("the emulator printed no request it answered")
    d.screenshot("demo-after-send")

    # The user closes the tool; the demo cleans up after it.
    tool_pids = subprocess.run(["pgrep", "-s", str(demo.process.pid), "-x", "pelmora"],
                               capture_output=True, text=True).stdout.split()
    if not tool_pids:
        raise rw.Failure("the tool is not running under the demo")
    for pid in tool_pids:
        os.kill(int(pid), signal.SIGTERM)
    demo.process.wait(timeout=rw.WAIT)
    demo.wait_line(r"emulated controller stopped, .* removed", "closing the tool")
    if os.path.lexists(link):
        raise rw.Failure(f"{link} is still there after the demo ended")
    run.link = None
    rw.log(f"the tool closed: the demo stopped the emulator and removed {link}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    build, out = os.path.abspath(args.build), os.path.abspath(args.out)
    rw.load_layout(os.path.join(build, "tests", "layout-json"))  # the windows' layout tables
    if os.geteuid() != 0:
        rw.log("SKIP: make demo links the emulated controller under /dev, which needs root")
        return rw.SKIP
    import shutil

    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    run = rw.Run(out)
    try:
        rw.start_xvfb(run)
        steps(run, rw.Desktop(run), build)
        rw.log("PASS")
        return 0
    except rw.Skip as skip:
        rw.log(f"SKIP: {skip}")
        return rw.SKIP
    except (rw.Failure, subprocess.TimeoutExpired, subprocess.CalledProcessError) as failure:
        rw.log(f"FAIL: {failure}")
        rw.show_logs(out)
        return 1
    finally:
        run.cleanup()


if __name__ == "__main__":
    sys.exit(main())
