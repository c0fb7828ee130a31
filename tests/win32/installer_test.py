#!/usr/bin/python3
"""The .zip holds the programs and LICENSE.txt; the installer, run silently in a Wine prefix of the
test's own, installs them, the Start-menu entry and the uninstall entry; the installed programs
start; the uninstaller takes it all away. Exit 77: skipped (no makensis, or no Xvfb)."""

import argparse, os, re, shutil, subprocess, sys, time, zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "realwindow"))
import realwindow_test as realwindow  # noqa: E402  start_xvfb

PRODUCT, WAIT = "Pelmora发送软件", 300  # seconds; only a hang reaches it
INSTALL = "C:\\Program Files\\" + PRODUCT
KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelmora"
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    ok or failures.append(what)


def main(args):
    if not shutil.which("makensis"):
        print("SKIPPED: no makensis (scripts/install-deps installs nsis)")
        return 77
    built = {os.path.basename(p): open(p, "rb").read() for p in args.program}
    window = "pelmora.exe" in built
    with zipfile.ZipFile(args.zip) as z:
        files = {name: z.read(name) for name in z.namelist()}
    check(files.pop("LICENSE.txt", b"").count(b"\r\n") > 10 and files == built, f".zip: LICENSE.txt, {list(built)}")

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    prefix, xvfb = os.path.join(args.work, "wine"), []
    # winemenubuilder's desktop menu entries go into the work folder; a window, on an Xvfb of its own.
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    env.update(XDG_DATA_HOME=args.work, XDG_CONFIG_HOME=args.work)

    def wine(*command, **variables):  # output to a file: the prefix's services would hold a pipe open
        with open(os.path.join(args.work, "wine.out"), "w+b") as out:
            r = subprocess.run([args.wine_run, prefix, *command], env=dict(env, **variables), stdout=out,
                               stderr=out, timeout=WAIT)
            out.seek(0)
            return r.returncode, out.read().decode(errors="replace")

    def unix(path):
        return os.path.join(prefix, "drive_c", *path[3:].split("\\"))

    link = unix(f"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\{PRODUCT}.lnk")
    try:
        if window:
            run = argparse.Namespace(out_dir=args.work, start=lambda _, cmd, **kw: xvfb.append(
                subprocess.Popen(cmd, **kw)) or xvfb[0])
            try:
                realwindow.start_xvfb(run)
            except realwindow.Skip as skip:
                print(f"SKIPPED: {skip}")
                return 77
            env["DISPLAY"] = run.display
        check(wine(args.setup, "/S")[0] == 0, "the installer runs silently")
        folder = sorted(os.listdir(unix(INSTALL))) if os.path.isdir(unix(INSTALL)) else []
        check(folder == sorted([*built, "LICENSE.txt", "uninstall.exe"]), f"{INSTALL} holds {folder}")
        check(all(open(unix(f"{INSTALL}\\{n}"), "rb").read() == built[n] for n in built if n in folder), "as built")
        check(os.path.isfile(link), "the Start-menu entry is there")
        if window and os.path.isfile(link):  # Wine keeps the target path in the ANSI code page only
            data, target = open(link, "rb").read(), INSTALL + "\\pelmora.exe"
            check(any(b"\0" + target.encode(c, "replace") + b"\0" in data for c in ("cp1252", "gbk")),
                  f"the entry starts {target}")
        wine("reg", "export", KEY, "C:\\key.reg", "/y")  # reg query would print in the console's code page
        text = open(unix("C:\\key.reg"), encoding="utf-16").read() if os.path.isfile(unix("C:\\key.reg")) else ""
        values = {m[1]: re.sub(r"\\(.)", r"\1", m[2]) for m in re.finditer(r'^"(\w+)"="(.*)"$', text, re.M)}
        wanted = dict(DisplayName=PRODUCT, DisplayVersion=args.version, Publisher="The Pelmora developers",
                      UninstallString=f'"{INSTALL}\\uninstall.exe"',
                      DisplayIcon=INSTALL + ("\\pelmora.exe" if window else "\\uninstall.exe"))
        check(all(values.get(k) == v for k, v in wanted.items()), f"uninstall entry {values}")
        status, out = wine(INSTALL + "\\pelmora-send.exe", "--version")
        check(status == 0 and f"pelmora-send {args.version}" in out, f"pelmora-send.exe --version: {out!r}")
        if window:
            check(wine(INSTALL + "\\pelmora.exe", PELMORA_EXIT_WHEN_SHOWN="1")[0] == 0, "pelmora.exe is shown")
        else:
            print("SKIPPED part: pelmora.exe is not in the package, so it is not started", flush=True)
        # The uninstaller copies itself away and returns at once; the entry is the last thing it removes.
        check(wine(INSTALL + "\\uninstall.exe", "/S")[0] == 0, "the uninstaller runs silently")
        deadline = time.monotonic() + WAIT
        while wine("reg", "query", KEY)[0] == 0 and time.monotonic() < deadline:
            time.sleep(0.5)
        check(wine("reg", "query", KEY)[0] != 0, "the uninstall entry is gone")
        check(not os.path.exists(unix(INSTALL)) and not os.path.exists(link), "the folder and the entry are gone")
    finally:
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=dict(env, WINEPREFIX=prefix), capture_output=True)
        for p in xvfb:
            p.terminate()
            p.wait()
    print(f"{len(failures)} failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    names = ("wine_run", "work", "setup", "zip", "version")
    if len(sys.argv) < len(names) + 2:
        sys.exit("usage: installer_test.py WINE_RUN WORK SETUP.exe PACKAGE.zip VERSION PROGRAM.exe...")
    sys.exit(main(argparse.Namespace(**dict(zip(names, sys.argv[1:])), program=sys.argv[len(names) + 1:])))
