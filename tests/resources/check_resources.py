#!/usr/bin/env python3
"""Reads the resources of a built QeltorService.exe and compares them with what it must carry.

Usage: check_resources.py <QeltorService.exe> <resources folder of the sources>
"""
import struct
import sys
from pathlib import Path

RT_ICON, RT_VERSION, RT_GROUP_ICON, RT_MANIFEST = 3, 16, 14, 24
CHINESE_PRC = 0x0804
COMMON_CONTROLS_MANIFEST = 100
ICON_IMAGES = [(48, 30001), (32, 30002), (24, 30003), (16, 30004)]
STRINGS = [("CompanyName", "Qeltor"), ("ProductName", "QeltorService"), ("FileVersion", "1.00"),
           ("ProductVersion", "1.00"), ("InternalName", "QeltorService"),
           ("OriginalFilename", "QeltorService.exe")]
# dwFileVersionMS/LS, dwProductVersionMS/LS, flags mask, flags, OS, type, subtype, date MS/LS
FIXED = (0x00010000, 0, 0x00010000, 0, 0, 0, 4, 1, 0, 0, 0)

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def read_resources(exe):
    """Returns {type: {id: {language: bytes}}} from the PE resource directory."""
    (pe,) = struct.unpack_from("<I", exe, 0x3C)
    if exe[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections, _, _, _, optional_size = struct.unpack_from("<HIIIH", exe, pe + 6)
    optional = pe + 24
    if struct.unpack_from("<H", exe, optional)[0] != 0x10B:
        raise ValueError("not a 32-bit PE file")
    root_rva = struct.unpack_from("<I", exe, optional + 96 + 2 * 8)[0]
    if root_rva == 0:
        return {}
    table = [struct.unpack_from("<8xIIII", exe, optional + optional_size + 40 * i) for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw in table:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    root = offset(root_rva)

    def directory(at):
        named, numbered = struct.unpack_from("<12xHH", exe, at)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", exe, at + 16 + 8 * i)
            if name & 0x80000000:
                length = struct.unpack_from("<H", exe, root + (name & 0x7FFFFFFF))[0]
                start = root + (name & 0x7FFFFFFF) + 2
                name = exe[start:start + 2 * length].decode("utf-16-le")
            yield name, bool(target & 0x80000000), root + (target & 0x7FFFFFFF)

    tree = {}
    for rtype, _, names in directory(root):
        for name, _, languages in directory(names):
            for language, _, entry in directory(languages):
                rva, size = struct.unpack_from("<II", exe, entry)
                tree.setdefault(rtype, {}).setdefault(name, {})[language] = exe[offset(rva):offset(rva) + size]
    return tree


def only_chinese(tree, rtype, name):
    """The resource's data, if it exists exactly once and in Chinese (PRC)."""
    languages = tree.get(rtype, {}).get(name, {})
    if check(list(languages) == [CHINESE_PRC], f"type {rtype} id {name}: languages {list(languages)}"):
        return languages[CHINESE_PRC]
    return None


def version_nodes(data, at=0, end=None):
    """Yields (key, value bytes, value type, children range) of each node from at to end."""
    end = len(data) if end is None else end
    while at < end:
        length, value_length, value_type = struct.unpack_from("<HHH", data, at)
        key_end = at + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if value_type == 1 else value_length
        children = (value_at + value_size + 3) & ~3
        yield key, data[value_at:value_at + value_size], value_type, (children, at + length)
        at = (at + length + 3) & ~3


def check_version(data):
    (key, value, _, (first, last)), = version_nodes(data)
    check(key == "VS_VERSION_INFO", f"version root key {key!r}")
    signature, _, *fixed = struct.unpack("<13I", value)
    check(signature == 0xFEEF04BD, f"fixed file info signature {signature:#x}")
    check(tuple(fixed) == FIXED, f"fixed file info {fixed}")
    blocks = {key: children for key, _, _, children in version_nodes(data, first, last)}
    check(list(blocks) == ["StringFileInfo", "VarFileInfo"], f"version blocks {list(blocks)}")
    tables = list(version_nodes(data, *blocks.get("StringFileInfo", (0, 0))))
    if not check([t[0] for t in tables] == ["080404B0"], f"string tables {[t[0] for t in tables]}"):
        return
    strings = [(k, v.decode("utf-16-le").rstrip("\0"), t) for k, v, t, _ in version_nodes(data, *tables[0][3])]
    check(strings == [(k, v, 1) for k, v in STRINGS], f"version strings {strings}")
    var = [(k, v) for k, v, _, _ in version_nodes(data, *blocks.get("VarFileInfo", (0, 0)))]
    check(var == [("Translation", struct.pack("<HH", CHINESE_PRC, 1200))], f"translation {var}")


def check_icon(tree):
    group = only_chinese(tree, RT_GROUP_ICON, 1)
    if group is None:
        return
    check(struct.unpack_from("<HHH", group) == (0, 1, len(ICON_IMAGES)), "icon group header")
    if not check(len(group) == 6 + 14 * len(ICON_IMAGES), f"icon group of {len(group)} bytes"):
        return
    for i, (size, image_id) in enumerate(ICON_IMAGES):
        entry = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        width, height, colours, _, planes, bits, length, nid = entry
        check((width, height, colours, planes, bits, nid) == (size, size, 0, 1, 24, image_id), f"group entry {entry}")
        image = only_chinese(tree, RT_ICON, image_id)
        if image is None:
            continue
        colour_bytes, mask_bytes = (size * 3 + 3) // 4 * 4 * size, (size + 31) // 32 * 4 * size
        if not check(len(image) == length == 40 + colour_bytes + mask_bytes,
                     f"icon {image_id}: {len(image)}, {length} bytes"):
            continue
        header = struct.unpack_from("<IiiHHIIiiII", image)
        check(header[:7] == (40, size, 2 * size, 1, 24, 0, colour_bytes + mask_bytes) and header[9:] == (0, 0),
              f"icon {image_id} header {header}")
        # Transparent pixels must be black, or the screen shows through tinted.
        colour, mask = image[40:40 + colour_bytes], image[40 + colour_bytes:]
        row, mask_row = (size * 3 + 3) // 4 * 4, (size + 31) // 32 * 4
        clear = [(x, y) for y in range(size) for x in range(size) if mask[y * mask_row + x // 8] & (0x80 >> x % 8)]
        check(0 < len(clear) < size * size, f"icon {image_id}: {len(clear)} transparent pixels")
        check(all(colour[y * row + 3 * x:y * row + 3 * x + 3] == b"\0\0\0" for x, y in clear),
              f"icon {image_id}: colour under the transparent mask")


def main():
    exe, sources = Path(sys.argv[1]).read_bytes(), Path(sys.argv[2])
    tree = read_resources(exe)
    manifests = tree.get(RT_MANIFEST, {})
    check(sorted(manifests) == [1, COMMON_CONTROLS_MANIFEST], f"manifest ids {sorted(manifests)}")
    for name, file in ((1, "QeltorService.manifest"), (COMMON_CONTROLS_MANIFEST, "CommonControls.manifest")):
        data = only_chinese(tree, RT_MANIFEST, name)
        check(data is None or data == (sources / file).read_bytes(), f"manifest {name} differs from {file}")
    version = only_chinese(tree, RT_VERSION, 1)
    if version is not None:
        check_version(version)
    check_icon(tree)
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} resource check(s) failed" if failures else "resources as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
