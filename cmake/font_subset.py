#!/usr/bin/python3
"""The window's own font: a subset of the Ming (Song-style) face that holds every character the
windows can draw, under a family name of its own.

usage: font_subset.py --font FONT.ttc --face-number N --family NAME --out OUT.ttf
                      --chars-out CHARS.txt [--flavor woff2] SOURCE...

The characters are every code point from U+0080 up in the given source files (texts, layout
tables, and comments too: a few glyphs more cost nothing, a text forgotten costs empty boxes),
plus printable ASCII, the ellipsis and the percent sign. CHARS.txt gets them as UTF-8, one line.
When the characters and the options are the same as last time, neither output is touched, so an
edit of a source file that adds no character rebuilds nothing downstream.
"""

import argparse
import hashlib
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

ALWAYS = {chr(c) for c in range(0x20, 0x7F)} | {"\u2026", "%"}

NOTICE = ("Modified by the build of Pelmora: a subset of {source} holding only the characters of "
          "the Pelmora windows, the family renamed to \"{family}\", hinting instructions, "
          "vertical metrics and the BDF properties removed. Made {when} from {path}.")


def characters(sources):
    found = set(ALWAYS)
    for path in sources:
        with open(path, encoding="utf-8") as f:
            found.update(c for c in f.read() if ord(c) >= 0x80)
    # Line ends and the byte-order mark are no glyphs.
    found -= {"\ufeff"}
    return "".join(sorted(found))


def build_date():
    # Debian's reproducible builds set SOURCE_DATE_EPOCH; fontTools takes head.modified from it too.
    import datetime
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    when = (datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc) if epoch
            else datetime.datetime.now(datetime.timezone.utc))
    return when.strftime("%Y-%m-%d")


def rename(font, family, source_family, path):
    name = font["name"]
    postscript = family.replace(" ", "")
    for record in list(name.names):
        # Typographic family and subfamily would still say the old family to some matchers.
        if record.nameID in (16, 17, 21, 22):
            name.removeNames(nameID=record.nameID)
    strings = {
        1: family,
        3: postscript + "-Regular",
        4: family,
        6: postscript + "-Regular",
        10: NOTICE.format(source=source_family, family=family, when=build_date(), path=path),
        13: "ARPHIC PUBLIC LICENSE (ARPHICPL.TXT, installed with Pelmora's documentation)",
    }
    for name_id, text in strings.items():
        name.setName(text, name_id, 3, 1, 0x409)  # Windows, Unicode BMP, English
        name.setName(text, name_id, 1, 0, 0)      # Macintosh, Roman, English
    for record in list(name.names):
        # Every localized family name (the Chinese ones) goes: one family, one name.
        if record.nameID in (1, 3, 4, 6) and not (
                (record.platformID, record.langID) in ((3, 0x409), (1, 0))):
            name.names.remove(record)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--font", required=True)
    parser.add_argument("--face-number", type=int, default=0)
    parser.add_argument("--family", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--chars-out", required=True)
    parser.add_argument("--flavor", choices=["woff2"], help="a web font instead of a TrueType file")
    parser.add_argument("sources", nargs="+")
    args = parser.parse_args()

    text = characters(args.sources)
    # What the font is made from, beside the characters: a change of font, face or name remakes it.
    stamp = hashlib.sha256("\n".join([text, args.font, str(args.face_number), args.family, str(args.flavor),
                                      open(__file__, "rb").read().hex()]).encode()).hexdigest()
    stamp_path = args.out + ".stamp"
    if (os.path.exists(args.out) and os.path.exists(args.chars_out) and os.path.exists(stamp_path)
            and open(stamp_path).read() == stamp):
        return 0

    options = subset.Options()
    options.font_number = args.face_number
    options.hinting = False
    options.desubroutinize = True
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    # The embedded bitmaps stay: at the window's 9 to 10.5 pt the source font draws from them,
    # and so should its subset.
    options.drop_tables = [t for t in options.drop_tables if t not in ("EBDT", "EBLC", "EBSC")]
    font = TTFont(args.font, fontNumber=args.face_number)
    for table in ("BDF ", "FFTM", "vhea", "vmtx", "VORG"):
        if table in font:
            del font[table]
    source_family = font["name"].getDebugName(4) or os.path.basename(args.font)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)

    cmap = font.getBestCmap()
    missing = [c for c in text if ord(c) not in cmap]
    # A character the source font lacks draws from a fallback, not in the window's face. Say so,
    # but go on: it may stand in a comment only.
    if missing:
        print("font_subset.py: warning: %s has no glyph for %s" % (source_family,
              " ".join("U+%04X" % ord(c) for c in missing)), file=sys.stderr)

    rename(font, args.family, source_family, args.font)
    font.flavor = args.flavor
    font.save(args.out)
    with open(args.chars_out, "w", encoding="utf-8") as f:
        f.write(text + "\n")
    with open(stamp_path, "w") as f:
        f.write(stamp)
    print("font_subset.py: %d characters, %d glyphs, %d bytes in %s" % (
        len(text), font["maxp"].numGlyphs, os.path.getsize(args.out), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
