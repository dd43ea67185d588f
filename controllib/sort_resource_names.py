#!/usr/bin/env python3
"""sort_resource_names.py MODULE: puts the named entries of every resource directory table of a
PE file into the order the Windows loader searches them (binary search on upper-cased names).

GNU ld, merging the .rsrc sections of several resource objects, orders names as if lower-cased;
a name starting with '_' (the _IID_REPORTVIEW type) then sorts before TYPELIB and CUSTOM, and
the loader no longer finds those. The fix is a permutation of entries within each table."""
import struct
import sys


def main(path):
    data = bytearray(open(path, "rb").read())
    pe, = struct.unpack_from("<I", data, 0x3C)
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    magic, = struct.unpack_from("<H", data, pe + 24)
    directories = pe + 24 + (112 if magic == 0x20B else 96)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if rsrc_size == 0:
        return
    base = None
    for i in range(sections):
        header = pe + 24 + optional_size + 40 * i
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", data, header + 8)
        if virtual_address <= rsrc_rva < virtual_address + max(virtual_size, raw_size):
            base = rsrc_rva - virtual_address + raw_offset
    if base is None:
        sys.exit(f"{path}: the resource directory lies in no section")

    def name_key(offset):
        length, = struct.unpack_from("<H", data, base + offset)
        return data[base + offset + 2:base + offset + 2 + 2 * length].decode("utf-16-le").upper()

    def walk(table, depth):
        if depth > 3:
            sys.exit(f"{path}: resource directory too deep")
        named, numbered = struct.unpack_from("<HH", data, base + table + 12)
        entries = [struct.unpack_from("<II", data, base + table + 16 + 8 * i) for i in range(named + numbered)]
        ordered = sorted(entries[:named], key=lambda e: [ord(c) for c in name_key(e[0] & 0x7FFFFFFF)])
        for i, (name, child) in enumerate(ordered):
            struct.pack_into("<II", data, base + table + 16 + 8 * i, name, child)
        for _, child in entries:
            if child & 0x80000000:
                walk(child & 0x7FFFFFFF, depth + 1)

    walk(0, 0)
    open(path, "wb").write(data)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
