#!/usr/bin/python3
"""The font subset script: a character that only a new source file holds ends up in the font, the
font has its own family, and a second run with the same characters leaves the outputs alone.

usage: font_subset_test.py SCRIPT FONT.ttc
"""

import os
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTFont


def run(script, font, folder, sources, extra=(), name="out.ttf"):
    out = os.path.join(folder, name)
    chars = os.path.join(folder, "chars.txt")
    subprocess.run(["/usr/bin/python3", script, "--font", font, "--face-number", "0",
                    "--family", "Test Song", "--out", out, "--chars-out", chars, *extra] + sources,
                   check=True, stdout=subprocess.DEVNULL)
    return out, chars


def main():
    script, font = sys.argv[1:3]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "texts.h")
        with open(source, "w", encoding="utf-8") as f:
            f.write('constexpr const char* text = "测试";  // 注释\n')
        out, chars = run(script, font, folder, [source])
        cmap = TTFont(out).getBestCmap()
        for c in "测试注释…% ~A":
            if ord(c) not in cmap:
                failures.append("U+%04X not in the font" % ord(c))
        for c in "发送":
            if ord(c) in cmap:
                failures.append("U+%04X in the font, but in no source" % ord(c))
        if TTFont(out)["name"].getDebugName(1) != "Test Song":
            failures.append("family is %r" % TTFont(out)["name"].getDebugName(1))
        with open(chars, encoding="utf-8") as f:
            if f.read() != "".join(sorted(set("测试注释…%") | {chr(c) for c in range(0x20, 0x7F)})) + "\n":
                failures.append("the character list is not the sources' characters plus ASCII")

        # The same characters again (another file, same text): nothing is written.
        os.utime(out, (1, 1))
        again = os.path.join(folder, "again.cpp")
        with open(again, "w", encoding="utf-8") as f:
            f.write("// 测试\n")
        run(script, font, folder, [source, again])
        if os.stat(out).st_mtime != 1:
            failures.append("the font was written again for the same characters")
        # A new character: written again, and it is in.
        with open(again, "w", encoding="utf-8") as f:
            f.write('auto t = "发";\n')
        run(script, font, folder, [source, again])
        if os.stat(out).st_mtime == 1 or ord("发") not in TTFont(out).getBestCmap():
            failures.append("a new character did not remake the font")

        # The page's web font: the same glyphs and family, in a WOFF2 container.
        web, _ = run(script, font, folder, [source, again], ["--flavor", "woff2"], "out.woff2")
        with open(web, "rb") as f:
            if f.read(4) != b"wOF2":
                failures.append("the web font is no WOFF2 file")
        if ord("发") not in TTFont(web).getBestCmap() or TTFont(web)["name"].getDebugName(1) != "Test Song":
            failures.append("the web font lacks the characters or the family")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
