#!/usr/bin/env python3
"""The largest pieces of a program, from the GNU ld link map written beside it.

Usage: map_pieces.py <program.map> [count]
Prints one line a piece: KiB, then the object (and the archive it came from) that put it there,
counting every output section of the program but the debug ones; then the sum of all.
"""
import collections
import re
import sys


def pieces(map_path):
    sizes = collections.Counter()
    section = None
    in_map = False
    with open(map_path, errors="replace") as lines:
        for line in lines:
            if line.startswith("Linker script and memory map"):
                in_map = True
                continue
            if not in_map:
                continue
            # " .text  0x00401000  0x1234 lib.a(member.o)", or a long section name on a line of its own
            whole = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$", line)
            if whole:
                name, address, size, origin = whole.groups()
            else:
                alone = re.match(r"^ (\.\S+)\s*$", line)
                if alone:
                    section = alone.group(1)
                    continue
                rest = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
                if not (rest and section):
                    section = None
                    continue
                (address, size, origin), name, section = rest.groups(), section, None
            if int(address, 16) == 0 or name.startswith(".debug"):
                continue  # discarded, or not loaded
            sizes[re.sub(r".*/", "", origin.strip())] += int(size, 16)
    return sizes


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    sizes = pieces(sys.argv[1])
    for origin, size in sizes.most_common(int(sys.argv[2]) if len(sys.argv) == 3 else 8):
        print(f"  {size / 1024:6.1f} KiB  {origin}")
    print(f"  {sum(sizes.values()) / 1024:6.1f} KiB  in all")


if __name__ == "__main__":
    main()
