#!/usr/bin/env python3
"""Static checks of a built Windows program or DLL, run on the build machine.

The 32-bit programs are the product, but a machine that cannot run 32-bit
Wine never executes them. What can go wrong in them without showing in the
64-bit build is mostly in how they are linked, and that can be read from the
file itself:

- every slot of the import address table belongs to an imported DLL, and
  holds the name the loader fills it from: a slot outside every DLL's list,
  or one that is zero in the file, is never filled, and a call through it
  jumps to address 0 (a delay-load library made for the wrong width did
  exactly that);
- no delay-load machinery at all (the delay import directory, a .didat
  section);
- each imported name is exported by the DLL it names, where that DLL is at
  hand: our own Vantrel.dll, and Wine's builds of the system DLLs for the
  same width (so a decorated 32-bit name such as MakeNumberBox@4 is caught);
  a DLL given with --require-dll must be at hand, one given with
  --import-dll only imported;
- the machine type, the GUI subsystem, an entry point inside the code, the
  resources the resource compiler was to put in, and for a DLL the exact
  list of its exported names;
- the version: the version resource's file and product version, its product
  name, publisher, description and file name, and the version the manifest
  gives the program's own assembly, all the project's;
- what the manifest asks of Windows: to run as the user who started it
  (as-invoker), at the display's own scale (dpi-aware), with version 6 of
  the common controls (common-controls-6).

  check-pe.py [--machine i386|x86-64] [--gui] [--dll-folder DIR]...
              [--require-dll NAME]... [--import-dll NAME]... [--forbid-dll NAME]...
              [--resources TYPE:ID,...] [--exports NAME,NAME...]
              [--version X.Y.Z --publisher NAME] [--manifest-needs NAME,...] FILE
  check-pe.py --print-version FILE

Prints what it found, and exits 1 with the reasons when a check fails.
--print-version prints the file version alone (X.Y.Z.W), for the package
build.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

MACHINES = {0x14C: "i386", 0x8664: "x86-64"}
SUBSYSTEM_GUI = 2
DIRECTORY_EXPORT, DIRECTORY_IMPORT, DIRECTORY_RESOURCE, DIRECTORY_IAT, DIRECTORY_DELAY = 0, 1, 2, 12, 13
RESOURCE_TYPES = {"ICON": 3, "MENU": 4, "DIALOG": 5, "ACCELERATOR": 9, "RCDATA": 10, "GROUP_ICON": 14, "VERSION": 16, "MANIFEST": 24}
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD
SECTION_CODE = 0x20
SECTION_EXECUTE = 0x20000000


class BadImage(Exception):
    pass


class Image:
    """The parts of a PE file the checks read."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ" or len(self.data) < 0x40:
            raise BadImage("not a Windows program (no MZ header)")
        pe = self.u32(0x3C)
        if self.data[pe : pe + 4] != b"PE\0\0":
            raise BadImage("not a Windows program (no PE signature)")
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", self.data, pe + 4)
        self.machine = MACHINES.get(machine, hex(machine))
        optional = pe + 24
        magic = self.u16(optional)
        if magic == 0x10B:
            self.pointer_size, directories = 4, optional + 96
        elif magic == 0x20B:
            self.pointer_size, directories = 8, optional + 112
        else:
            raise BadImage("unknown optional header 0x%x" % magic)
        self.entry = self.u32(optional + 16)
        self.subsystem = self.u16(optional + 68)
        count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(min(count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from("<8sIIII", self.data, table + 40 * i)
            flags = self.u32(table + 40 * i + 36)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), address, max(virtual_size, raw_size), raw_size, raw_offset, flags))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        for section in self.sections:
            if section[1] <= rva < section[1] + section[2]:
                return section
        return None

    def offset(self, rva):
        section = self.section_of(rva)
        if section is None or rva - section[1] >= section[3]:
            raise BadImage("address 0x%x is not in the file" % rva)
        return section[4] + rva - section[1]

    def pointer(self, rva):
        fmt = "<I" if self.pointer_size == 4 else "<Q"
        return struct.unpack_from(fmt, self.data, self.offset(rva))[0]

    def text(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise BadImage("text at 0x%x has no end" % rva)
        return self.data[start:end].decode("latin-1")

    def imports(self):
        """[(dll, [names], iat start, iat end incl. terminator, [reasons])]"""
        rva, size = self.directory(DIRECTORY_IMPORT)
        found = []
        if not rva:
            return found
        ordinal_flag = 1 << (8 * self.pointer_size - 1)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not (lookup or name or first):
                return found
            dll, names, reasons = self.text(name), [], []
            lookup = lookup or first
            slot = 0
            while True:
                entry = self.pointer(lookup + slot * self.pointer_size)
                filled = self.pointer(first + slot * self.pointer_size)
                if entry == 0:
                    if filled != 0:
                        reasons.append("its list of slots has no terminator")
                    break
                if filled != entry:
                    reasons.append("slot %d is %s in the file, not the name the loader fills it from" % (slot, "zero" if filled == 0 else "0x%x" % filled))
                names.append("#%d" % (entry & 0xFFFF) if entry & ordinal_flag else self.text(entry + 2))
                slot += 1
            found.append((dll, names, first, first + (slot + 1) * self.pointer_size, reasons))
            rva += 20

    def resources(self):
        """The (type, id) pairs of the resources with numeric types and ids."""
        base, _ = self.directory(DIRECTORY_RESOURCE)
        if not base:
            return set()

        def entries(rva):
            offset = self.offset(rva)
            named, numbered = struct.unpack_from("<HH", self.data, offset + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * i)
                if not name & 0x80000000:
                    yield name, base + (target & 0x7FFFFFFF)

        return {(kind, number) for kind, ids in entries(base) for number, _ in entries(ids)}

    def resource_data(self, kind, number):
        """The bytes of a resource (its first language), or None."""
        base, _ = self.directory(DIRECTORY_RESOURCE)
        if not base:
            return None

        def find(rva, wanted):
            offset = self.offset(rva)
            named, numbered = struct.unpack_from("<HH", self.data, offset + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * i)
                if wanted is None or name == wanted:
                    return target
            return None

        # Three levels: the type, the id, then the language, whose entry
        # gives the data.
        ids = find(base, kind)
        if ids is None or not ids & 0x80000000:
            return None
        languages = find(base + (ids & 0x7FFFFFFF), number)
        if languages is None or not languages & 0x80000000:
            return None
        entry = find(base + (languages & 0x7FFFFFFF), None)
        if entry is None or entry & 0x80000000:
            return None
        data, size = struct.unpack_from("<II", self.data, self.offset(base + entry))
        start = self.offset(data)
        return self.data[start : start + size]

    def exports(self):
        rva, _ = self.directory(DIRECTORY_EXPORT)
        if not rva:
            return []
        count, _, names = struct.unpack_from("<III", self.data, self.offset(rva) + 24)
        return [self.text(self.u32(self.offset(names) + 4 * i)) for i in range(count)]


def version_info(data):
    """(file version, product version, {string name: value}) from a version
    resource: a tree of blocks, each its length, its value's length, its
    type, a UTF-16 key, then its value and its children, 32-bit aligned."""

    def align(offset):
        return (offset + 3) & ~3

    def block(offset):
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        end = offset + length
        key_end = offset + 6
        while data[key_end : key_end + 2] != b"\0\0":
            key_end += 2
        key = data[offset + 6 : key_end].decode("utf-16-le")
        value_at = align(key_end + 2)
        value_size = value_length * 2 if kind == 1 else value_length
        value = data[value_at : value_at + value_size]
        children = []
        child = align(value_at + value_size)
        while child < end:
            children.append(block(child))
            child = align(child + struct.unpack_from("<H", data, child)[0])
        return key, kind, value, children

    key, _, fixed, children = block(0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52 or struct.unpack_from("<I", fixed)[0] != FIXED_FILE_INFO_SIGNATURE:
        raise BadImage("its version resource has no fixed file information")
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)

    def dotted(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    strings = {}
    for name, _, _, tables in children:
        if name == "StringFileInfo":
            for _, _, _, entries in tables:
                for entry, _, value, _ in entries:
                    strings[entry] = value.decode("utf-16-le").rstrip("\0")
    return dotted(file_ms, file_ls), dotted(product_ms, product_ls), strings


def manifest_version(data):
    """The version the manifest gives the program's own assembly."""
    root = ElementTree.fromstring(data)
    identity = root.find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
    return None if identity is None else identity.get("version")


def check_version(image, args):
    problems = []
    wanted = args.version + ".0"
    data = image.resource_data(RESOURCE_TYPES["VERSION"], 1)
    if data is None:
        return ["it has no version resource"]
    file_version, product_version, strings = version_info(data)
    print("  version: %s, product %s %s, %s" % (file_version, strings.get("ProductName"), product_version, strings.get("CompanyName")))
    if file_version != wanted:
        problems.append("its file version is %s, not %s" % (file_version, wanted))
    if product_version != wanted:
        problems.append("its product version is %s, not %s" % (product_version, wanted))
    expected = {
        "FileVersion": wanted,
        "ProductVersion": args.version,
        "ProductName": "values",
        "CompanyName": args.publisher,
        "OriginalFilename": os.path.basename(args.file),
    }
    for name, value in expected.items():
        if strings.get(name) != value:
            problems.append("its version resource gives %s %r, not %r" % (name, strings.get(name), value))
    if not strings.get("FileDescription"):
        problems.append("its version resource has no file description")
    manifest = image.resource_data(RESOURCE_TYPES["MANIFEST"], 1)
    if manifest is not None:
        version = manifest_version(manifest)
        if version != wanted:
            problems.append("its manifest gives its assembly version %s, not %s" % (version, wanted))
    return problems


ASSEMBLY_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASSEMBLY_V3 = "{urn:schemas-microsoft-com:asm.v3}"
WINDOWS_SETTINGS = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"


def manifest_gives(root, need):
    """Whether a parsed manifest asks Windows for one of --manifest-needs."""
    if need == "as-invoker":
        return any(e.get("level") == "asInvoker" for e in root.iter(ASSEMBLY_V3 + "requestedExecutionLevel"))
    if need == "dpi-aware":
        return any((e.text or "").strip().lower() in ("true", "true/pm", "per monitor") for e in root.iter(WINDOWS_SETTINGS + "dpiAware"))
    if need == "common-controls-6":
        return any(
            e.get("name") == "Microsoft.Windows.Common-Controls" and e.get("version") == "6.0.0.0"
            for dependency in root.iter(ASSEMBLY_V1 + "dependentAssembly")
            for e in dependency.iter(ASSEMBLY_V1 + "assemblyIdentity")
        )
    raise BadImage("no such manifest check: %s" % need)


def check_manifest(image, needs):
    manifest = image.resource_data(RESOURCE_TYPES["MANIFEST"], 1)
    if manifest is None:
        return ["it has no manifest"]
    root = ElementTree.fromstring(manifest)
    return ["its manifest does not ask for %s" % need for need in needs.split(",") if not manifest_gives(root, need)]


def find_dll(folders, name):
    for folder in folders:
        try:
            for entry in os.listdir(folder):
                if entry.lower() == name.lower():
                    return os.path.join(folder, entry)
        except OSError:
            pass
    return None


def check(image, args):
    problems = []
    print("%s: %s, %s" % (args.file, image.machine, "GUI" if image.subsystem == SUBSYSTEM_GUI else "subsystem %d" % image.subsystem))
    if args.machine and image.machine != args.machine:
        problems.append("machine is %s, not %s" % (image.machine, args.machine))
    if args.gui and image.subsystem != SUBSYSTEM_GUI:
        problems.append("not a GUI program")
    entry_section = image.section_of(image.entry)
    if image.entry and (entry_section is None or not entry_section[5] & (SECTION_CODE | SECTION_EXECUTE)):
        problems.append("the entry point 0x%x is not in the code" % image.entry)
    elif not image.entry and not args.exports:
        problems.append("a program without an entry point")

    delay_rva, delay_size = image.directory(DIRECTORY_DELAY)
    if delay_rva or delay_size:
        problems.append("it has a delay import directory")
    if any(section[0].startswith(".didat") for section in image.sections):
        problems.append("it has a delay import section (.didat)")

    imports = image.imports()
    for dll, names, start, end, reasons in imports:
        print("  imports %s: %s" % (dll, " ".join(names)))
        problems += ["%s: %s" % (dll, reason) for reason in reasons]
        if any(dll.lower() == forbidden.lower() or dll.lower() == forbidden.lower() + ".dll" for forbidden in args.forbid_dll):
            problems.append("it imports %s, which it must load itself when needed" % dll)
        path = find_dll(args.dll_folder, dll)
        if path is None:
            if any(dll.lower() == required.lower() for required in args.require_dll):
                problems.append("%s is not in %s" % (dll, " ".join(args.dll_folder)))
            continue
        exported = set(Image(path).exports())
        missing = [name for name in names if not name.startswith("#") and name not in exported]
        if missing:
            problems.append("%s does not export %s" % (path, " ".join(missing)))
    for required in args.require_dll + args.import_dll:
        if not any(dll.lower() == required.lower() for dll, *_ in imports):
            problems.append("it does not import %s" % required)

    # The import address table holds the DLLs' lists back to back, each with
    # its terminator; any other slot in it belongs to nobody and is never
    # filled.
    table, size = image.directory(DIRECTORY_IAT)
    if size:
        owned = set()
        for _, _, start, end, _ in imports:
            owned.update(range(start, end, image.pointer_size))
        stray = [rva for rva in range(table, table + size, image.pointer_size) if rva not in owned]
        if stray:
            zero = sum(1 for rva in stray if image.pointer(rva) == 0)
            problems.append(
                "%d slot(s) of the import address table, from 0x%x, belong to no imported DLL "
                "(delay-load slots?); %d of them are zero in the file, and a call through one "
                "jumps to address 0" % (len(stray), stray[0], zero))

    if args.resources:
        present = image.resources()
        for wanted in args.resources.split(","):
            kind, _, number = wanted.partition(":")
            if (RESOURCE_TYPES.get(kind, -1), int(number)) not in present:
                problems.append("it has no %s resource %s" % (kind, number))

    if args.version:
        problems += check_version(image, args)
    if args.manifest_needs:
        problems += check_manifest(image, args.manifest_needs)

    if args.exports is not None:
        expected = sorted(name for name in args.exports.split(",") if name)
        actual = sorted(image.exports())
        print("  exports: %s" % " ".join(actual))
        if actual != expected:
            problems.append("exports %s, not %s" % (" ".join(actual) or "nothing", " ".join(expected)))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--machine", choices=sorted(MACHINES.values()))
    parser.add_argument("--gui", action="store_true")
    parser.add_argument("--dll-folder", action="append", default=[])
    parser.add_argument("--require-dll", action="append", default=[])
    parser.add_argument("--import-dll", action="append", default=[])
    parser.add_argument("--forbid-dll", action="append", default=[])
    parser.add_argument("--exports")
    parser.add_argument("--resources", help="TYPE:ID,... such as DIALOG:101,MANIFEST:1")
    parser.add_argument("--version", help="the project's version, X.Y.Z")
    parser.add_argument("--publisher", default="")
    parser.add_argument("--manifest-needs", help="as-invoker,dpi-aware,common-controls-6")
    parser.add_argument("--print-version", action="store_true")
    parser.add_argument("file")
    args = parser.parse_args()
    if args.print_version:
        try:
            data = Image(args.file).resource_data(RESOURCE_TYPES["VERSION"], 1)
            if data is None:
                raise BadImage("it has no version resource")
            print(version_info(data)[0])
            return 0
        except (OSError, BadImage, struct.error, UnicodeDecodeError) as error:
            print("check-pe: %s: cannot read its version: %s" % (args.file, error), file=sys.stderr)
            return 1
    try:
        problems = check(Image(args.file), args)
    except (OSError, BadImage, struct.error, UnicodeDecodeError, ElementTree.ParseError) as error:
        problems = ["cannot read it: %s" % error]
    for problem in problems:
        print("check-pe: %s: %s" % (args.file, problem), file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
