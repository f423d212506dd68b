#!/usr/bin/env python3
"""Turns a copy of a built program into the next version's, for the update
test: its version resource and its manifest say NEXT where they said THIS,
changed in place (both versions' texts are the same length), and nothing
else changes.

  next-version.py FILE THIS NEXT      (versions as X.Y.Z)
"""

import struct
import sys

FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def main():
    path, this, following = sys.argv[1:4]
    if len(this) != len(following):
        print("next-version: %s and %s differ in length" % (this, following), file=sys.stderr)
        return 2
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(FIXED_FILE_INFO_SIGNATURE)
    if at < 0:
        print("next-version: %s has no version resource" % path, file=sys.stderr)
        return 1
    major, minor, patch = (int(part) for part in following.split("."))
    fixed = struct.pack("<IIII", major << 16 | minor, patch << 16, major << 16 | minor, patch << 16)
    data = data[: at + 8] + fixed + data[at + 24 :]
    # The strings of the version resource (UTF-16), then the manifest's.
    for old, new in (
        ((this + ".0\0").encode("utf-16-le"), (following + ".0\0").encode("utf-16-le")),
        ((this + "\0").encode("utf-16-le"), (following + "\0").encode("utf-16-le")),
        (('version="%s.0"' % this).encode(), ('version="%s.0"' % following).encode()),
    ):
        data = data.replace(old, new)
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
