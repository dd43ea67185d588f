#!/usr/bin/env python3
"""Sets type flags that widl does not write in an MSFT type library (nonextensible on a
dispinterface, OLE-automation on the dispatch half of a dual interface):
set_type_flags.py IN OUT GUID FLAGS [GUID FLAGS ...], each FLAGS OR-ed into the flags of the
type info whose GUID is GUID. Fails unless each GUID names exactly one type info."""
import struct
import sys
import uuid


def main(source, target, *changes):
    data = bytearray(open(source, "rb").read())
    if data[:4] != b"MSFT":
        sys.exit(f"{source}: not an MSFT type library")
    for guid_text, flags_text in zip(changes[0::2], changes[1::2]):
        set_flags(data, source, guid_text, int(flags_text, 0))
    open(target, "wb").write(data)


def set_flags(data, source, guid_text, flags):
    wanted = uuid.UUID(guid_text).bytes_le
    varflags, = struct.unpack_from("<i", data, 0x14)
    count, = struct.unpack_from("<i", data, 0x20)
    offsets_at = 0x54 + (4 if varflags & 0x100 else 0)  # a help DLL adds one field
    offsets = struct.unpack_from(f"<{count}i", data, offsets_at)
    segments_at = offsets_at + 4 * count
    typeinfo_seg, = struct.unpack_from("<i", data, segments_at)
    guid_seg, = struct.unpack_from("<i", data, segments_at + 5 * 16)
    found = 0
    for offset in offsets:
        entry = typeinfo_seg + offset
        posguid, = struct.unpack_from("<i", data, entry + 0x2C)
        if posguid >= 0 and bytes(data[guid_seg + posguid:guid_seg + posguid + 16]) == wanted:
            old, = struct.unpack_from("<i", data, entry + 0x30)
            struct.pack_into("<i", data, entry + 0x30, old | flags)
            found += 1
    if found != 1:
        sys.exit(f"{source}: {found} type infos with GUID {guid_text}")


if __name__ == "__main__":
    if len(sys.argv) < 5 or len(sys.argv) % 2 == 0:
        sys.exit(__doc__)
    main(*sys.argv[1:])
