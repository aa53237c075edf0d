#!/usr/bin/env python3
"""Points a PE32+ image's load-configuration entry at its _load_config_used structure, which
GNU ld links in but does not enter in the data directory.  Usage: pe_load_config.py EXE MAP
(MAP: the linker's map file, which gives the structure's address)."""
import re
import struct
import sys

exe, map_file = sys.argv[1], sys.argv[2]
match = re.search(r"^\s+0x([0-9a-f]+)\s+_load_config_used\s*$", open(map_file).read(), re.M)
if not match:
    sys.exit(f"{map_file}: no _load_config_used")
image = bytearray(open(exe, "rb").read())
pe = struct.unpack_from("<I", image, 0x3C)[0]
sections, optional_size = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from("<H", image, pe + 20)[0]
optional = pe + 24
if struct.unpack_from("<H", image, optional)[0] != 0x20B:
    sys.exit(f"{exe}: not a PE32+ image")
rva = int(match.group(1), 16) - struct.unpack_from("<Q", image, optional + 24)[0]
for i in range(sections):
    header = optional + optional_size + 40 * i
    size, address, raw_size, raw = struct.unpack_from("<IIII", image, header + 8)
    if address <= rva < address + max(size, raw_size):
        length = struct.unpack_from("<I", image, raw + rva - address)[0]
        struct.pack_into("<II", image, optional + 112 + 8 * 10, rva, length)  # entry 10
        open(exe, "wb").write(image)
        sys.exit(0)
sys.exit(f"{exe}: _load_config_used lies in no section")
