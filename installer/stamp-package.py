#!/usr/bin/env python3
"""Gives a built package the summary a rebuild of the same commit gives it:
its created, saved and printed times are the commit's, and its package code
(the summary's revision number) is a name-based UUID in the product code's
namespace, named by the version and a digest of the package with that code
left blank. The same inputs give the same package code, and any change to
the package gives it a new one, as the Windows Installer requires of two
packages that differ.

  stamp-package.py PACKAGE EPOCH VERSION PRODUCT-CODE   (EPOCH in Unix seconds)

The summary is changed in place, in the package's own compound file:
msitools keeps the times of the moment it wrote the package, and has no way
to set them.
"""

import hashlib
import struct
import sys
import uuid

SUMMARY = "\x05SummaryInformation"
END_OF_CHAIN = 0xFFFFFFFA  # this and above end a chain or mark a free sector
PID_REVISION, PID_PRINTED, PID_CREATED, PID_SAVED = 9, 11, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
SECONDS_1601_TO_1970 = 11644473600
BLANK_CODE = b"{00000000-0000-0000-0000-000000000000}"


class BadPackage(Exception):
    pass


def Chain(table, start):
    sectors = []
    while start < END_OF_CHAIN:
        if start >= len(table) or len(sectors) > len(table):
            raise BadPackage("a broken sector chain")
        sectors.append(start)
        start = table[start]
    return sectors


def StreamOffsets(data, name):
    """The offset in the file of each byte of a stream of the root storage."""
    if data[:8] != bytes.fromhex("D0CF11E0A1B11AE1"):
        raise BadPackage("not a compound file")
    sector_shift, mini_shift = struct.unpack_from("<HH", data, 0x1E)
    fat_sectors, first_directory = struct.unpack_from("<II", data, 0x2C)
    cutoff, first_mini_fat, _, _, difat_sectors = struct.unpack_from("<IIIII", data, 0x38)
    if difat_sectors:
        raise BadPackage("too large a package for this script")
    size, mini = 1 << sector_shift, 1 << mini_shift

    def Bytes(chain):
        return [(sector + 1) * size + i for sector in chain for i in range(size)]

    def Table(chain):
        return [struct.unpack_from("<I", data, at)[0] for at in Bytes(chain)[::4]]

    fat = Table(struct.unpack_from("<%dI" % fat_sectors, data, 0x4C))
    directory = bytes(data[at] for at in Bytes(Chain(fat, first_directory)))
    entries = {}
    for at in range(0, len(directory), 128):
        length = struct.unpack_from("<H", directory, at + 0x40)[0]
        start, stream_size = struct.unpack_from("<II", directory, at + 0x74)
        entries.setdefault(directory[at : at + max(length - 2, 0)].decode("utf-16-le"), (start, stream_size))
    if name not in entries:
        raise BadPackage("no %r stream" % name)
    start, stream_size = entries[name]
    if stream_size >= cutoff:
        return Bytes(Chain(fat, start))[:stream_size]
    # A small stream lives in the mini stream, the root entry's own stream.
    mini_stream = Bytes(Chain(fat, next(iter(entries.values()))[0]))
    mini_fat = Table(Chain(fat, first_mini_fat))
    return [mini_stream[sector * mini + i] for sector in Chain(mini_fat, start) for i in range(mini)][
        :stream_size
    ]


def PropertyOffsets(stream):
    """The offset in the stream of each property's type, by its id."""
    section = struct.unpack_from("<I", stream, 28 + 16)[0]
    count = struct.unpack_from("<I", stream, section + 4)[0]
    pairs = struct.unpack_from("<%dI" % (2 * count), stream, section + 8)
    return {pairs[i]: section + pairs[i + 1] for i in range(0, len(pairs), 2)}


def Stamp(data, epoch, version, product_code):
    offsets = StreamOffsets(data, SUMMARY)
    stream = bytearray(data[at] for at in offsets)
    properties = PropertyOffsets(stream)
    filetime = (epoch + SECONDS_1601_TO_1970) * 10**7
    for pid in (PID_PRINTED, PID_CREATED, PID_SAVED):
        if pid in properties:
            at = properties[pid]
            if struct.unpack_from("<I", stream, at)[0] != VT_FILETIME:
                raise BadPackage("summary property %d is not a time" % pid)
            struct.pack_into("<Q", stream, at + 4, filetime)
    at = properties.get(PID_REVISION)
    if at is None or struct.unpack_from("<II", stream, at) != (VT_LPSTR, len(BLANK_CODE) + 1):
        raise BadPackage("the summary holds no package code")
    stream[at + 8 : at + 8 + len(BLANK_CODE)] = BLANK_CODE

    def Write():
        for offset, byte in zip(offsets, stream):
            data[offset] = byte

    Write()
    digest = hashlib.sha256(bytes(data)).hexdigest()
    code = uuid.uuid5(uuid.UUID(product_code), "%s %s" % (version, digest))
    stream[at + 8 : at + 8 + len(BLANK_CODE)] = ("{%s}" % code).upper().encode()
    Write()


def main():
    if len(sys.argv) != 5:
        print("usage: stamp-package.py PACKAGE EPOCH VERSION PRODUCT-CODE", file=sys.stderr)
        return 2
    path, epoch, version, product_code = sys.argv[1:]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    try:
        Stamp(data, int(epoch), version, product_code)
    except (BadPackage, struct.error, UnicodeDecodeError, IndexError) as error:
        print("stamp-package: %s: %s" % (path, error), file=sys.stderr)
        return 1
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
